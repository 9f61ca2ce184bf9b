#pragma once

// The main window: the two file pickers, the compare-and-delete run with its
// three result lists and count, the paired coincidence lists, the remembered
// window position, the logo's pop-up menu and Exit. It only wires things up:
// the run itself is sv::compareAndDelete().

#include <QString>
#include <QWidget>

#include <functional>
#include <optional>

class QLabel;
class QLineEdit;
class QListView;
class QMenu;
class QAction;
class QPushButton;

namespace sv {
class CaptionButton;
class FileDialog;
class FileSystem;
class ResultListModel;
class SettingsStore;
class ShellOpener;
}  // namespace sv

// What the window works with, all owned by the caller and outliving the window.
struct Form1Services {
  sv::FileSystem& files;
  sv::FileDialog& fileDialog;
  sv::SettingsStore& settings;
  sv::ShellOpener& shell;
  // Shows a failed run's message; empty means a message box. Tests put a
  // recorder here, since a modal box would block them.
  std::function<void(QWidget* parent, const QString& message)> showFailure;
};

class Form1 : public QWidget {
  Q_OBJECT

 public:
  // Builds the window and runs Form_Load (the saved position), so the window
  // stands where it was left before it first shows.
  explicit Form1(const Form1Services& services, QWidget* parent = nullptr);
  ~Form1() override;

  // Takes both files as if of1 and of2 had chosen them: stored and echoed in
  // Text1 and Text2. Nothing runs until Command1 is pressed.
  void preselect(const QString& mainBase, const QString& compared);

 protected:
  // Form_Unload: the close box and Exit both come through here.
  void closeEvent(QCloseEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void showEvent(QShowEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private slots:
  void Command1_Click();
  void Command3_Click();
  void of1_Click();
  void of2_Click();
  void List3_Click();
  void List4_Click();
  void List3_Scroll();
  void List4_Scroll();
  void mnuHelp_Click();
  void mnuweb_Click();

 private:
  void buildControls();
  void buildMenu();
  void connectHandlers();
  void buildTabOrder();
  // The earlier choice is offered again; Cancel keeps it.
  void choosePath(const QString& filter, QString& path, QLineEdit* box);
  static void storePath(const QString& chosen, QString& path, QLineEdit* box);
  void Form_Load();
  void Form_Unload();
  void Image1_MouseDown();
  void clearLists();
  void reportFailure(const QString& message);

  sv::FileSystem& m_files;
  sv::FileDialog& m_fileDialog;
  sv::SettingsStore& m_settings;
  sv::ShellOpener& m_shell;
  std::function<void(QWidget*, const QString&)> m_showFailure;

  // The run's two inputs, exactly as the pickers returned them. Null until
  // chosen; null and empty both mean "not chosen".
  QString m_mainBasePath;
  QString m_comparedPath;

  // A saved coordinate whose partner is missing, in pixels, applied at the
  // first show (Form_Load).
  std::optional<int> m_pendingLeft;
  std::optional<int> m_pendingTop;

  QLabel* Label1 = nullptr;
  QLabel* Image1 = nullptr;
  QListView* List3 = nullptr;
  QListView* List4 = nullptr;
  sv::CaptionButton* Command1 = nullptr;
  sv::CaptionButton* Command3 = nullptr;
  QLineEdit* Text1 = nullptr;
  QLineEdit* Text2 = nullptr;
  QPushButton* of1 = nullptr;
  QPushButton* of2 = nullptr;
  QLabel* Label2 = nullptr;
  QListView* List2 = nullptr;
  QListView* List1 = nullptr;
  QMenu* mnupopup = nullptr;
  QAction* mnuHelp = nullptr;
  QAction* mnuweb = nullptr;

  sv::ResultListModel* m_list2Model = nullptr;
  sv::ResultListModel* m_list3Model = nullptr;
  sv::ResultListModel* m_list4Model = nullptr;
};
