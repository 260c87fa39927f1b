// The "Video Overlay" window: the text overlay it hands to the engine, the
// image rows with their slots and kept files, and what it stores.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolTip>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <set>
#include <thread>

#include "dialogs/OverlayPlacement.h"
#include "dialogs/TOverlayImageRow.h"
#include "dialogs/TfrmOverlay.h"
#include "engine/VOduduDudiviv.h"
#include "engine/frames/TextOverlay.h"
#include "imaging/BmpWriter.h"
#include "platform/dialogs/ScriptedDialogs.h"
#include "platform/gdi/BmpReader.h"
#include "platform/gdi/DeviceContext.h"
#include "platform/registry/Registry.h"
#include "preview/RecordingStatusView.h"
#include "preview/TfrmPreview.h"
#include "settings/OverlaySettings.h"
#include "settings/SettingsStore.h"
#include "tests/platform/gdi/BmpFiles.h"
#include "tests/support/EngineProbe.h"
#include "tests/support/TempDir.h"

namespace fs = std::filesystem;
using namespace orvex::gdi;
using orvex::dialogs::ScriptedDialogs;
using orvex::settings::TOverlaySettings;

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);

struct FakeMainWindow : IRecordingStatusView {
  void SetStatusText(const QString&) override {}
  void SetConfigurationEnabled(bool) override {}
};

COLORREF Picture(int x, int y) { return RGB(40 + x % 200, 30 + y % 200, 200); }

// A 24-bit BMP file of w x h whose bottom-left pixel is `key`.
void WriteBmp(const fs::path& path, int w, int h, COLORREF key = RGB(1, 2, 3)) {
  TBitmap b(w, h, PixelFormat::Rgb32);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.SetPixel(x, y, Picture(x, y));
  b.SetPixel(0, h - 1, key);
  orvex::imaging::TImageView view{
      b.Bits(), w, h, static_cast<std::ptrdiff_t>(b.Stride()), orvex::imaging::TPixelLayout::Bgrx32, true};
  orvex::imaging::SaveBmpToFile(path, view, orvex::imaging::TBmpBitsPerPixel::Bpp24);
}

SIZE FileSize(const fs::path& path) {
  TBitmap b;
  if (!LoadBitmapFromFile(path.string(), b, nullptr)) return {};
  return {b.Width(), b.Height()};
}

class OverlayDialog : public ::testing::Test {
 protected:
  OverlayDialog() {
    const char* previous = std::getenv("ORVEX_CONFIG_DIR");
    previousConfig_ = previous ? previous : "";
    SetConfig(config.path());
  }
  ~OverlayDialog() override {
    form.reset();
    setenv("ORVEX_CONFIG_DIR", previousConfig_.c_str(), 1);
  }
  static void SetConfig(const fs::path& folder) { setenv("ORVEX_CONFIG_DIR", folder.c_str(), 1); }

  TfrmOverlay& Open() {
    form = std::make_unique<TfrmOverlay>(engine, preview.ImageSlots());
    return *form;
  }
  void Reopen() {
    form.reset();
    Open();
  }
  TOverlayImageRow& Row(int i) { return form->ImageRow(i); }
  TImageOverlaySlot& Slot(int i) { return form->ImageSlots()[i]; }
  fs::path Kept(int i) const { return config / ("image" + std::to_string(i + 1) + ".bmp"); }
  // Through the Load button and the open dialog.
  void Load(int row, const fs::path& file) {
    script.QueueOpenFile(QString::fromStdString(file.string()));
    Row(row).LoadButton->click();
  }
  template <typename T>
  T* Find(const char* name) {
    return form->findChild<T*>(name);
  }
  std::vector<ScriptedDialogs::Call> Boxes() const {
    return script.CallsOf(ScriptedDialogs::Kind::MessageBox);
  }
  std::string Edit1Text() const { return form->Edit1->text().toStdString(); }
  // One key press with `text`, as the keyboard sends it.
  static void Type(QWidget* control, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, text);
    QCoreApplication::sendEvent(control, &press);
  }

  orvex::test::TempDir config;
  orvex::test::TempDir files;
  ScriptedDialogs script;
  FakeMainWindow mainWindow;
  TfrmPreview preview{mainWindow};
  VOduduDudiviv& engine = *preview.VOduduDudiviv1;
  std::unique_ptr<TfrmOverlay> form;

 private:
  std::string previousConfig_;
};

