#pragma once
// The program's one look for check boxes, radio buttons and sliders, and its
// colours, on top of Qt's Fusion style. Sizes and hit areas stay Fusion's, so
// the fixed layouts of the windows hold; only the drawing changes. Disabled
// controls are drawn in grey, the pointer lights up the control under it.

#include <QProxyStyle>

class TOrvexStyle : public QProxyStyle {
  Q_OBJECT

 public:
  // The colour of the windows (the overlay window's blank thumbnails too).
  static QColor FormColor();
  static QColor Accent();

  TOrvexStyle();

  QPalette standardPalette() const override;
  void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
  void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                          const QWidget* widget = nullptr) const override;

 private:
  void DrawCheckIndicator(const QStyleOption* option, QPainter* p) const;
  void DrawRadioIndicator(const QStyleOption* option, QPainter* p) const;
  void DrawSlider(const QStyleOptionComplex* option, QPainter* p, const QWidget* widget) const;
};
