// Snapshot files: scaling the captured frame, the three formats read back by
// ffmpeg, refused sizes and failed writes, and the preview window's handler
// with its save dialog and error box.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "platform/dialogs/ScriptedDialogs.h"
#include "platform/gdi/Bitmap.h"
#include "preview/RecordingStatusView.h"
#include "preview/SnapshotSaver.h"
#include "preview/TfrmPreview.h"
#include "tests/support/FfmpegDecode.h"
#include "tests/support/TempDir.h"

namespace fs = std::filesystem;
using orvex::dialogs::MsgIcon;
using orvex::dialogs::ScriptedDialogs;
using orvex::gdi::Bitmap;
using orvex::gdi::COLORREF;
using orvex::gdi::Orientation;
using orvex::gdi::PixelFormat;
using orvex::gdi::RGB;
using orvex::test::DecodedPicture;
using orvex::test::DecodeWithFfmpeg;
using orvex::test::ReadFile;

namespace {

// Every column and row of the frame has its own colour, so a dropped,
// repeated or blended one shows.
COLORREF FramePixel(int x, int y) { return RGB(x & 0xFF, (x >> 8) * 64 + (y >> 8) * 16, y & 0xFF); }

std::unique_ptr<Bitmap> MakeFrame(int w, int h, PixelFormat format = PixelFormat::Rgb32,
                                  Orientation order = Orientation::BottomUp) {
  auto frame = std::make_unique<Bitmap>(w, h, format, order);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) frame->SetPixel(x, y, FramePixel(x, y));
  return frame;
}

COLORREF Decoded(const DecodedPicture& p, int x, int y) {
  const std::uint8_t* rgb = p.At(x, y);
  return RGB(rgb[0], rgb[1], rgb[2]);
}

std::uint32_t Le32(const std::string& bytes, std::size_t at) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<std::uint8_t>(bytes.at(at + i));
  return v;
}
std::uint16_t Le16(const std::string& bytes, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<std::uint8_t>(bytes.at(at)) |
                                    static_cast<std::uint8_t>(bytes.at(at + 1)) << 8);
}

int ChannelDistance(COLORREF a, COLORREF b) {
  int worst = 0;
  for (int shift : {0, 8, 16})
    worst = std::max(worst, std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)));
  return worst;
}

class FakeChoices : public ISnapshotChoices {
 public:
  TSnapshotFormat format = sf_BMP;
  TSnapshotSizeMode mode = ss_Video;
  std::string width = "640", height = "480";
  TSnapshotFormat SnapshotFormat() const override { return format; }
  TSnapshotSizeMode SnapshotSizeMode() const override { return mode; }
  std::string CustomWidthText() const override { return width; }
  std::string CustomHeightText() const override { return height; }
};

struct FakeMainWindow : IRecordingStatusView {
  void SetStatusText(const QString&) override {}
  void SetConfigurationEnabled(bool) override {}
};

}  // namespace

TEST(SnapshotText, WholeNumbersFormatsAndTheConversionMessage) {
  EXPECT_EQ(ParseWholeNumber("640"), 640);
  EXPECT_EQ(ParseWholeNumber("  12 "), 12);
  EXPECT_EQ(ParseWholeNumber("-5"), -5);
  EXPECT_EQ(ParseWholeNumber("+7"), 7);
  EXPECT_EQ(ParseWholeNumber("2147483647"), 2147483647);
  for (const char* bad : {"", " ", "abc", "12a", "1.5", "+-3", "0x10", "2147483648", "6 4"})
    EXPECT_EQ(ParseWholeNumber(bad), std::nullopt) << bad;
  EXPECT_EQ(NotAnIntegerMessage("abc"), "'abc' is not a valid integer value");
  EXPECT_EQ(SnapshotFormatOfPath("a/shot.BMP"), sf_BMP);
  EXPECT_EQ(SnapshotFormatOfPath("shot.jpeg"), sf_JPG);
  EXPECT_EQ(SnapshotFormatOfPath("shot.Gif"), sf_GIF);
  EXPECT_EQ(SnapshotFormatOfPath("shot.png"), std::nullopt);
  EXPECT_EQ(SnapshotFormatOfPath("gif"), std::nullopt);
}

