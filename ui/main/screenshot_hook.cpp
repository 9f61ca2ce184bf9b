#include "ui/main/screenshot_hook.h"

#include <QPushButton>
#include <QTimer>
#include <QWidget>

namespace sv {

namespace {

// Answers the pickers in the order they are clicked.
class PresetFileDialog : public FileDialog {
 public:
  explicit PresetFileDialog(std::deque<QString> answers) : m_answers(std::move(answers)) {}

  std::optional<QString> chooseFileToOpen(QWidget*, const QString&, const QString&) override {
    if (m_answers.empty()) return std::nullopt;
    QString answer = m_answers.front();
    m_answers.pop_front();
    return answer;
  }

 private:
  std::deque<QString> m_answers;
};

void click(QWidget& window, const char* name) {
  if (auto* button = window.findChild<QPushButton*>(QString::fromLatin1(name))) button->click();
}

}  // namespace

ScreenshotHook::ScreenshotHook() {
  const QString mainBase = qEnvironmentVariable("SV_SCREENSHOT_MAINBASE");
  const QString compared = qEnvironmentVariable("SV_SCREENSHOT_COMPARED");
  if (mainBase.isEmpty() || compared.isEmpty()) return;
  m_dialog = std::make_unique<PresetFileDialog>(std::deque<QString>{mainBase, compared});
  bool ok = false;
  const int runAfter = qEnvironmentVariableIntValue("SV_SCREENSHOT_RUN_AFTER_MS", &ok);
  if (ok && runAfter >= 0) m_runAfterMs = runAfter;
}

void ScreenshotHook::drive(QWidget& window) {
  if (!active()) return;
  click(window, "of1");
  click(window, "of2");
  QTimer::singleShot(m_runAfterMs, &window, [&window] { click(window, "Command1"); });
}

}  // namespace sv
