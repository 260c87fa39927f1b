#pragma once
// A button that is only a picture on the window's own background, with four
// looks: normal (the picture alone), hover (a light plate behind it), pressed
// (a darker, sunken plate, the picture a pixel down and right) and disabled
// (the picture in faded grey). With two glyphs it shows the second while it
// is held down.

#include <QIcon>
#include <QPushButton>

class TPictureButton : public QPushButton {
  Q_OBJECT

 public:
  enum class TLook { Normal, Hover, Pressed, Disabled };

  explicit TPictureButton(QWidget* parent = nullptr);
  // A button showing the built-in picture `picture` (widgets/Pictures.h).
  TPictureButton(const QString& picture, QWidget* parent);

  // The up glyph, and the one shown while the button is held down.
  void SetGlyphs(const QIcon& up, const QIcon& down);

  TLook Look() const;
  // True while the pointer is over the button.
  bool Hovered() const { return hovered_; }

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void PaintPlate(QPainter& p, TLook look) const;
  QPixmap GlyphPixmap(TLook look) const;

  bool hovered_ = false;
  QIcon up_;
  QIcon down_;
};
