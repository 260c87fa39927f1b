// The four settings groups against the store: defaults, corrections, failed
// reads that reset one value, and what a first start leaves in the key.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>

#include "platform/registry/Registry.h"
#include "settings/CaptureSettings.h"
#include "settings/OverlaySettings.h"
#include "settings/SettingsStore.h"
#include "settings/SnapShotSettings.h"
#include "settings/VideoProcessingSettings.h"
#include "tests/platform/registry/RegistryFixture.h"

namespace orvex::settings {
namespace {

using reg::REG_DWORD;
using reg::REG_SZ;
using reg::TRegistry;

class SettingsTest : public test::RegistryFixture {
 protected:
  // Direct access to the key, as another program or an old version would see it.
  static TRegistry& Key(TRegistry& reg) {
    reg.setRootKey(reg::Root::HKEY_LOCAL_MACHINE);
    EXPECT_TRUE(reg.OpenKey(kSettingsKey, true));
    return reg;
  }
  template <class F>
  static void Store(F write) {
    TRegistry reg;
    write(Key(reg));
    reg.CloseKey();
  }
};

TEST_F(SettingsTest, FirstStartLeavesAll41ValuesWithTheirDefaults) {
  // The dialogs read and write back their groups in the order they are created.
  const auto capture = TCaptureSettings::Read({});
  {
    TRegistry reg;
    reg.setRootKey(reg::Root::HKEY_LOCAL_MACHINE);
    EXPECT_TRUE(reg.KeyExists(kSettingsKey)) << "reading alone creates the key";
  }
  capture.Write();
  const auto processing = TVideoProcessingSettings::Read();
  processing.Write();
  const auto snapshot = TSnapShotSettings::Read();
  snapshot.Write();
  const auto overlay = TOverlaySettings::Read();
  overlay.Write();
  EXPECT_EQ(capture, TCaptureSettings());
  EXPECT_EQ(processing, TVideoProcessingSettings());
  EXPECT_EQ(snapshot, TSnapShotSettings());
  EXPECT_EQ(overlay, TOverlaySettings());

  TRegistry reg;
  const std::vector<std::string> names = Key(reg).GetValueNames();
  const std::vector<std::string> expected = {"SecondVideoSource",
                                             "SecondVideoInput",
                                             "SecondVideoSize",
                                             "SecondVideoCompression",
                                             "SecondAudioSource",
                                             "SecondAudioInput",
                                             "SecondAudioFormat",
                                             "SecondAudioCompression",
                                             "Brightness",
                                             "Contrast",
                                             "Hue",
                                             "Saturation",
                                             "Rotation",
                                             "Mirror",
                                             "GrayScale",
                                             "InvertColors",
                                             "SnapShotFormat",
                                             "SnapShotSize",
                                             "SnapShotCustomW",
                                             "SnapShotCustomH",
                                             "OverlayText",
                                             "OverlayFontName",
                                             "OverlayFontSize",
                                             "OverlayFontColor",
                                             "OverlayBackColor",
                                             "OverlayTextPosition",
                                             "Image1Position",
                                             "Image2Position",
                                             "Image3Position",
                                             "OverlayFontBold",
                                             "OverlayFontItalic",
                                             "OverlayFontUnderline",
                                             "OverlayFontStrikeOut",
                                             "OverlayBackTransparent",
                                             "OverlayTextVisible",
                                             "Image1Transparent",
                                             "Image2Transparent",
                                             "Image3Transparent",
                                             "Image1Visible",
                                             "Image2Visible",
                                             "Image3Visible"};
  ASSERT_EQ(names, expected);
  for (const auto& name : names) {
    const bool text = name == "OverlayText" || name == "OverlayFontName";
    EXPECT_EQ(reg.GetDataType(name), text ? REG_SZ : REG_DWORD) << name;
  }
  EXPECT_EQ(reg.ReadString("OverlayFontName"), "MS Sans Serif");
  EXPECT_EQ(reg.ReadInteger("OverlayBackColor"), 16777215);
  EXPECT_EQ(reg.ReadInteger("OverlayBackTransparent"), 1);
  EXPECT_EQ(reg.ReadInteger("OverlayFontSize"), 8);
  EXPECT_EQ(reg.ReadInteger("SnapShotCustomW"), 640);
  EXPECT_EQ(reg.ReadInteger("SnapShotCustomH"), 480);
  const std::string file = test::ReadFile(MachineFile());
  EXPECT_NE(
      file.find("[HKEY_LOCAL_MACHINE\\Software\\Brevantix\\Orvex]\n\"SecondVideoSource\"=dword:00000000\n"),
      std::string::npos);
  EXPECT_NE(file.find("\n\"OverlayFontName\"=\"MS Sans Serif\"\n"), std::string::npos);
}

TEST_F(SettingsTest, AValueOfAnotherTypeResetsOnlyItselfAndIsRewrittenRight) {
  Store([](TRegistry& reg) {
    reg.WriteString("Brightness", "12");
    reg.WriteInteger("Contrast", 30);
    reg.WriteInteger("Hue", -40);
    reg.WriteString("Mirror", "1");
    reg.WriteInteger("GrayScale", 7);
    reg.WriteInteger("OverlayText", 5);
  });
  const auto s = TVideoProcessingSettings::Read();
  EXPECT_EQ(s.Brightness, 0);
  EXPECT_EQ(s.Contrast, 30);
  EXPECT_EQ(s.Hue, -40);
  EXPECT_FALSE(s.Mirror);
  EXPECT_TRUE(s.GrayScale) << "any non-zero value is true";
  s.Write();
  EXPECT_EQ(TOverlaySettings::Read().OverlayText, "") << "a text of another type falls back too";

  TRegistry reg;
  Key(reg);
  EXPECT_EQ(reg.GetDataType("Brightness"), REG_DWORD);
  EXPECT_EQ(reg.ReadInteger("Brightness"), 0);
  EXPECT_EQ(reg.ReadInteger("GrayScale"), 1);
  EXPECT_EQ(reg.GetDataType("Mirror"), REG_DWORD);
}

TEST_F(SettingsTest, VideoProcessingValuesAreCorrectedOnRead) {
  const struct {
    int stored, brightness, rotation;
  } rows[] = {{300, 255, 45}, {-400, -255, 0}, {255, 255, 90}, {-255, -255, 180},
              {7, 7, 270},    {0, 0, -90},     {1, 1, 360}};
  for (const auto& row : rows) {
    Store([&](TRegistry& reg) {
      for (const char* name : {"Brightness", "Contrast", "Hue", "Saturation"})
        reg.WriteInteger(name, row.stored);
      reg.WriteInteger("Rotation", row.rotation);
    });
    const auto s = TVideoProcessingSettings::Read();
    EXPECT_EQ(s.Brightness, row.brightness) << row.stored;
    EXPECT_EQ(s.Contrast, row.brightness) << row.stored;
    EXPECT_EQ(s.Hue, row.brightness) << row.stored;
    EXPECT_EQ(s.Saturation, row.brightness) << row.stored;
    const bool kept = row.rotation == 0 || row.rotation == 90 || row.rotation == 180 || row.rotation == 270;
    EXPECT_EQ(s.Rotation, kept ? row.rotation : 0) << row.rotation;
    s.Write();
    TRegistry reg;
    EXPECT_EQ(Key(reg).ReadInteger("Brightness"), row.brightness) << "the corrected value is written back";
  }
}

TEST_F(SettingsTest, OverlayPositionsOutsideTheSixPlacesBecomeTopLeft) {
  Store([](TRegistry& reg) {
    reg.WriteInteger("OverlayTextPosition", 6);
    reg.WriteInteger("Image1Position", -1);
    reg.WriteInteger("Image2Position", 5);
    reg.WriteInteger("Image3Position", 3);
    reg.WriteInteger("OverlayBackTransparent", 0);
    reg.WriteInteger("OverlayFontColor", 0x0000FF);
  });
  const auto s = TOverlaySettings::Read();
  EXPECT_EQ(s.OverlayTextPosition, 0);
  EXPECT_EQ(s.Image1Position, 0);
  EXPECT_EQ(s.Image2Position, 5);
  EXPECT_EQ(s.Image3Position, 3);
  EXPECT_FALSE(s.OverlayBackTransparent);
  EXPECT_EQ(s.OverlayFontColor, 0x0000FF);
}

TEST_F(SettingsTest, FontNameFallsBackWhenEmptyAndIsCutTo31Characters) {
  const struct {
    std::optional<std::string> stored;
    std::string read;
  } rows[] = {
      {std::nullopt, "MS Sans Serif"},
      {"", "MS Sans Serif"},
      {"DejaVu Sans", "DejaVu Sans"},
      {std::string(40, 'A'), std::string(31, 'A')},
      {"Ünïcødé Fönt Nämé With Many Léttérs", "Ünïcødé Fönt Nämé With Many Lét"},
  };
  for (const auto& row : rows) {
    Store([&](TRegistry& reg) {
      reg.DeleteValue("OverlayFontName");
      if (row.stored) reg.WriteString("OverlayFontName", *row.stored);
    });
    EXPECT_EQ(TOverlaySettings::Read().OverlayFontName, row.read) << row.stored.value_or("(missing)");
  }
  Store([](TRegistry& reg) { reg.WriteInteger("OverlayFontName", 3); });
  EXPECT_EQ(TOverlaySettings::Read().OverlayFontName, "MS Sans Serif");
}

TEST_F(SettingsTest, FontSizesAreKeptWithinOneTo500Points) {
  const struct {
    std::int32_t stored;
    int read;
  } rows[] = {{8, 8},           {500, 500}, {501, 500}, {0x60000000, 500},
              {INT32_MAX, 500}, {0, 1},     {-8, 1},    {INT32_MIN, 1}};
  for (const auto& row : rows) {
    Store([&](TRegistry& reg) { reg.WriteInteger("OverlayFontSize", row.stored); });
    EXPECT_EQ(TOverlaySettings::Read().OverlayFontSize, row.read) << row.stored;
  }
}

TEST_F(SettingsTest, OverlayTextSurvivesExactly) {
  TOverlaySettings s;
  s.OverlayText = "Kamera \"1\" C:\\cam\nZeile 2 – 日本 😀";
  s.OverlayFontName = "Noto Sans";
  s.Write();
  EXPECT_EQ(TOverlaySettings::Read(), s);
}

TEST_F(SettingsTest, SnapshotCodesAndSizesAreCorrectedOnRead) {
  const struct {
    int format, size, width, height;
    TSnapShotSettings read;
  } rows[] = {
      {3, -1, 0, 0, {0, 0, 640, 480}},
      {2, 2, 70000, 70000, {2, 2, 640, 480}},
      {1, 1, 65535, 65535, {1, 1, 65535, 65535}},
      {-1, 3, -5, 1, {0, 0, 640, 1}},
  };
  for (const auto& row : rows) {
    TSnapShotSettings{row.format, row.size, row.width, row.height}.Write();  // written unchecked
    EXPECT_EQ(TSnapShotSettings::Read(), row.read) << row.width << "x" << row.height;
  }
}

TEST_F(SettingsTest, CaptureIndexesAreCheckedAgainstTheListsInTwoStages) {
  Store([](TRegistry& reg) {
    reg.WriteInteger("SecondVideoSource", 3);
    reg.WriteInteger("SecondVideoInput", -1);
    reg.WriteInteger("SecondVideoSize", 9);
    reg.WriteInteger("SecondVideoCompression", 2);
    reg.WriteInteger("SecondAudioSource", -1);
    reg.WriteInteger("SecondAudioInput", 1);
    reg.WriteInteger("SecondAudioFormat", -7);
    reg.WriteInteger("SecondAudioCompression", 4);
  });
  // Two cameras, one microphone, two video and four audio compressors, each
  // list with its "-None-" first.
  const auto s = TCaptureSettings::Read(
      {.videoDevices = 3, .videoCompressors = 3, .audioDevices = 2, .audioCompressors = 5});
  EXPECT_EQ(s.SecondVideoSource, 0) << "3 is beyond two cameras: -None-";
  EXPECT_EQ(s.SecondVideoInput, 0);
  EXPECT_EQ(s.SecondVideoSize, 9) << "checked once the size list is filled";
  EXPECT_EQ(s.SecondVideoCompression, 2);
  EXPECT_EQ(s.SecondAudioSource, 0);
  EXPECT_EQ(s.SecondAudioInput, 1);
  EXPECT_EQ(s.SecondAudioFormat, 0);
  EXPECT_EQ(s.SecondAudioCompression, 4);
  EXPECT_EQ(IndexInList(s.SecondVideoSize, 6), 0);
  EXPECT_EQ(IndexInList(5, 6), 5);
  EXPECT_EQ(IndexInList(-1, 6), 0);
  EXPECT_EQ(IndexInList(0, 0), 0);

  Store([](TRegistry& reg) { reg.WriteInteger("SecondVideoSource", 2); });
  EXPECT_EQ(TCaptureSettings::Read({.videoDevices = 3}).SecondVideoSource, 2);
}

TEST_F(SettingsTest, AStoreThatCannotBeWrittenGivesDefaultsAndAnErrorToShow) {
  Store([](TRegistry& reg) { reg.WriteInteger("Brightness", 50); });
  test::WriteFile(dir_ / "not-a-folder", "");
  setenv("ORVEX_CONFIG_DIR", (dir_ / "not-a-folder" / "orvex").c_str(), 1);

  EXPECT_EQ(TCaptureSettings::Read({.videoDevices = 3}), TCaptureSettings());
  const auto processing = TVideoProcessingSettings::Read();
  EXPECT_EQ(processing, TVideoProcessingSettings());
  EXPECT_EQ(TOverlaySettings::Read(), TOverlaySettings());
  EXPECT_EQ(TSnapShotSettings::Read(), TSnapShotSettings());
  try {
    processing.Write();
    FAIL() << "the write must fail";
  } catch (const reg::ERegistryException& e) {
    const std::string message = e.what();
    EXPECT_EQ(message.rfind("Failed to set data for 'Brightness': ", 0), 0u) << message;
    EXPECT_NE(message.find("not-a-folder"), std::string::npos) << message;
  }
  EXPECT_THROW(TCaptureSettings().Write(), reg::ERegistryException);
  EXPECT_TRUE(notices_.empty());
}

// A file the program wrote, with one line then broken by hand in a way that
// makes it unreadable.
TEST_F(SettingsTest, OneBrokenLineCostsOnlyItsOwnValue) {
  const std::string seed =
      test::ReadFile(std::filesystem::path(ORVEX_SETTINGS_SEEDS_DIR) / "chosen" / "HKEY_LOCAL_MACHINE.reg");
  const std::string line = "\"Hue\"=dword:ffffffe0\n";
  ASSERT_NE(seed.find(line), std::string::npos);
  const TCaptureListSizes lists{10, 10, 10, 10};
  test::WriteFile(MachineFile(), seed);
  TVideoProcessingSettings processing = TVideoProcessingSettings::Read();
  const auto capture = TCaptureSettings::Read(lists);
  const auto snapshot = TSnapShotSettings::Read();
  const auto overlay = TOverlaySettings::Read();
  ASSERT_EQ(processing.Hue, -32);
  processing.Hue = 0;

  const char* const broken[] = {"\"Hue\"=dwrod:ffffffe0\n", "\"Hue\"=dword:fffffffe0\n",
                                "\"Hue=dword:ffffffe0\n", "\"Hue\"=dword:ffff\xE0\n"};
  for (const std::string with : broken) {
    SCOPED_TRACE(with);
    std::string text = seed;
    text.replace(text.find(line), line.size(), with);
    for (const auto& entry : std::filesystem::directory_iterator(dir_.path())) std::filesystem::remove(entry);
    test::WriteFile(MachineFile(), text);
    notices_.clear();

    EXPECT_EQ(TVideoProcessingSettings::Read(), processing);
    EXPECT_EQ(TCaptureSettings::Read(lists), capture);
    EXPECT_EQ(TSnapShotSettings::Read(), snapshot);
    EXPECT_EQ(TOverlaySettings::Read(), overlay);
    ASSERT_EQ(notices_.size(), 1u);
    EXPECT_EQ(notices_[0].rfind("1 line of the settings file", 0), 0u) << notices_[0];
    EXPECT_NE(notices_[0].find("line 18: "), std::string::npos) << notices_[0];
    std::vector<std::filesystem::path> aside;
    for (const auto& entry : std::filesystem::directory_iterator(dir_.path()))
      if (entry.path().filename().string().starts_with("HKEY_LOCAL_MACHINE.reg.corrupt-"))
        aside.push_back(entry);
    ASSERT_EQ(aside.size(), 1u);
    EXPECT_EQ(test::ReadFile(aside[0]), text) << "the file as it was is kept";
    TRegistry reg;
    EXPECT_EQ(Key(reg).GetValueNames().size(), 40u) << "the 40 values that read are saved at once";
  }
}

}  // namespace
}  // namespace orvex::settings
