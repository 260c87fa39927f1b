// TRegistry as the settings and the engine use it: failing reads, refused
// writes, keys without case, key trees, and when the file is written.

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/registry/RegFile.h"
#include "platform/registry/Registry.h"
#include "tests/platform/registry/RegistryFixture.h"

namespace orvex::reg {
namespace {

using test::ReadFile;

class RegistryTest : public test::RegistryFixture {
 protected:
  static std::string Failure(const std::function<void()>& write) {
    try {
      write();
    } catch (const ERegistryException& e) {
      return e.what();
    }
    return "no exception";
  }
};

TEST_F(RegistryTest, ReadsFailOnMissingOrOtherlyTypedValues) {
  TRegistry reg;
  reg.setRootKey(Root::HKEY_LOCAL_MACHINE);
  ASSERT_TRUE(reg.OpenKey("Software\\Brevantix\\Orvex", true));
  reg.WriteInteger("Int", -7);
  reg.WriteString("Text", "hello");
  reg.WriteBinaryData("Bytes", std::vector<std::uint8_t>{1, 2, 3, 4});
  reg.WriteFloat("Real", 2.5);

  EXPECT_EQ(reg.ReadInteger("Int"), -7);
  EXPECT_EQ(reg.ReadBool("Int"), true);
  EXPECT_EQ(reg.ReadInteger("Missing"), std::nullopt);
  EXPECT_EQ(reg.ReadInteger("Text"), std::nullopt);
  EXPECT_EQ(reg.ReadInteger("Bytes"), std::nullopt) << "four bytes of REG_BINARY are no REG_DWORD";
  EXPECT_EQ(reg.ReadBool("Text"), std::nullopt);

  EXPECT_EQ(reg.ReadString("Text"), "hello");
  EXPECT_EQ(reg.ReadString("Missing"), "") << "a missing text reads empty without failing";
  EXPECT_EQ(reg.ReadString("Int"), std::nullopt);

  EXPECT_EQ(reg.ReadBinaryData("Bytes"), (std::vector<std::uint8_t>{1, 2, 3, 4}));
  EXPECT_EQ(reg.ReadBinaryData("Int"), std::nullopt);
  EXPECT_EQ(reg.ReadFloat("Real"), 2.5);
  EXPECT_EQ(reg.ReadFloat("Bytes"), std::nullopt);
  EXPECT_EQ(reg.GetDataType("Real"), REG_BINARY);
  EXPECT_EQ(reg.GetDataType("Text"), REG_SZ);
  EXPECT_FALSE(reg.GetDataType("Missing"));

  reg.WriteString("Int", "now text");
  EXPECT_EQ(reg.ReadInteger("Int"), std::nullopt) << "a write replaces the type too";
}

TEST_F(RegistryTest, WritesNeedAKeyOpenForWriting) {
  TRegistry reg;
  EXPECT_EQ(Failure([&] { reg.WriteInteger("Brightness", 1); }),
            "Failed to set data for 'Brightness': no key is open");
  EXPECT_EQ(reg.ReadString("Brightness"), "");
  EXPECT_EQ(reg.ReadInteger("Brightness"), std::nullopt);

  ASSERT_TRUE(reg.OpenKey("Software\\Test", true));
  reg.WriteInteger("Brightness", 5);
  reg.CloseKey();
  ASSERT_TRUE(reg.OpenKeyReadOnly("Software\\Test"));
  EXPECT_EQ(reg.ReadInteger("Brightness"), 5);
  EXPECT_EQ(Failure([&] { reg.WriteInteger("Brightness", 6); }),
            "Failed to set data for 'Brightness': the key is open for reading only");
  EXPECT_FALSE(reg.DeleteValue("Brightness"));
  EXPECT_FALSE(reg.OpenKeyReadOnly("Software\\Missing"));
  EXPECT_EQ(reg.CurrentPath(), "Software\\Test") << "a failed open keeps the open key";
}

TEST_F(RegistryTest, RefusesWhatTheFileCouldNotHold) {
  TRegistry reg;
  EXPECT_FALSE(reg.OpenKey("Software\\\\Empty name", true));
  EXPECT_FALSE(reg.OpenKey("Line\nbreak", true));
  EXPECT_NE(reg.LastError(), "");
  ASSERT_TRUE(reg.OpenKey("Software", true));
  EXPECT_NE(Failure([&] { reg.WriteString("Bad", "\xC3\x28"); }), "no exception");
  EXPECT_NE(Failure([&] { reg.WriteString("Bad", std::string("a\0b", 3)); }), "no exception");
  EXPECT_NE(Failure([&] { reg.WriteInteger("Line\nbreak", 1); }), "no exception");
  EXPECT_NE(Failure([&] { reg.WriteString("Long", std::string(kMaxValueDataSize + 1, 'x')); }),
            "no exception");
  EXPECT_TRUE(reg.GetValueNames().empty());
}

TEST_F(RegistryTest, TheFileIsWrittenWhenAWrittenKeyCloses) {
  const auto folder = dir_ / "new" / "orvex";
  setenv("ORVEX_CONFIG_DIR", folder.c_str(), 1);
  TRegistry writer, reader;
  writer.setRootKey(Root::HKEY_LOCAL_MACHINE);
  reader.setRootKey(Root::HKEY_LOCAL_MACHINE);
  ASSERT_TRUE(writer.OpenKey("Software\\Brevantix\\Orvex", true));
  writer.WriteInteger("Hue", 12);
  ASSERT_TRUE(reader.OpenKeyReadOnly("software\\brevantix\\orvex"));
  EXPECT_EQ(reader.ReadInteger("HUE"), 12) << "the process sees its writes at once";
  EXPECT_FALSE(std::filesystem::exists(folder / "HKEY_LOCAL_MACHINE.reg"));

  writer.CloseKey();
  const std::string text = ReadFile(folder / "HKEY_LOCAL_MACHINE.reg");
  EXPECT_NE(text.find("[HKEY_LOCAL_MACHINE\\Software\\Brevantix\\Orvex]\n\"Hue\"=dword:0000000c\n"),
            std::string::npos)
      << text;
  EXPECT_FALSE(std::filesystem::exists(folder / "HKEY_CURRENT_USER.reg"));
  struct stat st;
  ASSERT_EQ(stat((folder / "HKEY_LOCAL_MACHINE.reg").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  ASSERT_EQ(stat(folder.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST_F(RegistryTest, KeysAndValuesIgnoreCaseAndListInWindowsOrder) {
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey("\\Software\\VOduduDudiviv\\", true));
  for (const char* name : {"Global", "devices", "Zeta", "Größe Привет"}) ASSERT_TRUE(reg.CreateKey(name));
  ASSERT_TRUE(reg.OpenKey("DEVICES\\Cam 1", true));
  EXPECT_EQ(reg.CurrentPath(), "Software\\VOduduDudiviv\\DEVICES\\Cam 1") << "relative to the open key";
  reg.WriteString("SUB001", "YUY2");
  reg.WriteString("FMT000", "640x480");
  reg.WriteString("fmt000", "320x240");
  EXPECT_EQ(reg.GetValueNames(), (std::vector<std::string>{"SUB001", "FMT000"}));
  EXPECT_EQ(reg.ReadString("Fmt000"), "320x240");

  ASSERT_TRUE(reg.OpenKey("\\SOFTWARE\\voDUDUdudiviv", false));
  EXPECT_EQ(reg.GetKeyNames(), (std::vector<std::string>{"devices", "Global", "Größe Привет", "Zeta"}));
  EXPECT_TRUE(reg.KeyExists("GRÖßE пРИВЕТ"));
  EXPECT_FALSE(reg.KeyExists("GROESSE Привет")) << "no expansion of ß, as on Windows";
  EXPECT_TRUE(reg.HasSubKeys());
  EXPECT_TRUE(reg.KeyExists("Devices\\CAM 1"));
  EXPECT_FALSE(reg.KeyExists("Devices\\Cam 2"));
}

TEST_F(RegistryTest, DeletesValuesAndWholeKeyTrees) {
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey("\\Software\\VOduduDudiviv\\Devices\\Cam\\Deep", true));
  reg.WriteInteger("x", 1);
  ASSERT_TRUE(reg.OpenKey("\\Software\\VOduduDudiviv\\Global", true));
  reg.WriteString("_LastClipPlayed", "a.avi");
  EXPECT_TRUE(reg.DeleteValue("_lastclipplayed"));
  EXPECT_FALSE(reg.DeleteValue("_LastClipPlayed"));
  EXPECT_FALSE(reg.ValueExists("_LastClipPlayed"));
  reg.CloseKey();

  EXPECT_TRUE(reg.DeleteKey("\\software\\voduduDudiviv"));
  EXPECT_FALSE(reg.KeyExists("\\Software\\VOduduDudiviv\\Devices\\Cam"));
  EXPECT_TRUE(reg.KeyExists("\\Software"));
  EXPECT_FALSE(reg.DeleteKey("\\Software\\VOduduDudiviv"));
  EXPECT_FALSE(reg.DeleteKey("\\"));
  EXPECT_EQ(ReadFile(UserFile()).find("VOduduDudiviv"), std::string::npos);
}

TEST_F(RegistryTest, AnEmptyKeySurvivesAsAMarker) {
  TRegistry reg;
  ASSERT_TRUE(reg.CreateKey("\\Software\\VOduduDudiviv\\v7.2 (build 7.2.4 rev n, March 14, 2005)"));
  KeyNode tree;
  ASSERT_EQ(ParseRegFile(ReadFile(UserFile()), "HKEY_CURRENT_USER", tree).Summary(), "");
  EXPECT_NE(tree.Find({"Software", "VOduduDudiviv", "v7.2 (build 7.2.4 rev n, March 14, 2005)"}), nullptr);
}

TEST_F(RegistryTest, OpeningAKeyReadsChangesOfOtherPrograms) {
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey("Software\\Test", true));
  reg.WriteInteger("A", 1);
  reg.CloseKey();
  std::string text = ReadFile(UserFile());
  text.replace(text.find("dword:00000001"), 14, "dword:00000002");
  test::WriteFile(UserFile(), text);
  ASSERT_TRUE(reg.OpenKeyReadOnly("Software\\Test"));
  EXPECT_EQ(reg.ReadInteger("A"), 2);
}

TEST_F(RegistryTest, TwoProgramsWritingTheSameRootKeepEachOthersValues) {
  int go[2], done[2];
  ASSERT_EQ(pipe(go), 0);
  ASSERT_EQ(pipe(done), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    char c;
    int ok = read(go[0], &c, 1) == 1;
    try {
      TRegistry other;
      ok = ok && other.OpenKey("Software\\Test", true);
      other.WriteInteger("FromChild", 2);
      other.WriteInteger("Both", 2);
      other.CloseKey();
    } catch (...) {
      ok = 0;
    }
    (void)!write(done[1], ok ? "y" : "n", 1);
    _exit(0);
  }
  TRegistry reg;
  ASSERT_TRUE(reg.OpenKey("Software\\Test", true));
  reg.WriteInteger("FromParent", 1);
  reg.WriteInteger("Both", 1);
  (void)!write(go[1], "x", 1);
  char answer = 0;
  ASSERT_EQ(read(done[0], &answer, 1), 1);
  waitpid(child, nullptr, 0);
  EXPECT_EQ(answer, 'y');
  reg.WriteInteger("Late", 3);
  reg.CloseKey();

  ASSERT_TRUE(reg.OpenKeyReadOnly("Software\\Test"));
  EXPECT_EQ(reg.ReadInteger("FromChild"), 2);
  EXPECT_EQ(reg.ReadInteger("FromParent"), 1);
  EXPECT_EQ(reg.ReadInteger("Both"), 1) << "the later close wins";
  EXPECT_EQ(reg.ReadInteger("Late"), 3);
  for (int fd : {go[0], go[1], done[0], done[1]}) close(fd);
}

TEST_F(RegistryTest, TheFolderFollowsTheEnvironment) {
  const std::string home = getenv("HOME") ? getenv("HOME") : "";
  const char* xdgWas = getenv("XDG_CONFIG_HOME");
  const std::string xdg = xdgWas ? xdgWas : "";
  unsetenv("ORVEX_CONFIG_DIR");
  setenv("HOME", dir_.str().c_str(), 1);
  setenv("XDG_CONFIG_HOME", (dir_ / "xdg").c_str(), 1);
  EXPECT_EQ(ConfigFolder(), dir_ / "xdg" / "orvex");
  setenv("XDG_CONFIG_HOME", "relative/is/ignored", 1);
  EXPECT_EQ(ConfigFolder(), dir_ / ".config" / "orvex");
  setenv("ORVEX_CONFIG_DIR", (dir_ / "mine").c_str(), 1);
  EXPECT_EQ(RootFile(Root::HKEY_CURRENT_USER), dir_ / "mine" / "HKEY_CURRENT_USER.reg");
  setenv("HOME", home.c_str(), 1);
  if (xdgWas) {
    setenv("XDG_CONFIG_HOME", xdg.c_str(), 1);
  } else {
    unsetenv("XDG_CONFIG_HOME");
  }
}

}  // namespace
}  // namespace orvex::reg
