#include "ui/about/frm_about.h"

#include "platform/shell_open.h"
#include "platform/window_frame.h"
#include "ui/about/clickable_label.h"
#include "ui/about/links.h"
#include "ui/classic_style.h"
#include "ui/twips.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QColor>
#include <QFont>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QPalette>
#include <QPixmap>
#include <QPushButton>
#include <QRect>

namespace {

using sv::twipsRect;
using sv::twipsToPixels;

enum class Look { Plain, OneLine, Bold, DarkBlue, Wrapped, Centred };
enum class Group { None, lblInf, lblInf2 };

struct LabelDef {
  const char* name;
  Group group;
  short index;
  const char* text;
  int left, top, width, height;
  Look look;
};

constexpr const char* kCopyright = "Copyright (C) 2003 VARNOK";

// In the order they lie on the window, bottom first: Label3 covers the foot
// of Label2's rectangle, below the last line of Label2's text.
const LabelDef kLabels[] = {
    {"lblInf_0", Group::lblInf, 0, "VARNOK Dalvorn Sievra", 720, 240, 3090, 195, Look::Bold},
    {"Label1", Group::None, 0, "E-Mail:", 120, 960, 495, 255, Look::Plain},
    {"lblInf2_2", Group::lblInf2, 2, sv::kEmail, 720, 960, 960, 195, Look::DarkBlue},
    {"lblInf_3", Group::lblInf, 3, "Web:", 120, 1200, 390, 195, Look::OneLine},
    {"lblInf_4", Group::lblInf, 4, sv::kHomePage, 720, 1200, 2385, 195, Look::DarkBlue},
    {"lblInf_5", Group::lblInf, 5,
     "    This program compares and deletes dupes records   before importing new databases "
     "to Dalvorn program.",
     120, 1560, 4215, 495, Look::Wrapped},
    // The window's run button is named 'Compare & Delete': a label without a
    // buddy shows '&' as it stands, so the ampersand is written once.
    {"Label2", Group::None, 0,
     "     The program detects dupes records with two coincidences (Callsign and RDA Number). "
     "The field Notes may be different.  After clicking 'Compare & Delete' button it will be "
     "created backup of file for comparing. Coincidenced records with MainBase.dat will be "
     "deleted to file *.dup.",
     120, 2040, 4215, 1335, Look::Wrapped},
    {"Label3", Group::None, 0,
     "     Now you can free import new databases in Dalvorn program.(The name of the file for "
     "comparing without of dupes records will be same as it was)",
     120, 3120, 4215, 615, Look::Wrapped},
    {"lblInf_1", Group::lblInf, 1, kCopyright, 1125, 3840, 2205, 195, Look::OneLine},
    {"Label4", Group::None, 0, "2003", 1560, 4080, 1215, 255, Look::Centred},
};

// MS Sans Serif first. Where it is missing, the stand-ins are faces of the
// same size whose letters are as narrow as its own: a wider face breaks
// Label2 into one line more, which then runs under Label3 and is lost.
QFont windowFont() {
  QFont font;
  font.setFamilies({"MS Sans Serif", "Microsoft Sans Serif", "Tahoma", "Liberation Sans Narrow",
                    "Arial Narrow", "Liberation Sans", "Arial"});
  font.setStyleHint(QFont::SansSerif);
  font.setPointSizeF(8.25);
  font.setWeight(QFont::Normal);
  return font;
}

QLabel* makeLabel(const LabelDef& def, QWidget* parent) {
  QLabel* label = def.group == Group::None ? new QLabel(parent) : new ClickableLabel(parent);
  label->setObjectName(def.name);
  label->setTextFormat(Qt::PlainText);
  label->setText(QString::fromLatin1(def.text));
  label->setAutoFillBackground(true);
  label->setGeometry(twipsRect(def.left, def.top, def.width, def.height));
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);