// At the video size the BMP holds the frame's pixels unchanged, whatever the
// frame's depth and row order, and is a 32-bit file.
TEST(SnapshotSaver, AVideoSizedBmpHoldsTheFramesPixels) {
  orvex::test::TempDir dir;
  const std::pair<PixelFormat, Orientation> kinds[] = {{PixelFormat::Rgb32, Orientation::BottomUp},
                                                       {PixelFormat::Rgb24, Orientation::TopDown}};
  for (const auto& [format, order] : kinds) {
    const auto frame = MakeFrame(97, 61, format, order);
    const fs::path file = dir / "video.bmp";
    const TSnapshotResult r = SaveSnapshot(*frame, sf_BMP, {97, 61}, file);
    ASSERT_TRUE(r) << r.Error;
    const std::string bytes = ReadFile(file);
    ASSERT_GT(bytes.size(), 54u);
    EXPECT_EQ(bytes.substr(0, 2), "BM");
    EXPECT_EQ(Le16(bytes, 28), 32) << "bits per pixel";
    EXPECT_EQ(Le32(bytes, 30), 0u) << "uncompressed";
    const DecodedPicture p = DecodeWithFfmpeg(file);
    ASSERT_TRUE(p.ok()) << p.error;
    ASSERT_EQ(p.width, 97);
    ASSERT_EQ(p.height, 61);
    int wrong = 0;
    for (int y = 0; y < 61; ++y)
      for (int x = 0; x < 97; ++x) wrong += Decoded(p, x, y) != FramePixel(x, y);
    EXPECT_EQ(wrong, 0) << "bits " << frame->BitCount();
  }
}

// Half the width: every other column is dropped, none blended, all rows stay.
TEST(SnapshotSaver, CustomSizeDropsColumnsWithoutBlending) {
  orvex::test::TempDir dir;
  const auto frame = MakeFrame(640, 480);
  const fs::path file = dir / "custom.bmp";
  ASSERT_TRUE(SaveSnapshot(*frame, sf_BMP, {320, 480}, file));
  const DecodedPicture p = DecodeWithFfmpeg(file);
  ASSERT_TRUE(p.ok()) << p.error;
  ASSERT_EQ(p.width, 320);
  ASSERT_EQ(p.height, 480);
  int wrong = 0;
  for (int y = 0; y < 480; ++y)
    for (int x = 0; x < 320; ++x) wrong += Decoded(p, x, y) != FramePixel(2 * x + 1, y);
  EXPECT_EQ(wrong, 0);
}

// A screen-sized snapshot is the frame stretched over the whole screen size,
// rows and columns repeated, nothing else in it.
TEST(SnapshotSaver, ScreenSizeStretchesTheFrameOverAllOfIt) {
  const auto frame = MakeFrame(640, 480);
  Bitmap working;
  ASSERT_TRUE(MakeSnapshotBitmap(*frame, {1920, 1080}, working));
  ASSERT_EQ(working.Width(), 1920);
  ASSERT_EQ(working.Height(), 1080);
  EXPECT_EQ(working.BitCount(), 32);
  int wrong = 0;
  for (int y = 0; y < 1080; y += 7)
    for (int x = 0; x < 1920; x += 5)
      wrong += working.Pixel(x, y) != FramePixel((2 * x + 1) * 640 / 3840, (2 * y + 1) * 480 / 2160);
  EXPECT_EQ(wrong, 0);
  EXPECT_EQ(working.Pixel(1919, 1079), FramePixel(639, 479));
  EXPECT_EQ(working.Pixel(0, 0), FramePixel(0, 0));
}

