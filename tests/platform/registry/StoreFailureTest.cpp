// What the store does when things go wrong: a save cut short, a broken
// file, a folder or disk that takes no writes.

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <fstream>
#include <regex>

#include "platform/registry/RegFile.h"
#include "platform/registry/Registry.h"
#include "tests/platform/registry/RegistryFixture.h"
#include "tests/support/TmpfsMount.h"

namespace orvex::reg {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::WriteFile;

std::vector<fs::path> FilesLike(const fs::path& folder, const std::string& pattern) {
  std::vector<fs::path> found;
  const std::regex re(pattern);
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (std::regex_match(entry.path().filename().string(), re)) found.push_back(entry.path());
  }
  return found;
}

void WriteUserValue(const char* name, int value) {
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey("Software\\Test", true)) << reg.LastError();
  reg.WriteInteger(name, value);
  reg.CloseKey();
}

std::optional<std::int32_t> ReadUserValue(const char* name) {
  TRegistry reg;
  reg.OpenKeyReadOnly("Software\\Test");
  return reg.ReadInteger(name);
}

std::string SaveFailure(const std::function<void()>& work) {
  try {
    work();
  } catch (const ERegistryException& e) {
    return e.what();
  }
  return "no exception";
}

using StoreFailureTest = test::RegistryFixture;

TEST_F(StoreFailureTest, ASaveCutShortBeforeTheRenameLeavesTheOldFile) {
  WriteUserValue("Kept", 1);
  const std::string before = ReadFile(UserFile());
  EXPECT_EXIT(
      {
        SetBeforeReplaceHookForTesting([](const fs::path&) { _exit(3); });
        WriteUserValue("Kept", 2);
      },
      ::testing::ExitedWithCode(3), "");
  EXPECT_EQ(ReadFile(UserFile()), before);
  const auto temps = FilesLike(dir_.path(), R"(HKEY_CURRENT_USER\.reg\.tmp-.*)");
  ASSERT_EQ(temps.size(), 1u) << "the dead save got as far as a complete temporary file";
  EXPECT_NE(ReadFile(temps[0]).find("\"Kept\"=dword:00000002"), std::string::npos);

  EXPECT_EQ(ReadUserValue("Kept"), 1);
  WriteUserValue("Next", 3);
  EXPECT_TRUE(FilesLike(dir_.path(), R"(.*\.tmp-.*)").empty()) << "the next save clears the leftover";
  EXPECT_EQ(ReadUserValue("Kept"), 1);
  EXPECT_EQ(ReadUserValue("Next"), 3);
}

TEST_F(StoreFailureTest, ABrokenFileIsKeptAsideUnderAFreshNameAndNeverOverwritten) {
  const char* const kinds[] = {"truncated", "garbage", "latin-1", "huge line"};
  for (const std::string kind : kinds) {
    SCOPED_TRACE(kind);
    const fs::path folder = dir_ / kind;
    fs::create_directories(folder);
    setenv("ORVEX_CONFIG_DIR", folder.c_str(), 1);
    std::string broken = "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Test]\n";
    if (kind == "truncated") broken += "\"Kept\"=hex:01,02,\\\n";
    if (kind == "garbage")
      broken = std::string(
          "\x7f"
          "ELF\x02\x01\x01\0\0\0",
          10);
    if (kind == "latin-1")
      broken +=
          "\"Name\"=\"Gr\xFC\xDF"
          "e\"\n";
    if (kind == "huge line") broken += "\"Kept\"=\"" + std::string(kMaxLineLength + 10, 'x') + "\"\n";
    WriteFile(folder / "HKEY_CURRENT_USER.reg", broken);
    // Names already taken for this second and the next ones must not be reused.
    std::vector<fs::path> taken;
    for (int second = 0; second < 3; ++second) {
      const std::time_t t = std::time(nullptr) + second;
      char stamp[32];
      std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", std::localtime(&t));
      taken.push_back(folder / (std::string("HKEY_CURRENT_USER.reg.corrupt-") + stamp));
      WriteFile(taken.back(), "taken");
    }
    notices_.clear();

    EXPECT_EQ(ReadUserValue("Kept"), std::nullopt);
    auto aside = FilesLike(folder, R"(HKEY_CURRENT_USER\.reg\.corrupt-\d{8}-\d{6}(-\d+)?)");
    std::erase_if(aside,
                  [&](const fs::path& p) { return std::find(taken.begin(), taken.end(), p) != taken.end(); });
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_EQ(ReadFile(aside[0]), broken);
    for (const auto& name : taken) EXPECT_EQ(ReadFile(name), "taken");
    ASSERT_EQ(notices_.size(), 1u);
    EXPECT_NE(notices_[0].find("kept as \"" + aside[0].string() + "\""), std::string::npos) << notices_[0];

    WriteUserValue("Kept", 5);
    EXPECT_EQ(ReadUserValue("Kept"), 5);
    EXPECT_EQ(ReadFile(aside[0]), broken);
    EXPECT_EQ(FilesLike(folder, R"(.*corrupt.*)").size(), taken.size() + 1);
    EXPECT_EQ(notices_.size(), 1u);
  }
}

