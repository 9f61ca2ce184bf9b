#include "ui/about/frm_about.h"

#include "platform/shell_open.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QImage>
#include <QKeySequence>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>
#include <optional>
#include <string>
#include <vector>

namespace {

// Records every shell-open request instead of starting anything.
class RecordingShellOpener : public sv::ShellOpener {
 public:
  struct Request {
    QWidget* owner;
    std::string operation;
    QString file;
    std::optional<std::string> parameters;
    std::optional<std::string> directory;
    int showCommand;
  };

  void shellExecute(QWidget* owner, const char* operation, const QString& file,
                    const char* parameters, const char* directory, int showCommand) override {
    requests.push_back(
        {owner, operation, file, optionalText(parameters), optionalText(directory), showCommand});
  }

  std::vector<Request> requests;

 private:
  static std::optional<std::string> optionalText(const char* text) {
    if (text == nullptr) return std::nullopt;
    return std::string(text);
  }
};

const QString kHomePage = QStringLiteral("http://www.varnok.example.com/");
const QString kMailLink =
    QStringLiteral("mailto:sievra@varnok.example.com?Subject=Sievra for Dalvorn");

class FrmAboutTest : public ::testing::Test {
 protected:
  void SetUp() override { m_window.show(); }

  template <typename T = QWidget>
  T* control(const char* name) {
    auto* widget = m_window.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }

