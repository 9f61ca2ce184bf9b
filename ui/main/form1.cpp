#include "ui/main/form1.h"

#include "engine/compare_and_delete.h"
#include "platform/file_dialog.h"
#include "platform/settings_store.h"
#include "platform/shell_open.h"
#include "ui/about/frm_about.h"
#include "ui/about/links.h"
#include "ui/main/app_identity.h"
#include "ui/main/caption_button.h"
#include "ui/main/left_button_menu.h"
#include "ui/main/result_list_model.h"
#include "ui/classic_style.h"
#include "ui/twips.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QWindow>

#include <cmath>
#include <optional>

namespace {

using sv::kTwipsPerPixel;
using sv::twipsRect;
using sv::twipsToPixels;

const QString kTitle = QStringLiteral("  VARNOK Dalvorn Sievra");

// Qt name filters for the two dialog controls: CD1 lists only files named
// MainBase.dat, CD the .rda files.
const QString kMainBaseFilter = QStringLiteral("MainBase.dat (MainBase.dat)");
const QString kComparedFilter = QStringLiteral("RDA files (*.rda)");

const QColor kFormGreen(160, 210, 157);
const QColor kButtonLavender(222, 208, 242);
const QColor kTextCream(254, 242, 226);
const QColor kDarkBlue(0, 0, 192);
const QColor kRed(255, 0, 0);

// One list row of the 8.25 pt font, as the list heights count it.
constexpr int kListRowHeight = 13;

// The settings entries of the window position (values in twips).
const QString kSettingsApplication = QStringLiteral("VARNOK SV");
const QString kSettingsSection = QStringLiteral("Pos");
const QString kLeftKey = QStringLiteral("Left");
const QString kTopKey = QStringLiteral("Top");

// Sizes are pixels, not points: the layout's 8.25 pt and 9.75 pt are 11 and
// 13 pixels at its 96 dpi, and every rectangle is in those pixels too. A
// family that is missing falls back along the list, then to any sans-serif
// of the same size and weight; never to another size.
QFont layoutFont(const QStringList& families, int pixelSize, bool bold = false,
                 bool italic = false) {
  QFont font;
  font.setFamilies(families);
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(pixelSize);
  font.setWeight(bold ? QFont::Bold : QFont::Normal);
  font.setItalic(italic);
  return font;
}

QFont msSansSerif(int pixelSize, bool bold = false) {
  return layoutFont(
      {"MS Sans Serif", "Microsoft Sans Serif", "Liberation Sans", "Arial", "Nimbus Sans"},
      pixelSize, bold);
}

QFont arial(int pixelSize, bool italic = false) {
  return layoutFont({"Arial", "Liberation Sans", "Arimo", "Nimbus Sans", "Helvetica"}, pixelSize,
                    false, italic);
}

void setColor(QWidget* widget, QPalette::ColorRole role, const QColor& color) {
  QPalette palette = widget->palette();
  palette.setColor(role, color);
  widget->setPalette(palette);
}

// List rows are exactly one line of the font high, as in the layout's list
// boxes, whatever margins the style would add.
class ListBoxRowDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    return QSize(QStyledItemDelegate::sizeHint(option, index).width(), kListRowHeight);
  }
};

// ListIndex: the selected item, or -1.
int listIndex(const QListView* list) {
  const QModelIndexList selected = list->selectionModel()->selectedIndexes();
  return selected.isEmpty() ? -1 : selected.first().row();
}

// Writing the value a list already holds is no change and raises no
// notification; that is what ends the echo between the paired lists.
void setListIndex(QListView* list, int index) {
  if (listIndex(list) == index) return;
  if (index < 0 || index >= list->model()->rowCount()) {
    list->selectionModel()->clear();
    return;
  }
  const QModelIndex item = list->model()->index(index, 0);
  list->selectionModel()->setCurrentIndex(item, QItemSelectionModel::ClearAndSelect);
  list->scrollTo(item);
}

void selectLastItem(QListView* list) { setListIndex(list, list->model()->rowCount() - 1); }

// TopIndex: the scroll bar counts items, since the lists scroll per item.
QScrollBar* topIndex(const QListView* list) { return list->verticalScrollBar(); }

void showPath(QLineEdit* box, const QString& path) {
  box->setText(QLatin1Char(' ') + path);
  box->setCursorPosition(0);  // a long path shows its beginning, as classic text boxes do
}