// Every placeholder the hint names is one the overlay knows, and it names
// every kind there is (the custom ones draw nothing and are left out).
TEST_F(OverlayDialog, TheTextBoxHintListsThePlaceholders) {
  Open();
  const QString hint = form->Edit1->toolTip();
  EXPECT_TRUE(hint.startsWith("Overlay Text\n")) << hint.toStdString();
  TTextOverlay parsed;
  ASSERT_TRUE(parsed.SetTemplate(hint.toStdString()));
  std::set<std::int32_t> kinds;
  for (const auto& segment : parsed.Segments()) {
    kinds.insert(segment.Kind);
    if (segment.Kind == tk_Literal) {
      EXPECT_EQ(segment.Text.find('%'), std::string::npos) << "not a placeholder: " << segment.Text;
    }
  }
  const std::set<std::int32_t> all = {tk_Literal, tk_TimeCode, tk_FrameCount, tk_Time100ns,
                                      tk_TimeSec, tk_TimeFull, tk_SysTime,    tk_DvTime};
  EXPECT_EQ(kinds, all);
}

TEST_F(OverlayDialog, FirstStartShowsTheDefaultsAndStoresTheWholeGroup) {
  Open();
  EXPECT_EQ(form->windowTitle(), "Video Overlay");
  EXPECT_EQ(form->size(), QSize(362, 529));
  EXPECT_EQ(form->Edit1->text(), "");
  EXPECT_EQ(engine.TextOverlay_String(), "");
  EXPECT_FALSE(engine.TextOverlay_Enabled());
  const TFont& font = engine.TextOverlay_Font();
  EXPECT_EQ(font.Name, "MS Sans Serif");
  EXPECT_EQ(font.Size(), 8);
  EXPECT_EQ(font.Color, clBlack);
  EXPECT_FALSE(font.Bold || font.Italic || font.Underline || font.StrikeOut);
  EXPECT_EQ(engine.TextOverlay_BkColor(), clWhite);
  EXPECT_EQ(form->Shape1->palette().color(QPalette::Window), QColor(255, 255, 255));
  EXPECT_TRUE(form->cbNegative->isChecked());
  EXPECT_TRUE(engine.TextOverlay_Transparent());
  EXPECT_TRUE(form->RadioButton1->isChecked());
  EXPECT_EQ(engine.TextOverlay_Align(), tf_Left);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(Row(i).PositionCode(), 0);
    EXPECT_FALSE(Row(i).TransparentBox->isChecked());
    EXPECT_FALSE(Row(i).VisibleBox->isChecked());
    EXPECT_FALSE(Slot(i).HasImage());
  }
  EXPECT_EQ(TOverlaySettings::Read(), TOverlaySettings{});
  orvex::reg::TRegistry reg;
  reg.setRootKey(orvex::settings::kSettingsRoot);
  ASSERT_TRUE(reg.OpenKeyReadOnly(orvex::settings::kSettingsKey));
  EXPECT_EQ(reg.GetValueNames().size(), 21u);
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(OverlayDialog, TextBandSpansTheFrameAtTheTopOrThirtyPixelsAboveTheBottom) {
  Open();
  ASSERT_EQ(engine.VideoWidth(), 320);
  ASSERT_EQ(engine.VideoHeight(), 240);
  form->RadioButton6->click();  // Bottom
  EXPECT_EQ(engine.TextOverlay_Top(), 210);
  EXPECT_EQ(engine.TextOverlay_Left(), 0);
  EXPECT_EQ(engine.TextOverlay_Right(), 320);
  EXPECT_EQ(engine.TextOverlay_Align(), tf_Center);
  form->RadioButton2->click();  // Top Right
  EXPECT_EQ(engine.TextOverlay_Top(), 0);
  EXPECT_EQ(engine.TextOverlay_Align(), tf_Right);
  form->RadioButton3->click();  // Bottom Left
  EXPECT_EQ(engine.TextOverlay_Top(), 210);
  EXPECT_EQ(engine.TextOverlay_Align(), tf_Left);
}

