// The .reg text: what we write reads back exactly, Windows exports import,
// and broken text is refused with a reason instead of half-read.

#include <gtest/gtest.h>

#include "platform/registry/RegFile.h"
#include "platform/registry/Utf.h"

namespace orvex::reg {
namespace {

constexpr char kRoot[] = "HKEY_LOCAL_MACHINE";

void ExpectSameTree(const KeyNode& a, const KeyNode& b, const std::string& where = "") {
  ASSERT_EQ(a.Name(), b.Name()) << where;
  ASSERT_EQ(a.Values().size(), b.Values().size()) << where;
  for (std::size_t i = 0; i < a.Values().size(); ++i) {
    EXPECT_EQ(a.Values()[i].name, b.Values()[i].name) << where;
    EXPECT_EQ(a.Values()[i].value, b.Values()[i].value) << where << " " << a.Values()[i].name;
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
  ASSERT_EQ(ParseRegFile(text, kRoot, back), "");
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
  for (const std::string& bytes : {Utf16Le(text), Utf16Be(text), "\xEF\xBB\xBF" + text, text}) {
    KeyNode tree;
    ASSERT_EQ(ParseRegFile(bytes, kRoot, tree), "");
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
  ASSERT_EQ(ParseRegFile(text, kRoot, tree), "");
  EXPECT_EQ(tree.Find({"A", "B"})->Value("x"), nullptr);
  EXPECT_EQ(*tree.Find({"A", "B"})->Value("y"), RegValue::Text("keep"));
  EXPECT_EQ(tree.Find({"A", "C"}), nullptr);
}

TEST(RegFileTest, EmptyFileIsAnEmptyRoot) {
  KeyNode tree;
  EXPECT_EQ(ParseRegFile("", kRoot, tree), "");
  EXPECT_EQ(ParseRegFile(" \r\n\n", kRoot, tree), "");
  EXPECT_TRUE(tree.Children().empty());
}

TEST(RegFileTest, RefusesBrokenText) {
  const std::string good = FormatRegFile(KeyNode(), kRoot) + "[HKEY_LOCAL_MACHINE\\A]\n";
  std::string deep = good + "[HKEY_LOCAL_MACHINE";
  for (int i = 0; i < 513; ++i) deep += "\\k";
  deep += "]\n";
  std::string bigHex = "00";
  for (std::size_t i = 0; i < kMaxValueDataSize; ++i) bigHex += ",00";
  const struct {
    const char* what;
    std::string bytes;
  } cases[] = {
      {"no header", "[HKEY_LOCAL_MACHINE\\A]\n"},
      {"truncated text", good + "\"a\"=\"no end"},
      {"truncated hex", good + "\"a\"=hex:01,02,\\\n"},
      {"truncated section", good + "[HKEY_LOCAL_MACHINE\\B"},
      {"garbage", std::string("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16)},
      {"invalid UTF-8", good + "\"a\"=\"\xC3\x28\"\n"},
      {"odd UTF-16", Utf16Le(good) + "x"},
      {"broken surrogate", "\xFF\xFE" + Utf8ToUtf16Le(good) + std::string("\x00\xD8\x41\x00", 4)},
      {"zero character", good + std::string("\"a\"=\"\0\"\n", 8)},
      {"huge line", good + "\"a\"=\"" + std::string(kMaxLineLength, 'x') + "\"\n"},
      {"huge file", std::string(kMaxFileSize + 1, ' ')},
      {"another root", good + "[HKEY_CURRENT_USER\\A]\n"},
      {"value outside a key", FormatRegFile(KeyNode(), kRoot) + "\"a\"=dword:1\n"},
      {"nine dword digits", good + "\"a\"=dword:123456789\n"},
      {"bad dword digit", good + "\"a\"=dword:12x4\n"},
      {"bad hex byte", good + "\"a\"=hex:01,zz\n"},
      {"three hex digits", good + "\"a\"=hex:123\n"},
      {"unknown kind", good + "\"a\"=qword:1\n"},
      {"text behind text", good + "\"a\"=\"b\" c\n"},
      {"empty key name", good + "[HKEY_LOCAL_MACHINE\\A\\\\B]\n"},
      {"too deep", deep},
      {"stray line", good + "hello\n"},
      {"too large value", good + "\"a\"=hex:" + bigHex + "\n"},
  };
  for (const auto& c : cases) {
    KeyNode tree;
    tree.Ensure({"left", "over"});
    const std::string error = ParseRegFile(c.bytes, kRoot, tree);
    EXPECT_NE(error, "") << c.what;
    EXPECT_TRUE(tree.Children().empty()) << c.what << ": nothing half-read stays";
  }
  KeyNode tree;
  EXPECT_EQ(ParseRegFile(good + "\n\"a\"=dword:1\n\"b\"=dword:\n", kRoot, tree).substr(0, 7), "line 6:");
}

}  // namespace
}  // namespace orvex::reg
