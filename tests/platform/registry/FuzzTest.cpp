// Random and mutated files, seeded so that a failure repeats: the parser
// never crashes, whatever it accepts it writes back unchanged, and the store
// never loses a file it was given.

#include <gtest/gtest.h>

#include <random>

#include "platform/registry/RegFile.h"
#include "platform/registry/Registry.h"
#include "platform/registry/Utf.h"
#include "tests/platform/registry/RegistryFixture.h"

namespace orvex::reg {
namespace {

namespace fs = std::filesystem;
constexpr char kRoot[] = "HKEY_CURRENT_USER";

std::vector<std::string> Seeds() {
  KeyNode tree;
  KeyNode& key = tree.Ensure({"Software", "VOduduDudiviv", "Devices", "Test Pattern Camera"});
  key.SetValue("VideoQualityValues", RegValue::Binary(std::string(240, '\x11')));
  key.SetValue("FMT000", RegValue::Text("640x480"));
  key.SetValue("Lines", RegValue::Text("a\r\nb \"c\" \\d"));
  key.SetValue("", RegValue::Dword(7));
  key.SetValue("Odd", {REG_MULTI_SZ, std::string("a\0\0\0", 4)});
  tree.Ensure({"Software", "VOduduDudiviv", "Global"}).SetValue("_LastClipPlayed", RegValue::Text("Ünïcødé"));
  const std::string utf8 = FormatRegFile(tree, kRoot);
  return {utf8, "\xFF\xFE" + Utf8ToUtf16Le(utf8), "\xEF\xBB\xBF" + utf8};
}

std::string Mutate(std::string bytes, std::mt19937& rng) {
  const auto pick = [&](std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n)(rng); };
  static const char* const kTokens[] = {"\\\n", "\"",     "[", "]", "\r\n", "=",
                                        "hex(", "dword:", ",", "@", "\\",   "\n[-"};
  const int edits = 1 + static_cast<int>(pick(2));
  for (int i = 0; i < edits && !bytes.empty(); ++i) {
    const std::size_t at = pick(bytes.size() - 1);
    switch (pick(5)) {
      case 0: bytes[at] = static_cast<char>(pick(255)); break;
      case 1: bytes.insert(at, kTokens[pick(std::size(kTokens) - 1)]); break;
      case 2: bytes.resize(at); break;
      case 3: bytes.erase(at, pick(16)); break;
      case 4: bytes.insert(at, bytes.substr(pick(bytes.size() - 1), pick(64))); break;
      default: bytes.insert(at, 1, static_cast<char>(pick(31))); break;
    }
  }
  return bytes;
}

std::string RandomBytes(std::mt19937& rng) {
  std::string bytes(std::uniform_int_distribution<std::size_t>(0, 2000)(rng), '\0');
  for (char& c : bytes) c = static_cast<char>(rng());
  if (rng() % 2) bytes.insert(0, "Windows Registry Editor Version 5.00\n");
  return bytes;
}

TEST(FuzzTest, WhatWasReadIsWrittenBackAsItWasRead) {
  std::mt19937 rng(20261208);
  const auto seeds = Seeds();
  int accepted = 0;
  for (int i = 0; i < 3000; ++i) {
    const std::string bytes = i % 10 == 9 ? RandomBytes(rng) : Mutate(seeds[i % seeds.size()], rng);
    KeyNode tree;
    if (!ParseRegFile(bytes, kRoot, tree).unreadable.empty()) continue;
    ++accepted;
    const std::string text = FormatRegFile(tree, kRoot);
    KeyNode again;
    ASSERT_EQ(ParseRegFile(text, kRoot, again).Summary(), "") << "case " << i;
    ASSERT_EQ(FormatRegFile(again, kRoot), text) << "case " << i;
  }
  EXPECT_GT(accepted, 300) << "the mutations should leave many files readable";
}

class StoreFuzzTest : public test::RegistryFixture {};

TEST_F(StoreFuzzTest, TheStoreNeverLosesTheFileItWasGiven) {
  std::mt19937 rng(17);
  const auto seeds = Seeds();
  for (int i = 0; i < 120; ++i) {
    const fs::path folder = dir_ / std::to_string(i);
    fs::create_directories(folder);
    setenv("ORVEX_CONFIG_DIR", folder.c_str(), 1);
    const std::string original = i % 10 == 9 ? RandomBytes(rng) : Mutate(seeds[i % seeds.size()], rng);
    test::WriteFile(folder / "HKEY_CURRENT_USER.reg", original);
    KeyNode expected;
    const bool readable = ParseRegFile(original, kRoot, expected).None();

    TRegistry reg;
    ASSERT_TRUE(reg.OpenKey("Software\\Orvex Fuzz", true)) << "case " << i << ": " << reg.LastError();
    reg.WriteInteger("Written", i);
    reg.CloseKey();

    expected.Ensure({"Software", "Orvex Fuzz"}).SetValue("Written", RegValue::Dword(i));
    ASSERT_EQ(test::ReadFile(folder / "HKEY_CURRENT_USER.reg"), FormatRegFile(expected, kRoot))
        << "case " << i << ": the file keeps all that could be read of it";
    std::vector<std::string> aside;
    for (const auto& entry : fs::directory_iterator(folder)) {
      if (entry.path().filename().string().find(".corrupt-") != std::string::npos) {
        aside.push_back(test::ReadFile(entry.path()));
      }
    }
    if (readable) {
      EXPECT_TRUE(aside.empty()) << "case " << i;
    } else {
      ASSERT_EQ(aside.size(), 1u) << "case " << i;
      EXPECT_EQ(aside[0], original) << "case " << i << ": an unreadable file is kept byte for byte";
    }
  }
}

}  // namespace
}  // namespace orvex::reg