TEST_F(OverlayDialog, ImagesArePlacedInTheCornersAndEdgeCentresOfTheFrame) {
  Open();
  WriteBmp(files / "a.bmp", 100, 50);
  Load(0, files / "a.bmp");
  const std::pair<int, int> expected[6] = {{0, 0}, {110, 0}, {220, 0}, {0, 190}, {110, 190}, {220, 190}};
  // Clicked in an order where each one changes the checked button.
  for (int code : {1, 2, 3, 4, 5, 0}) {
    Row(0).Radios[code]->click();
    EXPECT_EQ(std::make_pair(int(Slot(0).X), int(Slot(0).Y)), expected[code]) << "code " << code;
  }
  EXPECT_EQ(Find<QRadioButton>("RadioButton12"), Row(0).Radios[5]);

  WriteBmp(files / "b.bmp", 101, 51);
  Load(1, files / "b.bmp");
  Find<QRadioButton>("RadioButton15")->click();  // Top
  EXPECT_EQ(Slot(1).X, 110);
  EXPECT_EQ(Slot(1).Y, 0);
  Find<QRadioButton>("RadioButton18")->click();  // Bottom Right
  EXPECT_EQ(Slot(1).X, 219);
  EXPECT_EQ(Slot(1).Y, 189);

  // Larger than the frame: no clamping.
  WriteBmp(files / "c.bmp", 400, 300);
  Find<QRadioButton>("RadioButton24")->click();  // Bottom Right, still empty
  Load(2, files / "c.bmp");
  EXPECT_EQ(Slot(2).X, -80);
  EXPECT_EQ(Slot(2).Y, -60);
}

TEST_F(OverlayDialog, BoxesOfAnEmptyRowAreStoredAndApplyWhenAnImageArrives) {
  Open();
  Row(1).VisibleBox->click();
  Row(1).TransparentBox->click();
  Row(1).Radios[4]->click();
  EXPECT_FALSE(Slot(1).Visible);
  EXPECT_FALSE(Slot(1).Transparent);
  Reopen();
  const TOverlaySettings stored = TOverlaySettings::Read();
  EXPECT_TRUE(stored.Image2Visible);
  EXPECT_TRUE(stored.Image2Transparent);
  EXPECT_EQ(stored.Image2Position, 4);
  EXPECT_TRUE(Row(1).VisibleBox->isChecked());

  WriteBmp(files / "a.bmp", 100, 50);
  Load(1, files / "a.bmp");
  EXPECT_TRUE(Slot(1).Visible);
  EXPECT_TRUE(Slot(1).Transparent);
  EXPECT_EQ(Slot(1).X, 110);
  EXPECT_EQ(Slot(1).Y, 190);
  Row(1).VisibleBox->click();
  EXPECT_FALSE(Slot(1).Visible);
}

TEST_F(OverlayDialog, ClearEmptiesTheRowAndDeletesItsFileButOnAnEmptyRowDoesNothing) {
  Open();
  WriteBmp(Kept(0), 10, 10);  // appeared after the start: the row is empty
  Row(0).ClearButton->click();
  EXPECT_TRUE(fs::exists(Kept(0)));

  WriteBmp(files / "a.bmp", 20, 10);
  Load(0, files / "a.bmp");
  Row(0).VisibleBox->click();
  ASSERT_TRUE(Slot(0).Visible);
  Find<QPushButton>("JvXPButton5")->click();
  EXPECT_FALSE(Slot(0).HasImage());
  EXPECT_FALSE(Slot(0).Visible);
  EXPECT_FALSE(fs::exists(Kept(0)));
  // The box keeps its state for the next image.
  EXPECT_TRUE(Row(0).VisibleBox->isChecked());
}

TEST_F(OverlayDialog, LoadingReplacesTheImageAndItsKeptCopy) {
  Open();
  WriteBmp(files / "a.bmp", 20, 10);
  WriteBmp(files / "b.bmp", 30, 15);
  Load(2, files / "a.bmp");
  EXPECT_EQ(FileSize(Kept(2)), (SIZE{20, 10}));
  Load(2, files / "b.bmp");
  EXPECT_EQ(Slot(2).Image.Width(), 30);
  EXPECT_EQ(Slot(2).Mask.Width(), 30);
  EXPECT_EQ(FileSize(Kept(2)), (SIZE{30, 15}));
  EXPECT_EQ(Slot(2).Image.Pixel(5, 5), Picture(5, 5));

  // The row's own kept file can be chosen again.
  Load(2, Kept(2));
  EXPECT_EQ(Slot(2).Image.Width(), 30);
  EXPECT_EQ(FileSize(Kept(2)), (SIZE{30, 15}));

  // Cancel changes nothing.
  script.QueueOpenFile(std::nullopt);
  Row(2).LoadButton->click();
  EXPECT_EQ(Slot(2).Image.Width(), 30);
  EXPECT_TRUE(Boxes().empty());
}

