#pragma once

// A test hook that lets scripts/screenshot drive the real program without a
// person: with SV_SCREENSHOT_MAINBASE and SV_SCREENSHOT_COMPARED set, the two
// pickers are clicked at start and answer with those paths instead of showing
// the dialog, and Command1 is clicked SV_SCREENSHOT_RUN_AFTER_MS milliseconds
// (default 3000) after the window shows. Without both variables it does
// nothing and the real dialog is used.

#include "platform/file_dialog.h"

#include <QString>

#include <deque>
#include <memory>

class QWidget;

namespace sv {

class ScreenshotHook {
 public:
  // Reads the environment.
  ScreenshotHook();

  bool active() const { return m_dialog != nullptr; }
  // The dialog that answers with the preset paths; only when active().
  FileDialog& fileDialog() { return *m_dialog; }

  // Picks both files in window, then clicks its Command1 after the delay.
  void drive(QWidget& window);

 private:
  std::unique_ptr<FileDialog> m_dialog;
  int m_runAfterMs = 3000;
};

}  // namespace sv
