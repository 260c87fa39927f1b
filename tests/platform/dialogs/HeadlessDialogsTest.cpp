#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>

#include "platform/dialogs/HeadlessDialogs.h"

using namespace orvex::dialogs;

namespace {

// What a call printed to the headless dialogs' stream.
std::string Printed(const std::function<void()>& call, std::FILE* out) {
  std::rewind(out);
  call();
  std::string text;
  const long size = std::ftell(out);
  std::rewind(out);
  text.resize(static_cast<std::size_t>(size));
  if (size > 0 && std::fread(text.data(), 1, text.size(), out) != text.size()) text.clear();
  std::rewind(out);
  return text;
}

struct BoxCase {
  const char* name;
  MsgButtons buttons;
  QString text;
  MsgResult answer;
  std::string line;
};

void PrintTo(const BoxCase& c, std::ostream* os) { *os << c.name; }

class HeadlessBox : public ::testing::TestWithParam<BoxCase> {};

// Nobody is there to answer: one line on the stream, the safe answer, no wait.
TEST_P(HeadlessBox, PrintsOneLineAndAnswersTheSafeChoice) {
  const BoxCase& c = GetParam();
  std::FILE* out = std::tmpfile();
  ASSERT_NE(out, nullptr);
  {
    HeadlessDialogs headless(out);
    MsgResult answer = MsgResult::Ok;
    const std::string printed = Printed(
        [&] {
          answer = CommonDialogs().MessageBox(nullptr, "Orvex Ziru", c.text, MsgIcon::Warning, c.buttons);
        },
        out);
    EXPECT_EQ(answer, c.answer);
    EXPECT_EQ(printed, c.line);
  }
  std::fclose(out);
}

INSTANTIATE_TEST_SUITE_P(
    Boxes, HeadlessBox,
    ::testing::Values(BoxCase{"Notice", MsgButtons::Ok, "The settings file was set aside.", MsgResult::Ok,
                              "orvex: The settings file was set aside.\n"},
                      BoxCase{"SeveralLines", MsgButtons::Ok, "Cannot write.\n\n  Permission denied\r\n",
                              MsgResult::Ok, "orvex: Cannot write. Permission denied\n"},
                      BoxCase{"Question", MsgButtons::YesNo, "Replace clip.avi?", MsgResult::No,
                              "orvex: Replace clip.avi? (answered No)\n"},
                      BoxCase{"QuestionWithCancel", MsgButtons::YesNoCancel, "Save?", MsgResult::Cancel,
                              "orvex: Save? (answered Cancel)\n"},
                      BoxCase{"Confirmation", MsgButtons::OkCancel, "Go on?", MsgResult::Cancel,
                              "orvex: Go on? (answered Cancel)\n"}),
    [](const auto& row) { return std::string(row.param.name); });

TEST(HeadlessDialogs, FileFontAndColourDialogsCancelAndTheOldOnesComeBack) {
  std::FILE* out = std::tmpfile();
  ASSERT_NE(out, nullptr);
  ICommonDialogs* before = &CommonDialogs();
  {
    HeadlessDialogs headless(out);
    EXPECT_EQ(&CommonDialogs(), &headless);
    EXPECT_EQ(CommonDialogs().OpenFile(nullptr, {}), std::nullopt);
    EXPECT_EQ(CommonDialogs().SaveFile(nullptr, {}), std::nullopt);
    EXPECT_EQ(CommonDialogs().ChooseFont(nullptr, {}), std::nullopt);
    EXPECT_EQ(CommonDialogs().ChooseColor(nullptr, 0), std::nullopt);
    EXPECT_EQ(Printed([] { EXPECT_FALSE(CommonDialogs().ShellOpen("Orvex.chm", "/opt")); }, out),
              "orvex: not opening Orvex.chm: there is no desktop in this run\n");
  }
  EXPECT_EQ(&CommonDialogs(), before);
  std::fclose(out);
}

}  // namespace