TEST_F(OverlayDialog, AFileThatIsNoBitmapIsReportedAndTheRowKeepsItsImage) {
  Open();
  WriteBmp(files / "a.bmp", 20, 10);
  Load(0, files / "a.bmp");
  Row(0).Radios[2]->click();
  orvex::test::WriteFile(files / "broken.bmp", orvex::test::ReadFile(files / "a.bmp").substr(0, 70));
  Load(0, files / "broken.bmp");
  orvex::test::WriteFile(files / "text.bmp", "not a picture at all");
  Load(0, files / "text.bmp");

  const auto boxes = Boxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].caption, "Orvex Ziru");
  EXPECT_EQ(boxes[0].icon, orvex::dialogs::MsgIcon::Stop);
  EXPECT_TRUE(boxes[0].text.contains("broken.bmp\" is not a valid bitmap")) << boxes[0].text.toStdString();
  EXPECT_TRUE(boxes[1].text.contains("text.bmp\" is not a valid bitmap")) << boxes[1].text.toStdString();
  EXPECT_EQ(Slot(0).Image.Width(), 20);
  EXPECT_EQ(Slot(0).X, 300);
  EXPECT_EQ(FileSize(Kept(0)), (SIZE{20, 10}));
}

TEST_F(OverlayDialog, PalettedBitmapsLoadAndAreKeptReadable) {
  Open();
  orvex::gdi::test::BmpSpec spec;
  spec.width = 4;
  spec.height = 2;
  spec.bitCount = 8;
  spec.palette = {RGB(255, 255, 255), RGB(200, 0, 0)};
  // Bottom row first: the bottom-left pixel (the key) is white.
  orvex::test::WriteFile(files / "p8.bmp",
                         orvex::gdi::test::MakeBmp(spec, std::string("\0\1\1\0\1\1\0\1", 8)));
  Load(0, files / "p8.bmp");
  ASSERT_TRUE(Slot(0).HasImage());
  EXPECT_EQ(Slot(0).Image.Pixel(0, 1), kWhite);
  EXPECT_EQ(Slot(0).Image.Pixel(1, 1), RGB(200, 0, 0));
  EXPECT_EQ(Slot(0).Mask.Pixel(2, 0), kWhite);
  EXPECT_EQ(Slot(0).Mask.Pixel(3, 0), RGB(0, 0, 0));
  EXPECT_EQ(FileSize(Kept(0)), (SIZE{4, 2}));
}

TEST_F(OverlayDialog, KeptImagesComeBackAtTheNextStartAndAnUnreadableOneIsReported) {
  Open();
  WriteBmp(files / "a.bmp", 100, 50, kWhite);
  Load(0, files / "a.bmp");
  Row(0).Radios[5]->click();
  Row(0).TransparentBox->click();
  Row(0).VisibleBox->click();
  WriteBmp(files / "c.bmp", 30, 20);
  Load(2, files / "c.bmp");
  Row(2).Radios[1]->click();
  orvex::test::WriteFile(Kept(1), "BM garbage");
  form.reset();

  Open();
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_TRUE(Boxes()[0].text.contains("image2.bmp")) << Boxes()[0].text.toStdString();
  EXPECT_TRUE(fs::exists(Kept(1)));
  EXPECT_FALSE(Slot(1).HasImage());
  ASSERT_TRUE(Slot(0).HasImage());
  EXPECT_EQ(Slot(0).X, 220);
  EXPECT_EQ(Slot(0).Y, 190);
  EXPECT_TRUE(Slot(0).Transparent);
  EXPECT_TRUE(Slot(0).Visible);
  EXPECT_EQ(Slot(0).Mask.Pixel(0, 49), kWhite);
  EXPECT_FALSE(Slot(2).HasImage()) << "a hidden image is read when it is needed";
  EXPECT_TRUE(Row(2).HoldsImage());
  EXPECT_FALSE(Row(0).Thumbnail->pixmap().isNull());
  Row(2).VisibleBox->click();
  ASSERT_TRUE(Slot(2).HasImage());
  EXPECT_EQ(Slot(2).X, 145) << "placed as it was placed at the start";
  EXPECT_TRUE(Slot(2).Visible);

  // Loading a good image over the bad file repairs the row.
  Load(1, files / "c.bmp");
  EXPECT_EQ(FileSize(Kept(1)), (SIZE{30, 20}));
}

