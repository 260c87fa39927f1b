#include "widgets/TAboutBox.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "widgets/Pictures.h"
#include "widgets/TLinkLabel.h"

TAboutBox::TAboutBox(const QString& title, const QString& version, const QString& engineLine,
                     const QString& webAddress, QWidget* parent)
    : QDialog(parent,
              Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
  setObjectName("AboutBox");
  setWindowTitle("About " + title);

  auto* icon = new QLabel(this);
  icon->setObjectName("AboutIcon");
  icon->setPixmap(orvex::widgets::ApplicationIcon().pixmap(QSize(64, 64), devicePixelRatioF()));
  icon->setFixedSize(64, 64);

  Title = new QLabel(title, this);
  Title->setObjectName("AboutTitle");
  QFont big = Title->font();
  big.setPointSizeF(big.pointSizeF() * 1.6);
  big.setBold(true);
  Title->setFont(big);
  Version = new QLabel(version, this);
  Version->setObjectName("AboutVersion");
  Engine = new QLabel(engineLine, this);
  Engine->setObjectName("AboutEngine");
  WebLink = new TLinkLabel(webAddress, this);
  WebLink->setObjectName("AboutWebLink");
  WebLink->SetColors(QColor(0x2a, 0x6c, 0xc8), QColor(0x1f, 0x3a, 0x5f));
  connect(WebLink, &TLinkLabel::clicked, this, &TAboutBox::WebLinkClicked);

  OkButton = new QPushButton("OK", this);
  OkButton->setObjectName("AboutOk");
  OkButton->setDefault(true);
  connect(OkButton, &QPushButton::clicked, this, &QDialog::accept);
  // The box opens with OK focused, so Enter closes it; the link comes after
  // it for the Tab key.
  OkButton->setFocus();
  setTabOrder(OkButton, WebLink);

  auto* text = new QVBoxLayout;
  text->setSpacing(4);
  text->addWidget(Title);
  text->addWidget(Version);
  text->addWidget(Engine);
  text->addSpacing(8);
  text->addWidget(WebLink);
  auto* top = new QHBoxLayout;
  top->setSpacing(16);
  top->addWidget(icon, 0, Qt::AlignTop);
  top->addLayout(text, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(OkButton);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(18, 18, 18, 14);
  layout->setSpacing(14);
  layout->addLayout(top);
  layout->addLayout(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);
}