// A stored coordinate in twips, floored; nothing for empty or non-numeric
// text. Form_Unload writes whole numbers without separators; a fraction
// edited by hand may use either the C or the user's decimal point.
std::optional<double> storedTwips(const QString& text) {
  if (text.isEmpty()) return std::nullopt;
  bool ok = false;
  double value = QLocale::c().toDouble(text, &ok);
  if (!ok) value = QLocale().toDouble(text, &ok);
  // Beyond this no window system can place a window; the value cannot have
  // come from Form_Unload.
  constexpr double kLimit = 1e9;
  if (!ok || !std::isfinite(value) || std::fabs(value) > kLimit) return std::nullopt;
  return std::floor(value);
}

}  // namespace

Form1::Form1(const Form1Services& services, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      m_files(services.files),
      m_fileDialog(services.fileDialog),
      m_settings(services.settings),
      m_shell(services.shell),
      m_showFailure(services.showFailure) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(kTitle);
  setWindowIcon(QIcon(QStringLiteral(":/sievra.ico")));
  setFixedSize(twipsToPixels(5670), twipsToPixels(4860));
  setFont(msSansSerif(11));

  buildControls();
  buildMenu();
  connectHandlers();
  buildTabOrder();
  sv::useClassicStyle(this);
  List3->setFocus();
  Form_Load();
}

Form1::~Form1() = default;

void Form1::buildControls() {
  Label1 = new QLabel(this);
  Label1->setObjectName(QStringLiteral("Label1"));
  Label1->setGeometry(twipsRect(0, 0, 4215, 375));
  Label1->setFont(msSansSerif(13, true));
  // Horizontally centred; classic labels keep their text at the top.
  Label1->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  setColor(Label1, QPalette::WindowText, kRed);

  Image1 = new QLabel(this);
  Image1->setObjectName(QStringLiteral("Image1"));
  Image1->setGeometry(twipsRect(4275, 60, 1335, 975));
  Image1->setPixmap(QPixmap(QStringLiteral(":/logo.bmp")));
  Image1->setCursor(QCursor(QPixmap(QStringLiteral(":/help_pointer.ico"))));
  Image1->installEventFilter(this);

  const int maxRows = sv::ResultListModel::maxRowsFor(kListRowHeight);
  m_list3Model = new sv::ResultListModel(maxRows, this);
  m_list4Model = new sv::ResultListModel(maxRows, this);
  m_list2Model = new sv::ResultListModel(maxRows, this);
  const auto makeList = [this](const QString& name, sv::ResultListModel* model, const QString& tip,
                               const QRect& place) {
    auto* list = new QListView(this);
    list->setObjectName(name);
    list->setGeometry(place);
    list->setToolTip(tip);
    list->setUniformItemSizes(true);
    list->setSelectionMode(QAbstractItemView::SingleSelection);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list->setTextElideMode(Qt::ElideNone);
    list->setItemDelegate(new ListBoxRowDelegate(list));
    if (model) list->setModel(model);
    return list;
  };
  List3 =
      makeList(QStringLiteral("List3"), m_list3Model,
               QStringLiteral("  Coincidences in Mainbase.dat  "), twipsRect(0, 360, 2055, 2010));
  List4 = makeList(QStringLiteral("List4"), m_list4Model,
                   QStringLiteral("  Coincidences in file for comparing  "),
                   twipsRect(2040, 360, 2175, 2010));

  Command1 = new sv::CaptionButton(QStringLiteral("   Compare          &&       Delete"), this);
  Command1->setObjectName(QStringLiteral("Command1"));
  Command1->setGeometry(twipsRect(4275, 1080, 1365, 1095));
  Command1->setToolTip(QStringLiteral("  Compare & Delete dupes records  "));

  Command3 = new sv::CaptionButton(QStringLiteral("Exit"), this);
  Command3->setObjectName(QStringLiteral("Command3"));
  Command3->setGeometry(twipsRect(4275, 2160, 1365, 1050));
  Command3->setToolTip(QStringLiteral("  Close program  "));
  // The first frame of the exit door, still: nothing plays the others.
  Command3->setPicture(QPixmap(QStringLiteral(":/exit.gif")));

  for (sv::CaptionButton* button : {Command1, Command3}) {
    button->setFont(msSansSerif(13, true));
    setColor(button, QPalette::Button, kButtonLavender);
    button->setAutoDefault(false);
  }

  const auto makeTextBox = [this](const QString& name, const QRect& place) {
    auto* box = new QLineEdit(this);
    box->setObjectName(name);
    box->setGeometry(place);
    box->setFont(arial(11));
    setColor(box, QPalette::Base, kTextCream);
    setColor(box, QPalette::Text, kDarkBlue);
    return box;
  };
  Text1 = makeTextBox(QStringLiteral("Text1"), twipsRect(0, 2400, 2055, 285));
  Text2 = makeTextBox(QStringLiteral("Text2"), twipsRect(2040, 2400, 2175, 285));

  const auto makePicker = [this](const QString& name, const QString& caption, const QString& tip,
                                 const QRect& place) {
    auto* button = new QPushButton(caption, this);
    button->setObjectName(name);
    button->setGeometry(place);
    button->setToolTip(tip);
    button->setFont(arial(11, true));
    setColor(button, QPalette::Button, kButtonLavender);
    button->setAutoDefault(false);
    return button;
  };
  of1 = makePicker(QStringLiteral("of1"), QStringLiteral("Select Mainbase.dat"),
                   QStringLiteral("  Select Dalvorn  Mainbase.dat file  "),
                   twipsRect(0, 2760, 2055, 450));
  of2 =
      makePicker(QStringLiteral("of2"), QStringLiteral("Select file for comparing"),
                 QStringLiteral("  Select file for comparing  "), twipsRect(2040, 2760, 2175, 450));

  Label2 = new QLabel(QStringLiteral("File without dupes records:"), this);
  Label2->setObjectName(QStringLiteral("Label2"));
  Label2->setGeometry(twipsRect(120, 3270, 2790, 240));
  Label2->setFont(msSansSerif(13, true));
  Label2->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  setColor(Label2, QPalette::WindowText, kDarkBlue);

  List2 = makeList(QStringLiteral("List2"), m_list2Model,
                   QStringLiteral("  File view without dupes records  "),
                   twipsRect(0, 3600, 5655, 1230));

  // Left of the client area, never seen, filled or read; it takes no focus,
  // so the Tab key never lands on something invisible.
  List1 = makeList(QStringLiteral("List1"), nullptr, QString(), twipsRect(-2000, 1320, 615, 255));
  List1->setFocusPolicy(Qt::NoFocus);
}