TEST_F(OverlayDialog, AnImageThatCannotBeKeptStaysForThisRunWithAMessage) {
  Open();
  Row(0).VisibleBox->click();
  WriteBmp(files / "a.bmp", 20, 10);
  orvex::test::WriteFile(files / "plain", "");
  SetConfig(files / "plain" / "sub");  // a folder below a file can never be made
  Load(0, files / "a.bmp");
  SetConfig(config.path());
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Boxes()[0].icon, orvex::dialogs::MsgIcon::Stop);
  EXPECT_TRUE(Slot(0).HasImage());
  EXPECT_TRUE(Slot(0).Visible);
}

TEST_F(OverlayDialog, FontColourAndTextGoToTheEngineAndAreStoredEvenWhenHidden) {
  Open();
  orvex::dialogs::FontChoice choice;
  choice.name = "DejaVu Serif";
  choice.sizePoints = 14;
  choice.bold = true;
  choice.strikeOut = true;
  choice.color = RGB(0, 128, 255);
  script.QueueFont(choice);
  script.QueueFont(std::nullopt);
  form->JvXPButton1->click();
  form->JvXPButton1->click();  // cancelled
  EXPECT_EQ(engine.TextOverlay_Font().Name, "DejaVu Serif");
  EXPECT_EQ(engine.TextOverlay_Font().Size(), 14);
  EXPECT_EQ(form->FontDialog1, choice);

  script.QueueColor(RGB(10, 20, 30));
  script.QueueColor(std::nullopt);
  form->btnReset1->click();
  form->btnReset1->click();
  EXPECT_EQ(engine.TextOverlay_BkColor(), RGB(10, 20, 30));
  EXPECT_EQ(form->Shape1->palette().color(QPalette::Window), QColor(10, 20, 30));

  form->Edit1->setText("Cam %H:%M");
  EXPECT_EQ(engine.TextOverlay_String(), "Cam %H:%M");
  form->cbNegative->click();
  EXPECT_FALSE(engine.TextOverlay_Transparent());
  form->JvXPCheckbox1->click();
  EXPECT_TRUE(engine.TextOverlay_Enabled());
  form->JvXPCheckbox1->click();
  EXPECT_FALSE(engine.TextOverlay_Enabled());
  form->RadioButton4->click();

  form.reset();
  const TOverlaySettings s = TOverlaySettings::Read();
  EXPECT_EQ(s.OverlayText, "Cam %H:%M");
  EXPECT_EQ(s.OverlayFontName, "DejaVu Serif");
  EXPECT_EQ(s.OverlayFontSize, 14);
  EXPECT_EQ(s.OverlayFontColor, int(RGB(0, 128, 255)));
  EXPECT_EQ(s.OverlayBackColor, int(RGB(10, 20, 30)));
  EXPECT_EQ(s.OverlayTextPosition, 5);
  EXPECT_TRUE(s.OverlayFontBold && s.OverlayFontStrikeOut);
  EXPECT_FALSE(s.OverlayFontItalic || s.OverlayFontUnderline);
  EXPECT_FALSE(s.OverlayBackTransparent);
  EXPECT_FALSE(s.OverlayTextVisible);

  Open();
  EXPECT_EQ(form->FontDialog1, choice);
  EXPECT_EQ(engine.TextOverlay_Top(), 210);
  EXPECT_EQ(engine.TextOverlay_Align(), tf_Right);
}