// Each format opens in an independent decoder at the chosen size with the
// frame's colours; JPEG is baseline at quality 90, GIF through the GIF writer.
TEST(SnapshotSaver, EachFormatDecodesAtTheChosenSize) {
  orvex::test::TempDir dir;
  // Four flat quarters, so lossy formats can be compared by colour.
  Bitmap frame(160, 120, PixelFormat::Rgb24);
  const COLORREF quarter[] = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255), RGB(255, 255, 255)};
  for (int y = 0; y < 120; ++y)
    for (int x = 0; x < 160; ++x) frame.SetPixel(x, y, quarter[(y / 60) * 2 + x / 80]);

  const std::pair<TSnapshotFormat, const char*> formats[] = {
      {sf_BMP, "shot.bmp"}, {sf_JPG, "shot.jpg"}, {sf_GIF, "shot.gif"}};
  for (const auto& [format, name] : formats) {
    SCOPED_TRACE(name);
    const fs::path file = dir / name;
    const TSnapshotResult r = SaveSnapshot(frame, format, {200, 100}, file);
    ASSERT_TRUE(r) << r.Error;
    const DecodedPicture p = DecodeWithFfmpeg(file);
    ASSERT_TRUE(p.ok()) << p.error;
    ASSERT_EQ(p.width, 200);
    ASSERT_EQ(p.height, 100);
    const int tolerance = format == sf_BMP ? 0 : 12;
    EXPECT_LE(ChannelDistance(Decoded(p, 40, 20), quarter[0]), tolerance);
    EXPECT_LE(ChannelDistance(Decoded(p, 160, 20), quarter[1]), tolerance);
    EXPECT_LE(ChannelDistance(Decoded(p, 40, 80), quarter[2]), tolerance);
    EXPECT_LE(ChannelDistance(Decoded(p, 160, 80), quarter[3]), tolerance);
  }
  const std::string jpeg = ReadFile(dir / "shot.jpg");
  EXPECT_NE(jpeg.find("\xFF\xC0", 0, 2), std::string::npos) << "baseline frame";
  EXPECT_EQ(jpeg.find("\xFF\xC2", 0, 2), std::string::npos) << "not progressive";
  // Quality 90 scales the luminance table's first entry, 16, to 3.
  const std::size_t dqt = jpeg.find("\xFF\xDB", 0, 2);
  ASSERT_NE(dqt, std::string::npos);
  EXPECT_EQ(static_cast<std::uint8_t>(jpeg.at(dqt + 5)), 3);
  EXPECT_EQ(ReadFile(dir / "shot.gif").substr(0, 6), "GIF87a");
}

TEST(SnapshotSaver, SizesOfNoPixelsOrTooManyAreRefusedWithoutAFile) {
  orvex::test::TempDir dir;
  const auto frame = MakeFrame(64, 48);
  const TSnapshotSize refused[] = {{0, 480}, {640, 0}, {-5, 480}, {640, -1}, {65536, 10}};
  for (const TSnapshotSize size : refused) {
    const fs::path file = dir / "none.bmp";
    const TSnapshotResult r = SaveSnapshot(*frame, sf_BMP, size, file);
    EXPECT_FALSE(r);
    EXPECT_NE(r.Error.find(std::to_string(size.Width) + " x " + std::to_string(size.Height)),
              std::string::npos)
        << r.Error;
    EXPECT_NE(r.Error.find("from 1 to 65535"), std::string::npos) << r.Error;
    EXPECT_FALSE(fs::exists(file));
  }
  // Allowed sides, but more than a picture may take.
  Bitmap working;
  const TSnapshotResult huge = MakeSnapshotBitmap(*frame, {65535, 65535}, working);
  EXPECT_FALSE(huge);
  EXPECT_NE(huge.Error.find("not enough memory"), std::string::npos) << huge.Error;
  EXPECT_TRUE(working.Empty());
}

