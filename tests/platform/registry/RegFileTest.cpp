// The .reg text: what we write reads back exactly, Windows exports import,
// a broken line costs only what it holds, and what is no settings file at
// all is refused with a reason.

#include <gtest/gtest.h>

#include "platform/registry/RegFile.h"
#include "platform/registry/Utf.h"

namespace orvex::reg {
namespace {

constexpr char kRoot[] = "HKEY_LOCAL_MACHINE";

void ExpectSameTree(const KeyNode& a, const KeyNode& b, const std::string& where = "") {
  ASSERT_EQ(a.Name(), b.Name()) << where;
  ASSERT_EQ(a.Values().size(), b.Values().size()) << where;
  for (auto i = a.Values().begin(), j = b.Values().begin(); i != a.Values().end(); ++i, ++j) {
    EXPECT_EQ(i->name, j->name) << where;
    EXPECT_EQ(i->value, j->value) << where << " " << i->name;
  }
  const auto ac = a.Children(), bc = b.Children();
  ASSERT_EQ(ac.size(), bc.size()) << where;
  for (std::size_t i = 0; i < ac.size(); ++i) ExpectSameTree(*ac[i], *bc[i], where + "\\" + ac[i]->Name());
}

std::string Utf16Le(const std::string& utf8) { return "\xFF\xFE" + Utf8ToUtf16Le(utf8); }

std::string Utf16Be(const std::string& utf8) {
  std::string le = Utf8ToUtf16Le(utf8), be = "\xFE\xFF";
  for (std::size_t i = 0; i < le.size(); i += 2) be += {le[i + 1], le[i]};
  return be;
}

TEST(RegFileTest, EveryKindOfValueSurvivesAWriteAndARead) {
  KeyNode tree;
  KeyNode& key = tree.Ensure({"Software", "Brevantix", "Orvex"});
  key.SetValue("Quoted", RegValue::Text("say \"cheese\" at C:\\ and \\\\server\\"));
  key.SetValue("Lines", RegValue::Text("first\r\nsecond\nthird\r"));
  key.SetValue("Tab", RegValue::Text("a\tb"));
  key.SetValue("Unicode", RegValue::Text("Grüße, Привет, 日本, 😀"));
  key.SetValue("Empty", RegValue::Text(""));
  key.SetValue("", RegValue::Text("default value"));
  key.SetValue("CameraControlValues ", RegValue::Binary(std::string(240, '\xA5')));
  key.SetValue("Name \"with\" \\ marks", RegValue::Dword(-1));
  key.SetValue("Min", RegValue::Dword(INT32_MIN));
  key.SetValue("NoBytes", RegValue::Binary(""));
  key.SetValue("Expand", {REG_EXPAND_SZ, Utf8ToUtf16Le("%TEMP%") + std::string(2, '\0')});
  key.SetValue("Multi", {REG_MULTI_SZ, Utf8ToUtf16Le("a") + std::string(2, '\0') + std::string(2, '\0')});
  key.SetValue("Quad", {REG_QWORD, std::string("\x01\x02\x03\x04\x05\x06\x07\x08", 8)});
  key.SetValue("ShortDword", {REG_DWORD, std::string("\x01\x02\x03", 3)});
  tree.Ensure({"Software", "VOduduDudiviv", "v7.2 (build 7.2.4 rev n, March 14, 2005)"});  // stays empty
  tree.Ensure({"Software", "Odd [name] ", "Ärger"}).SetValue("x", RegValue::Dword(1));
  tree.SetValue("AtTheRoot", RegValue::Text("root"));

  const std::string text = FormatRegFile(tree, kRoot);
  KeyNode back;
  ASSERT_EQ(ParseRegFile(text, kRoot, back).Summary(), "");
  ExpectSameTree(tree, back);
  EXPECT_EQ(FormatRegFile(back, kRoot), text);
}

TEST(RegFileTest, WrittenTextIsPlainRegFormat) {
  KeyNode tree;
  KeyNode& key = tree.Ensure({"Software", "Brevantix", "Orvex"});
  key.SetValue("Brightness", RegValue::Dword(-255));
  key.SetValue("OverlayText", RegValue::Text("say \"hi\" C:\\"));
  key.SetValue("Two lines", RegValue::Text("a\nb"));
  key.SetValue("Block", RegValue::Binary(std::string(60, '\x01')));

  const std::string text = FormatRegFile(tree, kRoot);
  EXPECT_EQ(text.substr(0, 38), "Windows Registry Editor Version 5.00\n\n");
  EXPECT_NE(text.find("\n[HKEY_LOCAL_MACHINE\\Software]\n"), std::string::npos);
  EXPECT_NE(text.find("\n[HKEY_LOCAL_MACHINE\\Software\\Brevantix\\Orvex]\n"
                      "\"Brightness\"=dword:ffffff01\n"
                      "\"OverlayText\"=\"say \\\"hi\\\" C:\\\\\"\n"
                      "\"Two lines\"=hex(1):61,00,0a,00,62,00,00,00\n"
                      "\"Block\"=hex:01,01,"),
            std::string::npos)
      << text;
  for (std::size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    EXPECT_LE(end - start, 80u) << "regedit wraps hex data below 80 columns";
  }
}

// As regedit on Windows writes it: UTF-16LE with a byte-order mark, CRLF,
// upper-case names, wrapped hex and types we only keep.
const char kWindowsExport[] =
    "Windows Registry Editor Version 5.00\r\n"
    "\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brevantix\\Orvex]\r\n"
    "; exported by hand\r\n"
    "@=\"\"\r\n"
    "\"OverlayText\"=\"Caméra \\\"1\\\"\"\r\n"
    "\"Brightness\"=dword:0000012c\r\n"
    "\"Path\"=hex(2):25,00,54,00,45,00,4d,00,50,00,25,00,00,00\r\n"
    "\"List\"=hex(7):61,00,00,00,62,00,00,00,00,00\r\n"
    "\"Block\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,\\\r\n"
    "  16,17,18,19\r\n"
    "\"Wide\"=hex(1):48,00,69,00,0a,00,21,00,00,00\r\n"
    "\r\n";

TEST(RegFileTest, ImportsAWindowsExportInEveryEncoding) {
  const std::string text = kWindowsExport;
  const std::string le = Utf16Le(text), be = Utf16Be(text);
  for (const std::string& bytes : {le, be, le.substr(2), be.substr(2), "\xEF\xBB\xBF" + text, text}) {
    KeyNode tree;
    ASSERT_EQ(ParseRegFile(bytes, kRoot, tree).Summary(), "");
    const KeyNode* key = tree.Find({"software", "BREVANTIX", "orvex"});
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(key->Name(), "Orvex");
    EXPECT_EQ(tree.Children()[0]->Name(), "SOFTWARE");
    EXPECT_EQ(*key->Value(""), RegValue::Text(""));
    EXPECT_EQ(*key->Value("overlaytext"), RegValue::Text("Caméra \"1\""));
    EXPECT_EQ(key->Value("Brightness")->AsDword(), 300);
    EXPECT_EQ(key->Value("Path")->type, REG_EXPAND_SZ);
    EXPECT_EQ(key->Value("Path")->data.size(), 14u);
    EXPECT_EQ(key->Value("List")->type, REG_MULTI_SZ);
    EXPECT_EQ(key->Value("Block")->data.size(), 26u);
    EXPECT_EQ(key->Value("Block")->data[25], '\x19');
    EXPECT_EQ(*key->Value("Wide"), RegValue::Text("Hi\n!"));
  }
}

TEST(RegFileTest, ReadsDeletionsCommentsAndRegedit4) {
  const std::string text =
      "REGEDIT4\n\n"
      "[HKEY_LOCAL_MACHINE\\A\\B]\n\"x\"=dword:1\n\"y\"=\"keep\"\n"
      "[HKEY_LOCAL_MACHINE\\A\\C]\n\"z\"=hex:\n"
      "; a comment line\n"
      "[HKEY_LOCAL_MACHINE\\A\\B]\n\"x\"=-\n"
      "[-HKEY_LOCAL_MACHINE\\A\\C]\n";
  KeyNode tree;
  ASSERT_EQ(ParseRegFile(text, kRoot, tree).Summary(), "");
  EXPECT_EQ(tree.Find({"A", "B"})->Value("x"), nullptr);
  EXPECT_EQ(*tree.Find({"A", "B"})->Value("y"), RegValue::Text("keep"));
  EXPECT_EQ(tree.Find({"A", "C"}), nullptr);
}

TEST(RegFileTest, EmptyFileIsAnEmptyRoot) {
  KeyNode tree;
  EXPECT_EQ(ParseRegFile("", kRoot, tree).Summary(), "");
  EXPECT_EQ(ParseRegFile(" \r\n\n", kRoot, tree).Summary(), "");
  EXPECT_TRUE(tree.Children().empty());
}

// Line 5 of the file below is broken in a different way in each case.
TEST(RegFileTest, ABrokenLineCostsOnlyWhatItHolds) {
  const std::string head = FormatRegFile(KeyNode(), kRoot) + "[HKEY_LOCAL_MACHINE\\A]\n\"Before\"=dword:1\n";
  const std::string tail = "\"After\"=dword:2\n[HKEY_LOCAL_MACHINE\\B]\n\"Other\"=dword:3\n";
  std::string deep = "[HKEY_LOCAL_MACHINE";
  for (int i = 0; i < 513; ++i) deep += "\\k";
  deep += "]";
  std::string bigHex = "00";
  for (std::size_t i = 0; i < kMaxValueDataSize; ++i) bigHex += ",00";
  const struct {
    const char* what;
    std::string line;
    std::size_t dropped;
    bool afterKept;  // a broken key line also costs the values under it
  } cases[] = {
      {"truncated text", "\"a\"=\"no end", 1, true},
      {"truncated hex", "\"a\"=hex:01,02,\\", 1, true},
      {"hex going on with garbage", "\"a\"=hex:01,\\\n  zz,02", 2, true},
      {"invalid UTF-8", "\"a\"=\"\xC3\x28\"", 1, true},
      {"latin-1", "\"Name\"=\"Gr\374\337e\"", 1, true},
      {"zero character", std::string("\"a\"=\"\0\"", 6), 1, true},
      {"huge line", "\"a\"=\"" + std::string(kMaxLineLength, 'x') + "\"", 1, true},
      {"nine dword digits", "\"a\"=dword:123456789", 1, true},
      {"bad dword digit", "\"a\"=dword:12x4", 1, true},
      {"bad hex byte", "\"a\"=hex:01,zz", 1, true},
      {"three hex digits", "\"a\"=hex:123", 1, true},
      {"unknown kind", "\"a\"=qword:1", 1, true},
      {"text behind text", "\"a\"=\"b\" c", 1, true},
      {"stray line", "hello", 1, true},
      {"too large value", "\"a\"=hex:" + bigHex, 1, true},
      {"truncated key", "[HKEY_LOCAL_MACHINE\\C", 2, false},
      {"another root", "[HKEY_CURRENT_USER\\C]", 2, false},
      {"empty key name", "[HKEY_LOCAL_MACHINE\\A\\\\C]", 2, false},
      {"too deep", deep, 2, false},
      {"root deleted", "[-HKEY_LOCAL_MACHINE]", 2, false},
      {"value under a deleted key", "[-HKEY_LOCAL_MACHINE\\C]", 1, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    for (const bool utf16 : {false, true}) {
      const std::string text = head + c.line + "\n" + tail;
      if (utf16 && !IsValidUtf8(text)) continue;
      KeyNode tree;
      const RegFileProblems problems = ParseRegFile(utf16 ? Utf16Le(text) : text, kRoot, tree);
      EXPECT_EQ(problems.unreadable, "");
      EXPECT_EQ(problems.droppedLines, c.dropped);
      EXPECT_EQ(problems.firstDropped.substr(0, 7), c.dropped == 1 && !c.afterKept ? "line 6:" : "line 5:")
          << problems.firstDropped;
      EXPECT_EQ(tree.Find({"A"})->Value("Before")->AsDword(), 1);
      const RegValue* after = tree.Find({"A"})->Value("After");
      EXPECT_EQ(after ? after->AsDword() : std::nullopt, c.afterKept ? std::optional(2) : std::nullopt);
      ASSERT_NE(tree.Find({"B"}), nullptr);
      EXPECT_EQ(tree.Find({"B"})->Value("Other")->AsDword(), 3);
    }
  }
}

TEST(RegFileTest, BrokenUtf16CostsOnlyItsLine) {
  const std::string good =
      Utf8ToUtf16Le(FormatRegFile(KeyNode(), kRoot) + "[HKEY_LOCAL_MACHINE\\A]\n\"a\"=\"");
  const std::string rest = Utf8ToUtf16Le("\"\n\"Kept\"=dword:7\n");
  const struct {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"lone surrogate", "\xFF\xFE" + good + std::string("\x00\xD8", 2) + rest},
      {"odd byte count", "\xFF\xFE" + good + rest + "x"},
  };
  for (const auto& c : cases) {
    KeyNode tree;
    const RegFileProblems problems = ParseRegFile(c.bytes, kRoot, tree);
    EXPECT_EQ(problems.droppedLines, 1u) << c.what;
    EXPECT_EQ(tree.Find({"A"})->Value("Kept")->AsDword(), 7) << c.what;
  }
}

TEST(RegFileTest, WhatIsNoSettingsFileAtAllReadsAsNothing) {
  const struct {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"no header", "[HKEY_LOCAL_MACHINE\\A]\n\"a\"=dword:1\n"},
      {"garbage", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)},
      {"huge file", FormatRegFile(KeyNode(), kRoot) + std::string(kMaxFileSize, ' ')},
  };
  for (const auto& c : cases) {
    KeyNode tree;
    tree.Ensure({"left", "over"});
    const RegFileProblems problems = ParseRegFile(c.bytes, kRoot, tree);
    EXPECT_NE(problems.unreadable, "") << c.what;
    EXPECT_TRUE(tree.Children().empty()) << c.what << ": nothing half-read stays";
  }
}

}  // namespace
}  // namespace orvex::reg
