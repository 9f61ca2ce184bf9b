#include "ui/qt/form1.h"

#include "engine/compare_and_delete.h"
#include "ui/design/app_identity.h"
#include "ui/design/position.h"
#include "ui/design/window_tables.h"
#include "ui/qt/caption_button.h"
#include "ui/qt/classic_style.h"
#include "ui/qt/file_dialog.h"
#include "ui/qt/frm_about.h"
#include "ui/qt/left_button_menu.h"
#include "ui/qt/open_link.h"
#include "ui/qt/result_list_model.h"
#include "ui/qt/settings_store.h"
#include "ui/qt/shell_open.h"
#include "ui/qt/twips.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPointer>
#include <QScrollBar>
#include <QStyleOptionFocusRect>
#include <QStyledItemDelegate>
#include <QWindow>

#include <optional>

namespace {

using sv::qtText;
using sv::twipsRect;
using sv::twipsToPixels;
using sv::design::Control;
using sv::design::ControlKind;

const sv::design::Window& form() { return sv::design::form1Window(); }

const Control& row(const char* name) { return form().control(name); }

// Qt's form of a dialog control's filter: "RDA files (*.rda)".
QString qtFilter(std::string_view filter) {
  QStringList entries;
  for (const sv::design::FileFilter& entry : sv::design::parseFilter(filter)) {
    entries << qtText(entry.description) + QStringLiteral(" (") + qtText(entry.pattern) + ')';
  }
  return entries.join(QStringLiteral(";;"));
}

// Sizes are pixels, not points: 8.25 pt and 9.75 pt are 11 and 13 pixels at
// 96 dpi, and every rectangle is in those pixels too. A family that is
// missing falls back along the list, then to any sans-serif of the same size
// and weight; never to another size.
QFont qtFont(const sv::design::Font& font) {
  QFont qt;
  if (font.name == "Arial") {
    qt.setFamilies({"Arial", "Liberation Sans", "Arimo", "Nimbus Sans", "Helvetica"});
  } else {
    qt.setFamilies(
        {qtText(font.name), "Microsoft Sans Serif", "Liberation Sans", "Arial", "Nimbus Sans"});
  }
  qt.setStyleHint(QFont::SansSerif);
  qt.setPixelSize(font.pixelHeight());
  qt.setWeight(font.bold() ? QFont::Bold : QFont::Normal);
  qt.setItalic(font.italic);
  return qt;
}

QString picture(sv::design::Picture which) {
  return QStringLiteral(":/") + qtText(sv::design::pictureFile(which));
}

QColor qtColour(const sv::design::Rgb& rgb) { return QColor(rgb.red, rgb.green, rgb.blue); }

// Fixed colours only: the system's are what the style's palette gives anyway,
// and a colour of none leaves the window's green showing through.
void setColours(QWidget* widget, const Control& control) {
  if (!control.fore.isFixed() && !control.back.isFixed()) return;
  const bool textBox = control.kind == ControlKind::TextBox;
  const bool button = control.kind == ControlKind::PushButton;
  QPalette palette = widget->palette();
  if (control.fore.isFixed()) {
    palette.setColor(textBox  ? QPalette::Text
                     : button ? QPalette::ButtonText
                              : QPalette::WindowText,
                     qtColour(control.fore.rgb));
  }
  if (control.back.isFixed()) {
    palette.setColor(textBox  ? QPalette::Base
                     : button ? QPalette::Button
                              : QPalette::Window,
                     qtColour(control.back.rgb));
  }
  widget->setPalette(palette);
}

// What every control takes from its row of the table.
template <typename Widget>
Widget* placed(Widget* widget, const Control& control) {
  widget->setObjectName(qtText(control.name));
  widget->setGeometry(twipsRect(control.rect));
  if (!control.tooltip.empty()) widget->setToolTip(qtText(control.tooltip));
  // Without a name of its own (Label1) a label is read by its text.
  const std::string name = sv::design::accessibleName(form(), control);
  if (!name.empty()) widget->setAccessibleName(QString::fromStdString(name));
  widget->setFont(qtFont(control.font));
  setColours(widget, control);
  if (control.pointer == sv::design::Pointer::Help) {
    widget->setCursor(QCursor(QPixmap(picture(sv::design::Picture::HelpPointer))));
  }
  return widget;
}

// List rows are exactly one line of the font high, as in the layout's list
// boxes, whatever margins the style would add.
class ListBoxRowDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    return QSize(QStyledItemDelegate::sizeHint(option, index).width(),
                 twipsToPixels(sv::design::kListRowHeight));
  }
};