TEST(SnapshotSaver, AFailedWriteSaysSoAndLeavesNoFile) {
  orvex::test::TempDir dir;
  orvex::test::WriteFile(dir / "plain", "not a folder");
  const auto frame = MakeFrame(32, 24);
  for (TSnapshotFormat format : {sf_BMP, sf_JPG, sf_GIF}) {
    for (const fs::path& file : {dir / "missing" / "shot.x", dir / "plain" / "shot.x"}) {
      const TSnapshotResult r = SaveSnapshot(*frame, format, {32, 24}, file);
      EXPECT_FALSE(r) << file;
      EXPECT_NE(r.Error.find("Cannot create file"), std::string::npos) << r.Error;
      EXPECT_NE(r.Error.find(file.string()), std::string::npos) << r.Error;
    }
  }
  EXPECT_FALSE(fs::exists(dir / "missing"));
  EXPECT_EQ(ReadFile(dir / "plain"), "not a folder");
  EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1) << "no leftovers";
}

// The preview window's handler, fed the way the engine feeds it.
class SnapshotHandler : public ::testing::Test {
 protected:
  SnapshotHandler() { preview.SetSnapshotChoices(&choices); }

  void Deliver(const Bitmap& frame) {
    TFrameData data;
    data.Bitmap = &frame;
    preview.VOduduDudiviv1FrameCaptureCompleted(&engine, data, fc_TBitmap, "", true);
  }
  std::vector<ScriptedDialogs::Call> Saves() const {
    return dialogs.CallsOf(ScriptedDialogs::Kind::SaveFile);
  }
  std::vector<ScriptedDialogs::Call> Errors() const {
    return dialogs.CallsOf(ScriptedDialogs::Kind::MessageBox);
  }

  orvex::test::TempDir dir;
  ScriptedDialogs dialogs;
  FakeChoices choices;
  FakeMainWindow main;
  TfrmPreview preview{main};
  VOduduDudiviv& engine = *preview.VOduduDudiviv1;
};

// Each format sets the dialog's extension and filter, and a name typed
// without an extension gets it.
TEST_F(SnapshotHandler, TheSaveDialogFollowsTheFormat) {
  const auto frame = MakeFrame(engine.VideoWidth(), engine.VideoHeight());
  const std::tuple<TSnapshotFormat, const char*, const char*> rows[] = {
      {sf_GIF, ".gif", "Gif Files (*.GIF)|*.gif|All Files (*.*)|*.*"},
      {sf_JPG, ".jpg", "JPeg Files (*.JPG)|*.jpg|All Files (*.*)|*.*"},
      {sf_BMP, ".bmp", "Bitmap Files (*.BMP)|*.bmp|All Files (*.*)|*.*"}};
  std::size_t shown = 0;
  for (const auto& [format, ext, filter] : rows) {
    choices.format = format;
    const std::string name = std::string("snap") + ext;
    dialogs.QueueSaveFile(QString::fromStdString((dir / "snap").string()));
    Deliver(*frame);
    ASSERT_EQ(Saves().size(), ++shown);
    const auto call = Saves().back();
    EXPECT_EQ(call.file.title, "Save SnapShot Image");
    EXPECT_EQ(call.file.defaultExt, ext);
    EXPECT_EQ(call.file.filter, filter);
    const DecodedPicture p = DecodeWithFfmpeg(dir / name);
    ASSERT_TRUE(p.ok()) << name << ": " << p.error;
    EXPECT_EQ(p.width, engine.VideoWidth());
    EXPECT_EQ(p.height, engine.VideoHeight());
  }
  EXPECT_TRUE(Errors().empty());
}