// The preview hands each frame to the compositor once it is attached.
TEST_F(OverlayDialog, ThePreviewDrawsTheImagesThroughTheAttachedCompositor) {
  Open();
  WriteBmp(files / "a.bmp", 10, 10);
  Load(0, files / "a.bmp");
  Row(0).VisibleBox->click();
  TBitmap frame(320, 240, PixelFormat::Rgb32, Orientation::TopDown);
  DeviceContext dc(&frame);
  preview.VOduduDudiviv1FrameOverlayUsingDC(&engine, TFrameInfo{}, &dc);
  EXPECT_EQ(frame.Pixel(5, 5), RGB(0, 0, 0));  // not attached yet
  preview.SetFrameOverlayPainter(&preview.ImageCompositor());
  preview.VOduduDudiviv1FrameOverlayUsingDC(&engine, TFrameInfo{}, &dc);
  EXPECT_EQ(frame.Pixel(5, 5), Picture(5, 5));
  preview.SetFrameOverlayPainter(nullptr);
}

// Without an image showing (and without a text), the engine is not asked to
// work on the frames' pixels, so a recording keeps them in the camera's YUV.
TEST_F(OverlayDialog, TheEngineWorksOnFramesForTheImagesOnlyWhileOneShows) {
  Open();
  const EngineProbe probe(engine);
  EXPECT_FALSE(probe.OverlayNeeded());
  WriteBmp(files / "a.bmp", 10, 10);
  Load(0, files / "a.bmp");
  Row(0).VisibleBox->click();
  EXPECT_TRUE(probe.OverlayNeeded());
  Row(0).VisibleBox->click();
  EXPECT_FALSE(probe.OverlayNeeded()) << "hidden again";
  Row(0).VisibleBox->click();
  form.reset();  // the dialog's end frees the slots
  EXPECT_FALSE(probe.OverlayNeeded()) << "freed";
}

// Thousands of frames composited on a streaming thread while the user loads,
// moves, hides and clears images.
TEST_F(OverlayDialog, ImagesChangeOnTheUiThreadWhileFramesAreComposited) {
  Open();
  WriteBmp(files / "a.bmp", 200, 100, kWhite);
  WriteBmp(files / "b.bmp", 64, 48);
  std::atomic<bool> done{false};
  std::atomic<int> frames{0};
  std::thread streaming([&] {
    TBitmap frame(640, 480, PixelFormat::Rgb32, Orientation::TopDown);
    while (!done) {
      DeviceContext dc(&frame);
      preview.ImageCompositor().PaintFrameOverlay(TFrameInfo{}, &dc);
      ++frames;
    }
  });
  for (int i = 0; i < 60 || frames < 3000; ++i) {
    const int row = i % 3;
    Load(row, files / (i % 2 ? "a.bmp" : "b.bmp"));
    Row(row).TransparentBox->click();
    Row(row).VisibleBox->click();
    Row(row).Radios[i % 6]->click();
    if (i % 4 == 0) Row((row + 1) % 3).ClearButton->click();
  }
  done = true;
  streaming.join();
  EXPECT_GE(frames, 3000);
  EXPECT_TRUE(Boxes().empty());
}

}  // namespace

namespace {
// Pixels of a hidden image, as the thumbnail shows them.
QRgb ThumbnailPixel(TOverlayImageRow& row) { return row.Thumbnail->pixmap().toImage().pixel(30, 30); }
}  // namespace

TEST_F(OverlayDialog, AHiddenKeptImageIsOnlyCheckedAtStartAndReadWhenNeeded) {
  Open();
  WriteBmp(files / "a.bmp", 100, 50);
  Load(0, files / "a.bmp");
  Load(1, files / "a.bmp");
  Row(1).Radios[5]->click();
  Row(1).TransparentBox->click();
  const QRgb blank = ThumbnailPixel(Row(2));
  form.reset();
  orvex::test::WriteFile(Kept(2), "BM");  // broken in its header: told at start

  Open();
  ASSERT_EQ(Boxes().size(), 1u);
  EXPECT_TRUE(Boxes()[0].text.contains("image3.bmp")) << Boxes()[0].text.toStdString();
  for (int i : {0, 1}) {
    EXPECT_FALSE(Slot(i).HasImage()) << i;
    EXPECT_TRUE(Row(i).HoldsImage()) << i;
    EXPECT_EQ(ThumbnailPixel(Row(i)), blank) << i;
  }
  Row(1).VisibleBox->click();
  ASSERT_TRUE(Slot(1).HasImage());
  EXPECT_EQ(Slot(1).X, 220);
  EXPECT_EQ(Slot(1).Y, 190);
  EXPECT_TRUE(Slot(1).Transparent);
  EXPECT_TRUE(Slot(1).Visible);
  form->show();
  ASSERT_TRUE(Slot(0).HasImage()) << "the window shows every thumbnail";
  EXPECT_FALSE(Slot(0).Visible);
  EXPECT_NE(ThumbnailPixel(Row(0)), blank);
  form->hide();
  EXPECT_EQ(Boxes().size(), 1u);

  // Clear on a row whose image waits deletes its file, as on any full row.
  form.reset();
  Open();
  Row(0).ClearButton->click();
  EXPECT_FALSE(Row(0).HoldsImage());
  EXPECT_FALSE(fs::exists(Kept(0)));
}