TEST_F(StoreFailureTest, AFolderThatCannotExistFailsWritesWithAReason) {
  WriteFile(dir_ / "plain-file", "");
  setenv("ORVEX_CONFIG_DIR", (dir_ / "plain-file" / "orvex").c_str(), 1);
  TRegistry reg;
  reg.setRootKey(Root::HKEY_LOCAL_MACHINE);
  EXPECT_FALSE(reg.OpenKey("Software\\Brevantix\\Orvex", true));
  EXPECT_EQ(reg.ReadInteger("Brightness"), std::nullopt);
  EXPECT_EQ(reg.ReadString("OverlayText"), "");
  const std::string message = SaveFailure([&] { reg.WriteInteger("Brightness", 0); });
  EXPECT_EQ(message.rfind("Failed to set data for 'Brightness': ", 0), 0u) << message;
  EXPECT_NE(message.find("plain-file"), std::string::npos) << message;
  EXPECT_FALSE(reg.CreateKey("\\Software\\VOduduDudiviv\\1234"));
}

TEST_F(StoreFailureTest, APermissionThatForbidsWritingFailsWrites) {
  WriteUserValue("Kept", 1);
  fs::permissions(dir_.path(), fs::perms::owner_read | fs::perms::owner_exec);
  const bool enforced = open((dir_ / "probe").c_str(), O_CREAT | O_WRONLY, 0600) < 0;
  if (!enforced) {
    fs::permissions(dir_.path(), fs::perms::owner_all);
    fs::remove(dir_ / "probe");
    GTEST_SKIP() << "running as root: permissions do not stop writes (the read-only mount test covers this)";
  }
  TRegistry reg;
  EXPECT_FALSE(reg.OpenKey("Software\\Test", true));
  EXPECT_EQ(reg.ReadInteger("Kept"), std::nullopt);
  EXPECT_NE(SaveFailure([&] { reg.WriteInteger("Kept", 2); }), "no exception");
  EXPECT_EQ(ReadUserValue("Kept"), 1) << "read-only access still reads";
  fs::permissions(dir_.path(), fs::perms::owner_all);
}

TEST_F(StoreFailureTest, AReadOnlyFileSystemFailsWritesAndStillReads) {
  test::TmpfsMount disk(dir_ / "disk", "size=64k,mode=0700");
  if (!disk.mounted()) GTEST_SKIP() << "cannot mount a file system here";
  setenv("ORVEX_CONFIG_DIR", (dir_ / "disk" / "orvex").c_str(), 1);
  WriteUserValue("Kept", 1);
  ASSERT_TRUE(disk.MakeReadOnly());

  TRegistry reg;
  EXPECT_FALSE(reg.OpenKey("Software\\Test", true));
  EXPECT_NE(reg.LastError().find("Read-only file system"), std::string::npos) << reg.LastError();
  EXPECT_EQ(reg.ReadInteger("Kept"), std::nullopt);
  const std::string message = SaveFailure([&] { reg.WriteInteger("Kept", 2); });
  EXPECT_EQ(message.rfind("Failed to set data for 'Kept': ", 0), 0u) << message;
  EXPECT_EQ(ReadUserValue("Kept"), 1);
}

TEST_F(StoreFailureTest, AFullDiskFailsTheCloseAndKeepsTheChangeForTheNextSave) {
  test::TmpfsMount disk(dir_ / "disk", "size=64k,mode=0700");
  if (!disk.mounted()) GTEST_SKIP() << "cannot mount a file system here";
  const fs::path folder = dir_ / "disk" / "orvex";
  setenv("ORVEX_CONFIG_DIR", folder.c_str(), 1);
  WriteUserValue("Kept", 1);
  const std::string before = ReadFile(folder / "HKEY_CURRENT_USER.reg");
  {
    std::ofstream filler(dir_ / "disk" / "filler", std::ios::binary);
    const std::string block(4096, 'x');
    while (filler.write(block.data(), block.size()) && filler.flush()) {
    }
  }

  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey("Software\\Test", true));
  reg.WriteString("Big", std::string(8192, 'y'));
  const std::string message = SaveFailure([&] { reg.CloseKey(); });
  EXPECT_NE(message.find("No space left on device"), std::string::npos) << message;
  EXPECT_FALSE(reg.IsKeyOpen());
  EXPECT_EQ(ReadFile(folder / "HKEY_CURRENT_USER.reg"), before);
  EXPECT_TRUE(FilesLike(folder, R"(.*\.tmp-.*)").empty());
  {
    TRegistry dropped;
    ASSERT_TRUE(dropped.OpenKey("Software\\Test", true));
    dropped.WriteInteger("Other", 2);
  }
  ASSERT_EQ(notices_.size(), 1u) << "a save failing in a destructor is still told";
  EXPECT_NE(notices_[0].find("No space left on device"), std::string::npos);

  fs::remove(dir_ / "disk" / "filler");
  WriteUserValue("Third", 3);
  KeyNode saved;
  ASSERT_EQ(ParseRegFile(ReadFile(folder / "HKEY_CURRENT_USER.reg"), "HKEY_CURRENT_USER", saved).Summary(),
            "");
  const KeyNode* key = saved.Find({"Software", "Test"});
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(key->Value("Big")->data.size(), 8192u) << "the failed change is saved with the next one";
  EXPECT_EQ(key->Value("Other")->AsDword(), 2);
  EXPECT_EQ(key->Value("Third")->AsDword(), 3);
}

}  // namespace
}  // namespace orvex::reg