// The second save dialog proposes the first path; replacing that file is
// asked first, and No shows the dialog again. A cancel keeps the path.
TEST_F(SnapshotHandler, ReplacingASnapshotAsksFirst) {
  const QString path = QString::fromStdString((dir / "first.bmp").string());
  Bitmap red(engine.VideoWidth(), engine.VideoHeight(), PixelFormat::Rgb32);
  red.Fill(RGB(255, 0, 0));
  Bitmap blue(engine.VideoWidth(), engine.VideoHeight(), PixelFormat::Rgb32);
  blue.Fill(RGB(0, 0, 255));

  dialogs.QueueSaveFile(path);
  Deliver(red);
  EXPECT_TRUE(Saves().at(0).file.fileName.isEmpty());
  EXPECT_TRUE(Errors().empty()) << "a new file needs no question";

  dialogs.QueueSaveFile(path);
  dialogs.QueueMessageResult(orvex::dialogs::MsgResult::No);
  dialogs.QueueSaveFile(std::nullopt);
  Deliver(blue);
  EXPECT_EQ(Saves().at(1).file.fileName.toStdString(), path.toStdString());
  ASSERT_EQ(Errors().size(), 1u);
  EXPECT_EQ(Errors()[0].text.toStdString(),
            path.toStdString() + " already exists.\nDo you want to replace it?");
  EXPECT_EQ(Errors()[0].caption, "Orvex Ziru");
  EXPECT_EQ(Saves().at(2).file.fileName.toStdString(), path.toStdString())
      << "No brings the dialog back with the name";
  EXPECT_EQ(Decoded(DecodeWithFfmpeg(dir / "first.bmp"), 5, 5), RGB(255, 0, 0)) << "kept";

  dialogs.QueueSaveFile(path);
  dialogs.QueueMessageResult(orvex::dialogs::MsgResult::Yes);
  Deliver(blue);
  EXPECT_EQ(Decoded(DecodeWithFfmpeg(dir / "first.bmp"), 5, 5), RGB(0, 0, 255)) << "replaced";

  dialogs.QueueSaveFile(std::nullopt);
  Deliver(red);
  EXPECT_EQ(preview.SaveDialog1.fileName.toStdString(), path.toStdString());
  EXPECT_EQ(Decoded(DecodeWithFfmpeg(dir / "first.bmp"), 5, 5), RGB(0, 0, 255));
}

// The proposed name takes the extension of the format chosen now, and what
// a file holds always matches its extension: a picture extension the user
// types decides the format, any other gets the chosen one's added.
TEST_F(SnapshotHandler, TheNameAndTheContentFollowTheFormat) {
  const auto frame = MakeFrame(engine.VideoWidth(), engine.VideoHeight());
  struct Row {
    const char* previous;
    TSnapshotFormat format;
    const char* proposed;
    const char* answer;
    const char* written;
    const char* magic;
  } const rows[] = {{"snap.jpg", sf_BMP, "snap.bmp", "snap.bmp", "snap.bmp", "BM"},
                    {"snap.bmp", sf_JPG, "snap.jpg", "snap.jpg", "snap.jpg", "\xFF\xD8\xFF"},
                    {"snap.jpg", sf_GIF, "snap.gif", "snap.gif", "snap.gif", "GIF8"},
                    {"", sf_BMP, "", "typed.jpg", "typed.jpg", "\xFF\xD8\xFF"},
                    {"", sf_GIF, "", "typed.png", "typed.png.gif", "GIF8"},
                    {"", sf_JPG, "", "typed", "typed.jpg", "\xFF\xD8\xFF"}};
  auto inDir = [&](const char* name) {
    return *name ? QString::fromStdString((dir / name).string()) : QString();
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.answer);
    preview.SaveDialog1.fileName = inDir(row.previous);
    choices.format = row.format;
    dialogs.QueueSaveFile(inDir(row.answer));
    Deliver(*frame);
    EXPECT_EQ(Saves().back().file.fileName.toStdString(), inDir(row.proposed).toStdString());
    EXPECT_EQ(ReadFile(dir / row.written).substr(0, std::string(row.magic).size()), row.magic);
    EXPECT_EQ(preview.SaveDialog1.fileName.toStdString(), inDir(row.written).toStdString())
        << "proposed next time";
    fs::remove(dir / row.written);
  }
  EXPECT_TRUE(Errors().empty());
}