TEST_F(OverlayDialog, AnImageOfMoreThan16384PixelsASideIsRefusedWithTheErrorBox) {
  using orvex::gdi::test::MakeBmp;
  const struct {
    const char* what;
    std::string file;
  } cases[] = {
      {"1 bit, 16400 wide", MakeBmp({.width = 16400, .height = 8, .bitCount = 1, .palette = {0, kWhite}},
                                    std::string(8 * 2052, '\0'))},
      {"RLE8, 20000 high, a small file",
       MakeBmp({.width = 8, .height = 20000, .bitCount = 8, .compression = BI_RLE8, .palette = {0, kWhite}},
               std::string{0, 1} + std::string(4000, '\0'))},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    form.reset();
    std::vector<fs::path> old;
    for (const auto& entry : fs::directory_iterator(config.path())) old.push_back(entry.path());
    for (const auto& path : old) fs::remove(path);
    Open();
    orvex::test::WriteFile(files / "huge.bmp", c.file);
    WriteBmp(files / "a.bmp", 20, 10);
    Load(0, files / "a.bmp");
    Load(0, files / "huge.bmp");
    ASSERT_EQ(Boxes().size(), 1u);
    EXPECT_TRUE(Boxes()[0].text.contains("too large (at most 16384 pixels a side"))
        << Boxes()[0].text.toStdString();
    EXPECT_EQ(Slot(0).Image.Width(), 20) << "the row keeps its image";

    orvex::test::WriteFile(Kept(1), c.file);
    Reopen();
    ASSERT_EQ(Boxes().size(), 2u) << "a kept one is refused at start, even hidden";
    EXPECT_TRUE(Boxes()[1].text.contains("image2.bmp")) << Boxes()[1].text.toStdString();
    EXPECT_FALSE(Row(1).HoldsImage());
    script.ClearCalls();
  }
}

TEST_F(OverlayDialog, AnOverlayTextOfAnyLengthTheStoreHoldsIsKeptWhole) {
  const std::string rows[] = {std::string(40000, 'a'),
                              std::string(orvex::settings::kMaxOverlayTextBytes, 'b'), [] {
                                std::string text;
                                for (int i = 0; i < 21845; ++i) text += "日";  // 3 bytes, 1 character each
                                return text;
                              }()};
  for (const std::string& text : rows) {
    TOverlaySettings stored = TOverlaySettings::Read();
    stored.OverlayText = text;
    stored.Write();
    Open();
    EXPECT_EQ(Edit1Text(), text);
    form.reset();
    EXPECT_EQ(TOverlaySettings::Read().OverlayText, text) << "saved back whole";
  }
}

TEST_F(OverlayDialog, TypingBeyondWhatTheStoreHoldsIsRefusedWithTheLimitShown) {
  Open();
  form->show();
  QLineEdit* edit = form->Edit1;
  edit->setText(QString(int(orvex::settings::kMaxOverlayTextBytes) - 1, 'a'));
  edit->setFocus();
  edit->end(false);
  Type(edit, "é");  // two bytes: one too many
  EXPECT_EQ(edit->text().size(), int(orvex::settings::kMaxOverlayTextBytes) - 1);
  EXPECT_EQ(QToolTip::text(), OverlayTextLimitText());
  Type(edit, "b");
  EXPECT_EQ(edit->text().toUtf8().size(), int(orvex::settings::kMaxOverlayTextBytes));
  form.reset();
  EXPECT_EQ(TOverlaySettings::Read().OverlayText.size(), orvex::settings::kMaxOverlayTextBytes);
  EXPECT_TRUE(Boxes().empty()) << "the whole group was stored";
}