void Form1::buildMenu() {
  mnupopup = new sv::LeftButtonMenu(this);
  mnupopup->setObjectName(QStringLiteral("mnupopup"));
  mnuHelp = mnupopup->addAction(QStringLiteral("Help"));
  mnuHelp->setObjectName(QStringLiteral("mnuHelp"));
  QAction* sep1 = mnupopup->addSeparator();
  sep1->setObjectName(QStringLiteral("sep1"));
  // The address is the caption as it is: no "&" in it to become an access key.
  mnuweb = mnupopup->addAction(QString::fromLatin1(sv::kHomePage));
  mnuweb->setObjectName(QStringLiteral("mnuweb"));
}

void Form1::connectHandlers() {
  connect(Command1, &QPushButton::clicked, this, &Form1::Command1_Click);
  connect(Command3, &QPushButton::clicked, this, &Form1::Command3_Click);
  connect(of1, &QPushButton::clicked, this, &Form1::of1_Click);
  connect(of2, &QPushButton::clicked, this, &Form1::of2_Click);
  // Click: any change of the selection, by mouse, keyboard or code.
  connect(List3->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          &Form1::List3_Click);
  connect(List4->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          &Form1::List4_Click);
  // Scroll: the scroll bar, the wheel and the keyboard all move the scroll bar.
  connect(topIndex(List3), &QScrollBar::valueChanged, this, &Form1::List3_Scroll);
  connect(topIndex(List4), &QScrollBar::valueChanged, this, &Form1::List4_Scroll);
  connect(mnuHelp, &QAction::triggered, this, &Form1::mnuHelp_Click);
  connect(mnuweb, &QAction::triggered, this, &Form1::mnuweb_Click);
}

void Form1::buildTabOrder() {
  const QWidget* order[] = {List3, List4, of1, of2, Command1, Command3, List2, Text1, Text2};
  for (std::size_t i = 0; i + 1 < std::size(order); ++i) {
    QWidget::setTabOrder(const_cast<QWidget*>(order[i]), const_cast<QWidget*>(order[i + 1]));
  }
}

void Form1::paintEvent(QPaintEvent*) {
  // Painted rather than set in the palette, so that the lists, boxes and
  // scroll bars keep the system's colours.
  QPainter(this).fillRect(rect(), kFormGreen);
}