TEST_F(SnapshotHandler, CustomSizeTextThatIsNoNumberShowsTheConversionError) {
  const auto frame = MakeFrame(64, 48);
  choices.mode = ss_Custom;
  for (const auto& [width, height, bad] :
       {std::tuple{"abc", "480", "abc"}, std::tuple{"640", "4 80", "4 80"}, std::tuple{"", "x", ""}}) {
    dialogs.ClearCalls();
    choices.width = width;
    choices.height = height;
    Deliver(*frame);
    ASSERT_EQ(Errors().size(), 1u);
    EXPECT_EQ(Errors()[0].text, QString("'%1' is not a valid integer value").arg(bad));
    EXPECT_EQ(Errors()[0].caption, "Orvex Ziru");
    EXPECT_EQ(Errors()[0].icon, MsgIcon::Stop);
    EXPECT_TRUE(Saves().empty()) << "nothing to save";
  }
}

TEST_F(SnapshotHandler, ACustomSizeOfNoPixelsIsRefusedBeforeTheSaveDialog) {
  const auto frame = MakeFrame(64, 48);
  choices.mode = ss_Custom;
  choices.width = "0";
  choices.height = "480";
  Deliver(*frame);
  ASSERT_EQ(Errors().size(), 1u);
  EXPECT_NE(Errors()[0].text.indexOf("0 x 480"), -1) << Errors()[0].text.toStdString();
  EXPECT_TRUE(Saves().empty());

  // A good size afterwards works as before.
  choices.width = "-20";
  Deliver(*frame);
  EXPECT_EQ(Errors().size(), 2u);
  choices.width = "32";
  choices.height = "16";
  dialogs.QueueSaveFile(QString::fromStdString((dir / "small.bmp").string()));
  Deliver(*frame);
  const DecodedPicture p = DecodeWithFfmpeg(dir / "small.bmp");
  ASSERT_TRUE(p.ok()) << p.error;
  EXPECT_EQ(p.width, 32);
  EXPECT_EQ(p.height, 16);
}

TEST_F(SnapshotHandler, AFailedWriteShowsTheErrorBoxAndLeavesNoFile) {
  const auto frame = MakeFrame(engine.VideoWidth(), engine.VideoHeight());
  const fs::path target = dir / "no such folder" / "shot.jpg";
  choices.format = sf_JPG;
  dialogs.QueueSaveFile(QString::fromStdString(target.string()));
  Deliver(*frame);
  ASSERT_EQ(Errors().size(), 1u);
  EXPECT_TRUE(Errors()[0].text.startsWith("Cannot create file")) << Errors()[0].text.toStdString();
  EXPECT_EQ(Errors()[0].icon, MsgIcon::Stop);
  EXPECT_FALSE(fs::exists(target.parent_path()));
  // The next snapshot proposes the path the user chose, to be corrected.
  dialogs.QueueSaveFile(QString::fromStdString((dir / "shot.jpg").string()));
  Deliver(*frame);
  EXPECT_EQ(Saves().at(1).file.fileName.toStdString(), target.string());
  EXPECT_TRUE(DecodeWithFfmpeg(dir / "shot.jpg").ok());
}

TEST_F(SnapshotHandler, WithoutTheSnapshotWindowItSavesAVideoSizedBmp) {
  preview.SetSnapshotChoices(nullptr);
  const auto frame = MakeFrame(engine.VideoWidth(), engine.VideoHeight());
  dialogs.QueueSaveFile(QString::fromStdString((dir / "plain").string()));
  Deliver(*frame);
  EXPECT_EQ(Saves().at(0).file.defaultExt, ".bmp");
  EXPECT_TRUE(DecodeWithFfmpeg(dir / "plain.bmp").ok());
}