  switch (def.look) {
    case Look::Plain:
    case Look::OneLine:
      break;
    case Look::Bold: {
      QFont font = label->font();
      font.setWeight(QFont::Bold);
      label->setFont(font);
      break;
    }
    case Look::DarkBlue: {
      QPalette palette = label->palette();
      palette.setColor(QPalette::WindowText, QColor(0, 0, 192));
      label->setPalette(palette);
      break;
    }
    case Look::Wrapped:
      label->setWordWrap(true);
      break;
    case Look::Centred:
      label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
      break;
  }
  // A one-line label keeps its left and top and takes the size of its text.
  if (def.look == Look::OneLine || def.look == Look::Bold || def.look == Look::DarkBlue) {
    label->adjustSize();
  }
  return label;
}

}  // namespace

frmAbout::frmAbout(sv::ShellOpener& opener, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_opener(opener) {
  setWindowTitle(QStringLiteral("Help..."));
  setFixedSize(twipsToPixels(4440), twipsToPixels(4770));
  setFont(windowFont());
  QPalette palette = this->palette();
  palette.setColor(QPalette::WindowText, palette.color(QPalette::ButtonText));
  setPalette(palette);

  auto* img1 = new QLabel(this);
  img1->setObjectName(QStringLiteral("img1"));
  img1->setGeometry(twipsRect(120, 120, 480, 480));
  img1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  img1->setPixmap(QPixmap(QStringLiteral(":/help.ico")));

  for (const LabelDef& def : kLabels) {
    QLabel* label = makeLabel(def, this);
    const short index = def.index;
    if (def.group == Group::lblInf) {
      connect(static_cast<ClickableLabel*>(label), &ClickableLabel::clicked, this,
              [this, index] { lblInf_Click(index); });
    } else if (def.group == Group::lblInf2) {
      connect(static_cast<ClickableLabel*>(label), &ClickableLabel::clicked, this,
              [this, index] { lblInf2_Click(index); });
    }
  }

  auto* cmdOK = new QPushButton(QStringLiteral("OK"), this);
  cmdOK->setObjectName(QStringLiteral("cmdOK"));
  cmdOK->setGeometry(twipsRect(1493, 4320, 1455, 375));
  // Neither the default nor the cancel button: Enter and Space press it only
  // because it holds the focus, and Esc does nothing.
  cmdOK->setAutoDefault(false);
  cmdOK->setDefault(false);
  cmdOK->setFocus();
  connect(cmdOK, &QPushButton::clicked, this, &frmAbout::cmdOK_Click);
  sv::useClassicStyle(this);
  setUpFrame();
}

void frmAbout::setUpFrame() {
  // No icon of its own: it would otherwise take the program's.
  setWindowIcon(QIcon());
  sv::keepOffTaskbar(*this);
  // Made before anything moves it, the native window leaves its first place
  // to the window manager; and marked as moved, QDialog does not centre it
  // on the screen when it shows.
  winId();
  setAttribute(Qt::WA_Moved);
}

void frmAbout::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Escape:
      // The window has no cancel button; QDialog would reject here.
      event->accept();
      return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      // A button that is not a default button lets Enter through to here.
      if (auto* button = qobject_cast<QAbstractButton*>(focusWidget())) {
        button->click();
        return;
      }
      break;
    default:
      break;
  }
  QDialog::keyPressEvent(event);
}

void frmAbout::closeEvent(QCloseEvent* event) {
  // The title bar's close box unloads the window exactly as OK does.
  if (isVisible()) cmdOK_Click();
  event->accept();
}

void frmAbout::cmdOK_Click() { accept(); }

void frmAbout::lblInf_Click(short /*index*/) {
  sv::openTarget(m_opener, this, QString::fromLatin1(sv::kHomePage));
}

void frmAbout::lblInf2_Click(short /*index*/) {
  sv::openTarget(m_opener, this, QString::fromLatin1(sv::kMailLink));
}
