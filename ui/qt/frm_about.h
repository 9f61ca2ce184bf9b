#pragma once

// The help and credits window. It keeps no state: every showing builds a new
// one from the constants, so it always looks exactly as the first time.

#include <QDialog>

namespace sv {
class ShellOpener;
namespace design {
struct Control;
}
}  // namespace sv

class frmAbout : public QDialog {
  Q_OBJECT

 public:
  // Links are opened through opener, with this window as their owner.
  explicit frmAbout(sv::ShellOpener& opener, QWidget* parent = nullptr);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void makePicture(const sv::design::Control& control);
  void makeLabel(const sv::design::Control& control);
  void makeButton(const sv::design::Control& control);

  // The frame: close box only, no taskbar entry, placed by the window manager.
  void setUpFrame();
  void cmdOK_Click();
  // Every element of a group opens the same target; the index is passed on
  // as the group's handlers take it and is not looked at.
  void lblInf_Click(short index);
  void lblInf2_Click(short index);

  sv::ShellOpener& m_opener;
};
