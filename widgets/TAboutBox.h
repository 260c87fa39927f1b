#pragma once
// The program's about box: its icon, name and version, the capture engine's
// version and the maker's web address as a link. Modal, closed with its
// button, Enter or Escape.

#include <QDialog>

class QLabel;
class QPushButton;
class TLinkLabel;

class TAboutBox : public QDialog {
  Q_OBJECT

 public:
  TAboutBox(const QString& title, const QString& version, const QString& engineLine,
            const QString& webAddress, QWidget* parent = nullptr);

  QLabel* Title;
  QLabel* Version;
  QLabel* Engine;
  TLinkLabel* WebLink;
  QPushButton* OkButton;

 signals:
  // The web address was clicked; opening it is the owner's business.
  void WebLinkClicked();
};