  RecordingShellOpener m_opener;
  frmAbout m_window{m_opener};
};

// ---------------------------------------------------------------------------
// Texts and rectangles. One-line labels keep their left and top and take the
// size of their text; all other controls keep their whole rectangle.

struct LayoutCase {
  const char* name;
  QString text;
  QRect rect;  // pixels; for one-line labels only the left and top count
  bool oneLine;
};

std::ostream& operator<<(std::ostream& out, const LayoutCase& c) { return out << c.name; }

class LayoutTest : public FrmAboutTest, public ::testing::WithParamInterface<LayoutCase> {};

TEST_P(LayoutTest, ShowsItsTextInItsRectangle) {
  const LayoutCase& c = GetParam();
  auto* label = control<QLabel>(c.name);
  ASSERT_NE(label, nullptr);

  EXPECT_EQ(label->text(), c.text);
  EXPECT_EQ(label->textFormat(), Qt::PlainText);
  if (!c.oneLine) {
    EXPECT_EQ(label->geometry(), c.rect);
    return;
  }
  const QFontMetrics metrics(label->font());
  EXPECT_EQ(label->pos(), c.rect.topLeft());
  EXPECT_FALSE(label->wordWrap());
  EXPECT_EQ(label->size(), label->sizeHint());
  EXPECT_GE(label->width(), metrics.horizontalAdvance(c.text));
  EXPECT_GE(label->height(), metrics.height());
  EXPECT_LT(label->height(), 2 * metrics.lineSpacing());
}

INSTANTIATE_TEST_SUITE_P(
    Controls, LayoutTest,
    ::testing::Values(
        LayoutCase{"lblInf_0", "VARNOK Dalvorn Sievra", {48, 16, 0, 0}, true},
        LayoutCase{"Label1", "E-Mail:", {8, 64, 33, 17}, false},
        LayoutCase{"lblInf2_2", "sievra@varnok.example.com", {48, 64, 0, 0}, true},
        LayoutCase{"lblInf_3", "Web:", {8, 80, 0, 0}, true},
        LayoutCase{"lblInf_4", "http://www.varnok.example.com/", {48, 80, 0, 0}, true},
        LayoutCase{"lblInf_5",
                   "    This program compares and deletes dupes records   before importing new "
                   "databases to Dalvorn program.",
                   {8, 104, 281, 33},
                   false},
        LayoutCase{"Label2",
                   "     The program detects dupes records with two coincidences (Callsign and "
                   "RDA Number). The field Notes may be different.  After clicking 'Compare & "
                   "Delete' button it will be created backup of file for comparing. "
                   "Coincidenced records with MainBase.dat will be deleted to file *.dup.",
                   {8, 136, 281, 89},
                   false},
        LayoutCase{"Label3",
                   "     Now you can free import new databases in Dalvorn program.(The name of "
                   "the file for comparing without of dupes records will be same as it was)",
                   {8, 208, 281, 41},
                   false},
        LayoutCase{"lblInf_1", "Copyright (C) 2003 VARNOK", {75, 256, 0, 0}, true},
        LayoutCase{"Label4", "2003", {104, 272, 81, 17}, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FrmAboutTest, WindowIsAFixedHelpDialogWithOnlyACloseBox) {
  EXPECT_EQ(m_window.windowTitle(), "Help...");
  EXPECT_EQ(m_window.size(), QSize(296, 318));
  EXPECT_EQ(m_window.minimumSize(), m_window.maximumSize());

  const Qt::WindowFlags flags = m_window.windowFlags();
  EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Dialog);
  EXPECT_TRUE(flags & Qt::CustomizeWindowHint);
  EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
  EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
  EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
}

TEST_F(FrmAboutTest, PictureAndButtonKeepTheirRectangles) {
  auto* img1 = control<QLabel>("img1");
  auto* cmdOK = control<QPushButton>("cmdOK");
  ASSERT_TRUE(img1 && cmdOK);

  EXPECT_EQ(img1->geometry(), QRect(8, 8, 32, 32));
  EXPECT_EQ(img1->pixmap().size(), QSize(32, 32));
  EXPECT_FALSE(img1->hasScaledContents());
  EXPECT_EQ(cmdOK->text(), "OK");
  EXPECT_EQ(cmdOK->geometry(), QRect(100, 288, 97, 25));
}

TEST_F(FrmAboutTest, TextsUseTheSmallSansSerifAndOnlyTheTitleIsBold) {
  for (QLabel* label : m_window.findChildren<QLabel*>()) {
    SCOPED_TRACE(label->objectName().toStdString());
    const bool title = label->objectName() == "lblInf_0";
    const QFont font = label->font();
    EXPECT_EQ(font.families().value(0), "MS Sans Serif");
    EXPECT_DOUBLE_EQ(font.pointSizeF(), 8.25);
    EXPECT_EQ(font.weight(), title ? QFont::Bold : QFont::Normal);
    EXPECT_FALSE(font.italic() || font.underline() || font.strikeOut());

    // Whatever face stands in for a missing MS Sans Serif keeps size and weight.
    const QFontInfo shown(font);
    EXPECT_NEAR(shown.pointSizeF(), 8.25, 0.5);
    EXPECT_EQ(shown.bold(), title);
  }
}

TEST_F(FrmAboutTest, YearIsCentred) {
  auto* label4 = control<QLabel>("Label4");
  ASSERT_NE(label4, nullptr);
  EXPECT_EQ(label4->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
}

TEST_F(FrmAboutTest, OnlyTheTwoAddressesAreDarkBlue) {
  const QColor darkBlue(0, 0, 192);
  for (QLabel* label : m_window.findChildren<QLabel*>()) {
    SCOPED_TRACE(label->objectName().toStdString());
    const bool link = label->objectName() == "lblInf2_2" || label->objectName() == "lblInf_4";
    EXPECT_EQ(label->palette().color(QPalette::WindowText) == darkBlue, link);
    EXPECT_FALSE(label->font().underline());
  }
}

// Every wrapped text must still be readable in full within its rectangle in
// the font actually used, or the stand-in face is too wide.
TEST_F(FrmAboutTest, WrappedTextsFitTheirRectangles) {
  for (const char* name : {"lblInf_5", "Label2", "Label3"}) {
    auto* label = control<QLabel>(name);
    ASSERT_NE(label, nullptr);
    const QRect needed = QFontMetrics(label->font())
                             .boundingRect(QRect(0, 0, label->width(), 10000),
                                           Qt::TextWordWrap | Qt::AlignLeft, label->text());
    EXPECT_LE(needed.height(), label->height()) << name;
  }
  // Label3 lies over the foot of Label2; Label2's text must end above it.
  auto* label2 = control<QLabel>("Label2");
  auto* label3 = control<QLabel>("Label3");
  ASSERT_TRUE(label2 && label3);
  const QRect label2Text = QFontMetrics(label2->font())
                               .boundingRect(QRect(0, 0, label2->width(), 10000),
                                             Qt::TextWordWrap | Qt::AlignLeft, label2->text());
  EXPECT_LE(label2->y() + label2Text.height(), label3->y());
}

// ---------------------------------------------------------------------------
// Clicks.

struct ClickCase {
  const char* name;
  QString target;
};

std::ostream& operator<<(std::ostream& out, const ClickCase& c) { return out << c.name; }

class LinkClickTest : public FrmAboutTest, public ::testing::WithParamInterface<ClickCase> {};

TEST_P(LinkClickTest, OpensItsTargetWithTheWindowAsOwner) {
  QWidget* label = control(GetParam().name);
  ASSERT_NE(label, nullptr);

  QTest::mouseClick(label, Qt::LeftButton, {}, label->rect().center());

  ASSERT_EQ(m_opener.requests.size(), 1u);
  const RecordingShellOpener::Request& request = m_opener.requests.front();
  EXPECT_EQ(request.owner, &m_window);
  EXPECT_EQ(request.operation, "Open");
  EXPECT_EQ(request.file, GetParam().target);
  EXPECT_EQ(request.parameters, std::nullopt);
  EXPECT_EQ(request.directory, std::nullopt);
  EXPECT_EQ(request.showCommand, 1);
  EXPECT_TRUE(m_window.isVisible());
}

INSTANTIATE_TEST_SUITE_P(
    Links, LinkClickTest,
    ::testing::Values(ClickCase{"lblInf_0", kHomePage}, ClickCase{"lblInf_1", kHomePage},
                      ClickCase{"lblInf_3", kHomePage}, ClickCase{"lblInf_4", kHomePage},
                      ClickCase{"lblInf_5", kHomePage}, ClickCase{"lblInf2_2", kMailLink}),
    [](const auto& info) { return std::string(info.param.name); });

class DeadClickTest : public FrmAboutTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(DeadClickTest, OpensNothingAndLeavesTheWindowOpen) {
  QWidget* widget = control(GetParam());
  ASSERT_NE(widget, nullptr);

  QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center());

  EXPECT_TRUE(m_opener.requests.empty());
  EXPECT_TRUE(m_window.isVisible());
}

INSTANTIATE_TEST_SUITE_P(Plain, DeadClickTest,
                         ::testing::Values("Label1", "Label2", "Label3", "Label4", "img1"),
                         [](const auto& info) { return std::string(info.param); });

// ---------------------------------------------------------------------------
// Keyboard and closing.

TEST_F(FrmAboutTest, OkHoldsTheFocusAndNothingElseCanTakeIt) {
  EXPECT_EQ(m_window.focusWidget(), control("cmdOK"));
  for (QWidget* child : m_window.findChildren<QWidget*>()) {
    if (child->objectName() == "cmdOK") continue;
    EXPECT_EQ(child->focusPolicy(), Qt::NoFocus) << child->objectName().toStdString();
  }
  auto* cmdOK = control<QPushButton>("cmdOK");
  ASSERT_NE(cmdOK, nullptr);
  EXPECT_FALSE(cmdOK->isDefault());
  EXPECT_FALSE(cmdOK->autoDefault());
}

TEST_F(FrmAboutTest, EscLeavesTheWindowOpen) {
  QSignalSpy finished(&m_window, &QDialog::finished);

  QTest::keyClick(m_window.focusWidget(), Qt::Key_Escape);

  EXPECT_TRUE(m_window.isVisible());
  EXPECT_EQ(finished.count(), 0);
}

class OkKeyTest : public FrmAboutTest, public ::testing::WithParamInterface<Qt::Key> {};

TEST_P(OkKeyTest, PressesOk) {
  QSignalSpy finished(&m_window, &QDialog::finished);

  QTest::keyClick(m_window.focusWidget(), GetParam());

  EXPECT_FALSE(m_window.isVisible());
  ASSERT_EQ(finished.count(), 1);
  EXPECT_EQ(finished.front().front().toInt(), QDialog::Accepted);
}

INSTANTIATE_TEST_SUITE_P(Keys, OkKeyTest,
                         ::testing::Values(Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space),
                         [](const auto& info) {
                           return QKeySequence(info.param).toString().toStdString();
                         });

TEST_F(FrmAboutTest, CloseBoxClosesLikeOk) {
  QSignalSpy finished(&m_window, &QDialog::finished);

  EXPECT_TRUE(m_window.close());

  EXPECT_FALSE(m_window.isVisible());
  ASSERT_EQ(finished.count(), 1);
  EXPECT_EQ(finished.front().front().toInt(), QDialog::Accepted);
}

// ---------------------------------------------------------------------------
// Showing again.

QImage shownImage(QWidget& window) { return window.grab().toImage(); }

TEST(FrmAboutAgainTest, SecondWindowShowsExactlyAsTheFirst) {
  RecordingShellOpener opener;
  QImage first;
  {
    frmAbout window(opener);
    window.show();
    first = shownImage(window);
    auto* address = window.findChild<QWidget*>("lblInf_4");
    ASSERT_NE(address, nullptr);
    QTest::mouseClick(address, Qt::LeftButton, {}, address->rect().center());
    QTest::keyClick(window.focusWidget(), Qt::Key_Space);
    ASSERT_FALSE(window.isVisible());
  }
  frmAbout again(opener);
  again.show();

  EXPECT_FALSE(first.isNull());
  EXPECT_EQ(shownImage(again), first);
}

}  // namespace
