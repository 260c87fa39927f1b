#include <gtest/gtest.h>

#include "platform/dialogs/ScriptedDialogs.h"

using namespace orvex::dialogs;

TEST(ScriptedDialogs, AnswersInQueueOrderThenCancels) {
  ScriptedDialogs script;
  script.QueueSaveFile(QString("/tmp/a.avi"));
  script.QueueSaveFile(std::nullopt);
  FileDialogOptions options;
  options.title = "Select Video File Name";
  EXPECT_EQ(CommonDialogs().SaveFile(nullptr, options), QString("/tmp/a.avi"));
  EXPECT_EQ(CommonDialogs().SaveFile(nullptr, options), std::nullopt);
  EXPECT_EQ(CommonDialogs().SaveFile(nullptr, options), std::nullopt);  // nothing queued: cancel
  ASSERT_EQ(script.CallsOf(ScriptedDialogs::Kind::SaveFile).size(), 3u);
  EXPECT_EQ(script.Calls()[0].file.title, "Select Video File Name");
}

TEST(ScriptedDialogs, MessagesAreRecordedAndNeverBlock) {
  ScriptedDialogs script;
  EXPECT_EQ(CommonDialogs().MessageBox(nullptr, "Orvex Ziru", "boom", MsgIcon::Stop, MsgButtons::Ok),
            MsgResult::Ok);
  script.QueueMessageResult(MsgResult::No);
  EXPECT_EQ(CommonDialogs().MessageBox(nullptr, "c", "t", MsgIcon::Question, MsgButtons::YesNo),
            MsgResult::No);
  EXPECT_EQ(CommonDialogs().MessageBox(nullptr, "c", "t", MsgIcon::Question, MsgButtons::YesNo),
            MsgResult::Cancel);
  const auto messages = script.CallsOf(ScriptedDialogs::Kind::MessageBox);
  ASSERT_EQ(messages.size(), 3u);
  EXPECT_EQ(messages[0].caption, "Orvex Ziru");
  EXPECT_EQ(messages[0].text, "boom");
  EXPECT_EQ(messages[0].icon, MsgIcon::Stop);
}

TEST(ScriptedDialogs, UninstallsItselfWhenGone) {
  ICommonDialogs* installed = nullptr;
  {
    ScriptedDialogs script;
    installed = &CommonDialogs();
    EXPECT_EQ(installed, &script);
  }
  EXPECT_NE(&CommonDialogs(), installed);
}