// A list view that behaves as the platform's list box.
class ListBox : public QListView {
 public:
  ListBox(int rowHeight, QWidget* parent) : QListView(parent), m_rowHeight(rowHeight) {}

 protected:
  // An empty list with the focus still shows where the focus is: a dotted
  // rectangle where its first row would be.
  void paintEvent(QPaintEvent* event) override {
    QListView::paintEvent(event);
    if (!hasFocus() || (model() && model()->rowCount() > 0)) return;
    QPainter painter(viewport());
    QStyleOptionFocusRect focus;
    focus.initFrom(this);
    focus.rect = QRect(0, 0, viewport()->width(), m_rowHeight);
    focus.backgroundColor = palette().color(QPalette::Base);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
  }

  // QListView announces a new current item as focused even in a list that
  // has no focus: the paired list that follows the other, or both lists at
  // the end of a run. A screen reader would follow that and leave the
  // control that really holds the focus. The selection is still announced.
  void currentChanged(const QModelIndex& current, const QModelIndex& previous) override {
    if (hasFocus()) {
      QListView::currentChanged(current, previous);
    } else {
      QAbstractItemView::currentChanged(current, previous);
    }
  }

 private:
  int m_rowHeight;
};

QLabel* makeLabel(const Control& control, QWidget* parent) {
  auto* label = placed(new QLabel(qtText(sv::design::shownText(control.text)), parent), control);
  // Classic labels keep their text at the top.
  label->setAlignment(
      (control.align == sv::design::Align::Centre ? Qt::AlignHCenter : Qt::AlignLeft) |
      Qt::AlignTop);
  return label;
}

QListView* makeList(const Control& control, sv::ResultListModel* model, QWidget* parent) {
  auto* list = placed(new ListBox(twipsToPixels(sv::design::kListRowHeight), parent), control);
  list->setUniformItemSizes(true);
  list->setSelectionMode(QAbstractItemView::SingleSelection);
  list->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
  list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  list->setTextElideMode(Qt::ElideNone);
  list->setItemDelegate(new ListBoxRowDelegate(list));
  if (model) list->setModel(model);
  // List1 has a place in the keyboard order but takes no focus, so the
  // Tab key never lands on something invisible.
  if (!control.tabStop) list->setFocusPolicy(Qt::NoFocus);
  return list;
}

// Captions go as they are: QPushButton shows "&&" as one "&", as the
// classic buttons do.
sv::CaptionButton* makeCaptionButton(const Control& control, QWidget* parent) {
  auto* button = placed(new sv::CaptionButton(qtText(control.text), parent), control);
  button->setAutoDefault(false);
  return button;
}

QPushButton* makePicker(const Control& control, QWidget* parent) {
  auto* button = placed(new QPushButton(qtText(control.text), parent), control);
  button->setAutoDefault(false);
  return button;
}

// List1 lies left of the client area, where nobody sees it: assistive
// technology is offered only the controls the window shows.
class Form1Accessible : public QAccessibleWidget {
 public:
  explicit Form1Accessible(QWidget* window) : QAccessibleWidget(window) {}

  int childCount() const override { return static_cast<int>(shownChildren().size()); }
  QAccessibleInterface* child(int index) const override { return shownChildren().value(index); }
  int indexOfChild(const QAccessibleInterface* child) const override {
    return shownChildren().indexOf(const_cast<QAccessibleInterface*>(child));
  }

 private:
  QList<QAccessibleInterface*> shownChildren() const {
    QList<QAccessibleInterface*> shown;
    for (int i = 0; i < QAccessibleWidget::childCount(); ++i) {
      QAccessibleInterface* child = QAccessibleWidget::child(i);
      const auto* control = child ? qobject_cast<const QWidget*>(child->object()) : nullptr;
      if (control && widget()->rect().intersects(control->geometry())) shown << child;
    }
    return shown;
  }
};

QAccessibleInterface* form1Accessible(const QString& className, QObject* object) {
  if (className != QLatin1String("Form1") || !object || !object->isWidgetType()) return nullptr;
  return new Form1Accessible(static_cast<QWidget*>(object));
}

// Qt keeps the first interface it makes for a widget, so the factory is in
// place before the window sends any event.
void installAccessibleFactory() {
  [[maybe_unused]] static const bool installed = [] {
    QAccessible::installFactory(form1Accessible);
    return true;
  }();
}

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

