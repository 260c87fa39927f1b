#pragma once
// One image row of the "Video Overlay" window: its thumbnail, six position
// radios, Load and Clear buttons, Transparent and Visible boxes, the image
// overlay slot it fills and the file that keeps its image between runs.
//
// The boxes and radios may hold a state while the slot is empty; it is
// applied to the slot when an image arrives.
//
// A kept image that is not visible at start is only checked then (it is a
// bitmap, and how large); its pixels are read when they are first needed:
// when it is made visible or the window is shown.

#include <QObject>
#include <QString>
#include <array>
#include <filesystem>
#include <optional>

#include "platform/dialogs/CommonDialogs.h"
#include "platform/gdi/Bitmap.h"
#include "preview/ImageOverlaySlots.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QWidget;
class VOduduDudiviv;

// The background colour of the window, also the blank thumbnail's (0x00BBGGRR).
inline constexpr orvex::gdi::COLORREF kOverlayFormColor = 16628890;  // 0xFDBC9A

// The standard error box: caption "Orvex Ziru", stop icon.
void ShowOverlayError(QWidget* parent, const QString& text);

class TOverlayImageRow : public QObject {
  Q_OBJECT

 public:
  // The row's controls are made inside `parent` (which owns them) and named
  // after `index` (0..2).
  TOverlayImageRow(int index, QWidget* parent, TImageOverlaySlots& imageSlots, VOduduDudiviv& engine,
                   const orvex::dialogs::FileDialogOptions& openDialog);

  int Index() const { return index_; }
  // "image1.bmp" .. "image3.bmp" in the per-user config folder.
  std::filesystem::path File() const;
  TImageOverlaySlot& Slot() { return slots_[index_]; }

  QWidget* Panel;  // holds every control of the row, for the window's layout
  QLabel* Caption;
  QLabel* Thumbnail;
  std::array<QRadioButton*, 6> Radios;  // by position code
  QPushButton* LoadButton;
  QPushButton* ClearButton;
  QCheckBox* TransparentBox;
  QCheckBox* VisibleBox;

  // The code of the checked radio; 0 when none is.
  int PositionCode() const;
  // Checks a radio by program; placement runs when it was not checked.
  void CheckPosition(int code);

  // An image in the slot, or a kept one waiting to be read.
  bool HoldsImage() const;
  // Reads a kept image that waits into the slot, for the thumbnail or the
  // frame. False (after the error box) when it cannot be read after all.
  bool ReadWaitingImage();

  // Handlers.
  void RadioClick();        // image placement from the frame size of this moment
  void LoadClick();         // open dialog, then LoadFile
  void ClearClick();        // empty the slot, blank the thumbnail, delete the file
  void TransparentClick();  // Transparent := checked, only with an image
  void VisibleClick();      // Visible := checked, only with an image

  // Reads `path` first, so an unreadable file leaves the row as it was (with
  // the error box) and the row's own file can be chosen; then replaces the
  // row's image, keeps a copy in File() and applies placement and boxes.
  bool LoadFile(const QString& path);
  // Start-up: brings back the image kept in File(), if there is one; a
  // hidden one waits. False (after the error box) when it cannot be read;
  // the file is left alone.
  bool Restore();

 private:
  void BuildControls(QWidget* parent);
  // Installs the picture (X 0, Y 0, not transparent, not visible) and shows
  // it in the thumbnail. The picture is the row's own, never the slot's,
  // which a frame may be drawing from.
  bool Install(TBitmap& picture);
  void ApplyPlacementAndBoxes();
  void ShowThumbnail(TBitmap* picture);  // nullptr: blank

  // A kept image not read yet: its size, and its place from the last placement.
  struct WaitingImage {
    int width = 0, height = 0;
    int x = 0, y = 0;
  };

  const int index_;
  std::optional<WaitingImage> waiting_;
  TImageOverlaySlots& slots_;
  VOduduDudiviv& engine_;
  const orvex::dialogs::FileDialogOptions& openDialog_;
};
