#include "ui/qt/frm_about.h"

#include "ui/design/window_tables.h"
#include "ui/qt/classic_style.h"
#include "ui/qt/clickable_label.h"
#include "ui/qt/open_link.h"
#include "ui/qt/shell_open.h"
#include "ui/qt/twips.h"
#include "ui/qt/window_frame.h"

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

#include <string>

namespace {

using sv::qtText;
using sv::twipsRect;
using sv::twipsToPixels;
using sv::design::Control;
using sv::design::ControlKind;

const sv::design::Window& table() { return sv::design::aboutWindow(); }

// MS Sans Serif first. Where it is missing, the stand-ins are faces of the
// same size whose letters are as narrow as its own: a wider face breaks
// Label2 into one line more, which then runs under Label3 and is lost.
QFont qtFont(const sv::design::Font& font) {
  QFont qt;
  qt.setFamilies({qtText(font.name), "Microsoft Sans Serif", "Tahoma", "Liberation Sans Narrow",
                  "Arial Narrow", "Liberation Sans", "Arial"});
  qt.setStyleHint(QFont::SansSerif);
  qt.setPointSizeF(font.points);
  qt.setWeight(font.bold() ? QFont::Bold : QFont::Normal);
  return qt;
}

// An element of a control array is found as "lblInf_4".
QString nameOf(const Control& control) {
  if (control.index < 0) return qtText(control.name);
  return qtText(control.name) + '_' + QString::number(control.index);
}

// What assistive technology reads for the control: its words, spaces folded.
void nameForReaders(QWidget* widget, const Control& control) {
  const std::string name = sv::design::accessibleName(table(), control);
  if (!name.empty()) widget->setAccessibleName(QString::fromStdString(name));
}

QLabel* newLabel(const Control& control, QWidget* parent) {
  QLabel* label = control.onClick == sv::design::Link::None
                      ? new QLabel(parent)
                      : new ClickableLabel(control.readAsLink, parent);
  label->setObjectName(nameOf(control));
  nameForReaders(label, control);
  label->setTextFormat(Qt::PlainText);
  // A plain-text label shows "&&" as it stands: the reader must see one "&".
  label->setText(qtText(sv::design::shownText(control.text)));
  label->setAutoFillBackground(true);
  label->setGeometry(twipsRect(control.rect));
  if (control.font != table().font) label->setFont(qtFont(control.font));
  if (control.fore.isFixed()) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText,
                     QColor(control.fore.rgb.red, control.fore.rgb.green, control.fore.rgb.blue));
    label->setPalette(palette);
  }
  label->setWordWrap(control.wordWrap);
  label->setAlignment(
      (control.align == sv::design::Align::Centre ? Qt::AlignHCenter : Qt::AlignLeft) |
      Qt::AlignTop);
  // A one-line label keeps its left and top and takes the size of its text.
  if (control.sizing == sv::design::Sizing::FitText) label->adjustSize();
  return label;
}

}  // namespace

frmAbout::frmAbout(sv::ShellOpener& opener, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                          Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_opener(opener) {
  setWindowTitle(qtText(table().title));
  setFixedSize(twipsToPixels(table().clientWidth), twipsToPixels(table().clientHeight));
  setFont(qtFont(table().font));
  QPalette palette = this->palette();
  palette.setColor(QPalette::WindowText, palette.color(QPalette::ButtonText));
  setPalette(palette);

  for (const Control& control : table().controls) {
    if (control.kind == ControlKind::Picture) makePicture(control);
    if (control.kind == ControlKind::Label) makeLabel(control);
    if (control.kind == ControlKind::PushButton) makeButton(control);
  }
}

void frmAbout::makePicture(const Control& control) {
  auto* picture = new QLabel(this);
  picture->setObjectName(nameOf(control));
  picture->setGeometry(twipsRect(control.rect));
  picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  picture->setPixmap(
      QPixmap(QStringLiteral(":/") + qtText(sv::design::pictureFile(control.picture))));
}

void frmAbout::makeLabel(const Control& control) {
  auto* link = qobject_cast<ClickableLabel*>(newLabel(control, this));
  if (!link) return;
  const auto index = static_cast<short>(control.index);
  // A click on any element raises its group's one handler with the index.
  if (control.name == "lblInf") {
    connect(link, &ClickableLabel::clicked, this, [this, index] { lblInf_Click(index); });
  } else if (control.name == "lblInf2") {
    connect(link, &ClickableLabel::clicked, this, [this, index] { lblInf2_Click(index); });
  }
}

void frmAbout::makeButton(const Control& control) {
  auto* cmdOK = new QPushButton(qtText(control.text), this);
  cmdOK->setObjectName(nameOf(control));
  nameForReaders(cmdOK, control);
  cmdOK->setGeometry(twipsRect(control.rect));
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
  // No icon in its title bar. Without one of its own, a window manager that
  // always draws one (openbox) shows the program's: a blank icon shows none.
  QPixmap blank(16, 16);
  blank.fill(Qt::transparent);
  setWindowIcon(QIcon(blank));
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
  sv::openLink(m_opener, this, sv::design::Link::HomePage);
}

void frmAbout::lblInf2_Click(short /*index*/) {
  sv::openLink(m_opener, this, sv::design::Link::MailLink);
}