std::optional<double> storedTwips(sv::SettingsStore& settings, const char* key) {
  return sv::design::readStoredTwips(
      settings
          .read(QString::fromLatin1(sv::design::kSettingsApplication),
                QString::fromLatin1(sv::design::kSettingsSection), QString::fromLatin1(key))
          .toStdString());
}

void storeTwips(sv::SettingsStore& settings, const char* key, int pixels) {
  settings.write(
      QString::fromLatin1(sv::design::kSettingsApplication),
      QString::fromLatin1(sv::design::kSettingsSection), QString::fromLatin1(key),
      QString::fromStdString(sv::design::storedTwipsText(sv::design::pixelsToTwips(pixels))));
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
  installAccessibleFactory();
  setObjectName(qtText(form().name));
  setWindowTitle(qtText(form().title));
  setWindowIcon(QIcon(picture(form().icon)));
  setFixedSize(twipsToPixels(form().clientWidth), twipsToPixels(form().clientHeight));
  setFont(qtFont(form().font));

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
  Label1 = makeLabel(row("Label1"), this);

  Image1 = placed(new QLabel(this), row("Image1"));
  Image1->setPixmap(QPixmap(picture(row("Image1").picture)));
  Image1->installEventFilter(this);

  const int maxRows = sv::ResultListModel::maxRowsFor(twipsToPixels(sv::design::kListRowHeight));
  m_list3Model = new sv::ResultListModel(maxRows, this);
  m_list4Model = new sv::ResultListModel(maxRows, this);
  m_list2Model = new sv::ResultListModel(maxRows, this);
  List3 = makeList(row("List3"), m_list3Model, this);
  List4 = makeList(row("List4"), m_list4Model, this);

  Command1 = makeCaptionButton(row("Command1"), this);
  Command3 = makeCaptionButton(row("Command3"), this);
  // The first frame of the exit door, still: nothing plays the others.
  Command3->setPicture(QPixmap(picture(row("Command3").picture)));

  Text1 = placed(new QLineEdit(this), row("Text1"));
  Text2 = placed(new QLineEdit(this), row("Text2"));
  of1 = makePicker(row("of1"), this);
  of2 = makePicker(row("of2"), this);

  Label2 = makeLabel(row("Label2"), this);
  List2 = makeList(row("List2"), m_list2Model, this);
  // Left of the client area, never seen, filled or read.
  List1 = makeList(row("List1"), nullptr, this);
}

void Form1::buildMenu() {
  const sv::design::Menu& menu = sv::design::form1PopupMenu();
  mnupopup = new sv::LeftButtonMenu(this);
  mnupopup->setObjectName(qtText(menu.name));
  for (const sv::design::MenuItem& item : menu.items) {
    // A caption is taken as it is: no "&" in one to become an access key.
    QAction* action =
        item.separator ? mnupopup->addSeparator() : mnupopup->addAction(qtText(item.caption));
    action->setObjectName(qtText(item.name));
  }
  mnuHelp = mnupopup->findChild<QAction*>(QStringLiteral("mnuHelp"));
  mnuweb = mnupopup->findChild<QAction*>(QStringLiteral("mnuweb"));
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
  QWidget* previous = nullptr;
  for (const Control* control : form().tabOrder()) {
    auto* widget = findChild<QWidget*>(qtText(control->name));
    if (previous) QWidget::setTabOrder(previous, widget);
    previous = widget;
  }
}

void Form1::paintEvent(QPaintEvent*) {
  // Painted rather than set in the palette, so that the lists, boxes and
  // scroll bars keep the system's colours.
  QPainter(this).fillRect(rect(), qtColour(form().back.rgb));
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

void Form1::of1_Click() { choosePath(qtFilter(row("CD1").filter), m_mainBasePath, Text1); }

void Form1::of2_Click() { choosePath(qtFilter(row("CD").filter), m_comparedPath, Text2); }

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
  const std::optional<double> left = storedTwips(m_settings, sv::design::kLeftKey);
  const std::optional<double> top = storedTwips(m_settings, sv::design::kTopKey);
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
  storeTwips(m_settings, sv::design::kLeftKey, x());
  storeTwips(m_settings, sv::design::kTopKey, y());
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

void Form1::mnuweb_Click() { sv::openLink(m_shell, this, sv::design::Link::HomePage); }
