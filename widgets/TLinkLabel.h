#pragma once
// A web address shown as a link: underlined, a hand cursor over it, lighter
// while the pointer is on it. A left click, or Enter or Space when it has the
// focus, raises clicked(); what that opens is the owner's business.

#include <QLabel>

class TLinkLabel : public QLabel {
  Q_OBJECT

 public:
  explicit TLinkLabel(const QString& text, QWidget* parent = nullptr);

  // The colours of the text, normally and under the pointer.
  void SetColors(const QColor& normal, const QColor& hover);
  bool Hovered() const { return hovered_; }

 signals:
  void clicked();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void ApplyColor();

  QColor normal_;
  QColor hover_;
  bool hovered_ = false;
};
