#pragma once
// Text laid straight onto a picture: drawn in a light colour (white unless
// told otherwise) over a soft dark shadow, so it reads on any part of the
// background. Plain text only; the label's alignment and font apply.

#include <QColor>
#include <QLabel>

class TCaptionLabel : public QLabel {
  Q_OBJECT

 public:
  explicit TCaptionLabel(const QString& text, QWidget* parent = nullptr);

  QColor TextColor() const { return color_; }
  void SetTextColor(const QColor& color);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QColor color_ = Qt::white;
};
