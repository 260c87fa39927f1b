#pragma once
// The balloon that shows a control's hint: a rounded box with an info sign,
// the header "Info" and the hint below it, and a tail whose tip touches the
// point it is about. It opens below the point, or above it where the screen
// ends, and always stays on the screen. It never takes the focus or a click.

#include <QWidget>

class TBalloonTip : public QWidget {
  Q_OBJECT

 public:
  static constexpr const char* kHeader = "Info";

  explicit TBalloonTip(QWidget* parent = nullptr);

  // Shows `text` with its tail at `target` (global coordinates).
  void ShowAt(const QPoint& target, const QString& text);

  QString Header() const { return kHeader; }
  QString Text() const { return text_; }
  // Where the tail's tip is, in global coordinates.
  QPoint Target() const { return target_; }
  // True when the balloon hangs below its point (tail on top).
  bool TailOnTop() const { return tailOnTop_; }

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QSize BodySize() const;
  QPainterPath Outline() const;
  QRect BodyRect() const;
  QFont HeaderFont() const;

  QString text_;
  QPoint target_;
  bool tailOnTop_ = true;
  int tailX_ = 0;  // the tip's x inside the widget
};