bool Form1::eventFilter(QObject* watched, QEvent* event) {
  if (watched == Image1 && event->type() == QEvent::MouseButtonPress) {
    Image1_MouseDown();
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

void Form1::Command1_Click() {
  if (m_mainBasePath.isEmpty() || m_comparedPath.isEmpty()) return;

  clearLists();
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const sv::RunOutcome outcome =
      sv::compareAndDelete(m_files, QFile::encodeName(m_mainBasePath).toStdString(),
                           QFile::encodeName(m_comparedPath).toStdString());
  m_list3Model->setList(outcome.lists.List3);
  m_list4Model->setList(outcome.lists.List4);
  m_list2Model->setList(outcome.lists.List2);

  if (!outcome.status.isOk()) {
    // The pointer goes back first: a busy pointer over the message would say
    // that the program is still at work while it waits for the user.
    QApplication::restoreOverrideCursor();
    reportFailure(QString::fromLocal8Bit(outcome.status.message()));
    return;
  }

  // Where writing the lists out leaves the selection: on the last item
  // of List2 and List4, and through List4_Click of List3.
  selectLastItem(List2);
  selectLastItem(List4);
  QApplication::restoreOverrideCursor();
  Label1->setText(QString::fromStdString(sv::countText(outcome.dupesCount())));
}

void Form1::clearLists() {
  m_list3Model->clear();
  m_list4Model->clear();
  m_list2Model->clear();
}

void Form1::reportFailure(const QString& message) {
  if (m_showFailure) {
    m_showFailure(this, message);
    return;
  }
  QMessageBox::critical(this, QString::fromLatin1(sv::kAppTitle), message);
}

void Form1::Command3_Click() {
  close();
  QCoreApplication::quit();
}

void Form1::of1_Click() { choosePath(kMainBaseFilter, m_mainBasePath, Text1); }

void Form1::of2_Click() { choosePath(kComparedFilter, m_comparedPath, Text2); }

void Form1::choosePath(const QString& filter, QString& path, QLineEdit* box) {
  const std::optional<QString> chosen = m_fileDialog.chooseFileToOpen(this, filter, path);
  if (!chosen) return;
  storePath(*chosen, path, box);
}

void Form1::storePath(const QString& chosen, QString& path, QLineEdit* box) {
  path = chosen;
  showPath(box, path);
}

void Form1::preselect(const QString& mainBase, const QString& compared) {
  storePath(mainBase, m_mainBasePath, Text1);
  storePath(compared, m_comparedPath, Text2);
}

void Form1::List3_Click() { setListIndex(List4, listIndex(List3)); }

void Form1::List4_Click() { setListIndex(List3, listIndex(List4)); }

// QScrollBar::setValue with the value it holds emits nothing, which ends the echo.
void Form1::List3_Scroll() { topIndex(List4)->setValue(topIndex(List3)->value()); }

void Form1::List4_Scroll() { topIndex(List3)->setValue(topIndex(List4)->value()); }

void Form1::Form_Load() {
  const std::optional<double> left =
      storedTwips(m_settings.read(kSettingsApplication, kSettingsSection, kLeftKey));
  const std::optional<double> top =
      storedTwips(m_settings.read(kSettingsApplication, kSettingsSection, kTopKey));
  if (left && top) {
    move(twipsToPixels(*left), twipsToPixels(*top));
    return;
  }
  // Qt moves a window by both coordinates at once, and the window system's
  // own place for a new window is known only once the window exists; so a
  // lone coordinate waits for the first show.
  if (left) m_pendingLeft = twipsToPixels(*left);
  if (top) m_pendingTop = twipsToPixels(*top);
}

void Form1::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!m_pendingLeft && !m_pendingTop) return;
  move(m_pendingLeft.value_or(x()), m_pendingTop.value_or(y()));
  m_pendingLeft.reset();
  m_pendingTop.reset();
}

void Form1::Form_Unload() {
  m_settings.write(kSettingsApplication, kSettingsSection, kLeftKey,
                   QString::number(x() * kTwipsPerPixel));
  m_settings.write(kSettingsApplication, kSettingsSection, kTopKey,
                   QString::number(y() * kTwipsPerPixel));
}

void Form1::closeEvent(QCloseEvent* event) {
  Form_Unload();
  event->accept();
}

void Form1::Image1_MouseDown() { mnupopup->exec(QCursor::pos()); }

void Form1::mnuHelp_Click() {
  // No owner window, yet modal to the whole program: the main window takes no
  // input until the About window is closed.
  QPointer<frmAbout> about = new frmAbout(m_shell, nullptr);
  about->setWindowModality(Qt::ApplicationModal);
  // Not a Qt parent, but the window manager keeps it with the main window:
  // minimising it takes the main window along instead of leaving that
  // blocked with no dialog in sight.
  about->windowHandle()->setTransientParent(windowHandle());
  about->exec();
  delete about.data();  // null if the window deleted itself on close
}

void Form1::mnuweb_Click() { sv::openTarget(m_shell, this, QString::fromLatin1(sv::kHomePage)); }
