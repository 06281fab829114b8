// The main window as the user meets it: its controls, keyboard and start-up look.
#include "shell/main_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QPalette>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <optional>
#include <vector>

#include "shell/controls.h"
#include "shell/html_viewer.h"
#include "shell/text_conversion.h"
#include "tests/support/shown_window.h"
#include "tests/support/text_printer.h"

namespace veltrano {
namespace {

using test::kGuiTimeout;
using MainWindowTest = test::ShownWindowTest;

// ---------------------------------------------------------------------------------------------
// The nine controls.

struct ControlRow {
  const char* name;
  const char* kind;
  QRect geometry;
  // A label's or button's caption; nullptr for the boxes and the browser.
  const char* caption;
};

const ControlRow kControls[] = {
    {"超文本浏览框1", "veltrano::HtmlViewer", {0, 8, 1000, 550}, nullptr},
    {"标签1", "veltrano::Label", {8, 569, 80, 24}, "输入页面地址："},
    {"编辑框1", "veltrano::EditBox", {96, 569, 896, 24}, nullptr},
    {"编辑框3", "veltrano::EditBox", {8, 601, 432, 24}, nullptr},
    {"按钮2", "veltrano::Button", {447, 601, 64, 24}, "搜索"},
    {"标签2",
     "veltrano::Label",
     {519, 601, 400, 24},
     "右键－>属性 复制需要下载的URL到“输入页面地址”栏后点击转换按钮。\r\n"},
    {"按钮1", "veltrano::Button", {927, 601, 64, 24}, "转换"},
    {"标签3", "veltrano::Label", {8, 633, 80, 24}, "真实下载地址："},
    {"编辑框2", "veltrano::EditBox", {96, 633, 896, 24}, nullptr},
};

TEST_F(MainWindowTest, ControlsHaveTheirKindsPlacesAndInitialContents) {
  for (const ControlRow& row : kControls) {
    SCOPED_TRACE(row.name);
    QWidget* control = Control(row.name);
    ASSERT_NE(control, nullptr);
    EXPECT_STREQ(control->metaObject()->className(), row.kind);
    EXPECT_EQ(control->geometry(), row.geometry);
    EXPECT_TRUE(control->isVisible());
    EXPECT_TRUE(control->isEnabled());

    if (auto* label = qobject_cast<Label*>(control)) {
      EXPECT_EQ(label->text(), QString::fromUtf8(row.caption));  // "\r\n" included
      EXPECT_EQ(label->focusPolicy(), Qt::NoFocus);
    } else if (auto* button = qobject_cast<Button*>(control)) {
      EXPECT_EQ(button->text(), QString::fromUtf8(row.caption));
      EXPECT_FALSE(button->isDefault());
      EXPECT_FALSE(button->autoDefault());
    } else if (auto* box = qobject_cast<EditBox*>(control)) {
      EXPECT_EQ(GetEditText(*box), Text());
      EXPECT_TRUE(box->text().isEmpty());
      EXPECT_FALSE(box->isReadOnly());
      EXPECT_EQ(box->echoMode(), QLineEdit::Normal);
    } else if (auto* viewer = qobject_cast<HtmlViewer*>(control)) {
      EXPECT_TRUE(QTest::qWaitFor(
          [&] { return viewer->url() == QUrl(QString::fromLatin1(MainWindow::kStartAddress)); },
          kGuiTimeout.count()))
          << "not going to the start page";
    }
  }
}

TEST_F(MainWindowTest, ControlsKeepTheirPlacesWhenTheWindowIsResized) {
  for (const QSize size : {QSize(1400, 900), QSize(500, 300)}) {
    SCOPED_TRACE(testing::Message() << size.width() << "x" << size.height());
    window_.resize(size);
    ASSERT_TRUE(QTest::qWaitFor([&] { return window_.size() == size; }, kGuiTimeout.count()));
    for (const ControlRow& row : kControls) {
      EXPECT_EQ(Control(row.name)->geometry(), row.geometry) << row.name;
    }
  }
}

// ---------------------------------------------------------------------------------------------
// The window itself.

TEST_F(MainWindowTest, HasItsCaptionSizePositionFrameAndLook) {
  const QString caption = window_.windowTitle();
  EXPECT_TRUE(caption.startsWith(QStringLiteral(u"Veltrano\u3000"))) << caption.toStdString();
  EXPECT_GT(caption.size(), QStringLiteral(u"Veltrano\u3000").size()) << "no credit line";

  // The outer size, frame included; centred on the screen with truncated halves.
  const QRect outer = window_.frameGeometry();
  EXPECT_EQ(outer.size(), QSize(1006, 695));
  const QRect screen = window_.screen()->geometry();
  EXPECT_EQ(outer.topLeft(),
            screen.topLeft() + QPoint((screen.width() - 1006) / 2, (screen.height() - 695) / 2));

  const Qt::WindowFlags flags = window_.windowFlags();
  EXPECT_TRUE(flags.testFlag(Qt::WindowMinimizeButtonHint));
  EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
  EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
  EXPECT_TRUE(flags.testFlag(Qt::WindowSystemMenuHint));
  EXPECT_EQ(window_.minimumSize(), QSize(0, 0));  // resizable by its frame
  EXPECT_GT(window_.maximumWidth(), 1006);

  const QList<QSize> icon_sizes = window_.windowIcon().availableSizes();
  for (const int side : {16, 32, 48}) {
    EXPECT_TRUE(icon_sizes.contains(QSize(side, side))) << side << " pixel icon missing";
  }

  EXPECT_TRUE(window_.autoFillBackground());
  EXPECT_EQ(window_.palette().color(QPalette::Window),
            QApplication::palette().color(QPalette::Button));
  EXPECT_EQ(window_.font(), QApplication::font());
}

// Ink: the pixels of a rendered widget that differ from its background colour.
struct InkBounds {
  int top = -1, bottom = -1, right = -1;
};

InkBounds FindInk(const QImage& image) {
  const QRgb background = image.pixel(0, 0);
  InkBounds ink;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (image.pixel(x, y) == background) continue;
      if (ink.top < 0) ink.top = y;
      ink.bottom = y;
      ink.right = std::max(ink.right, x);
    }
  }
  return ink;
}

QImage Render(const QString& caption, const QSize& size) {
  Label label(QStringLiteral("probe"), caption, nullptr);
  label.resize(size);
  return label.grab().toImage();
}

TEST_F(MainWindowTest, HintShowsOneLineVerticallyCentred) {
  auto* hint = qobject_cast<Label*>(Control("标签2"));
  ASSERT_NE(hint, nullptr);
  const QImage shown = hint->grab().toImage();
  QString one_line = hint->text();
  one_line.chop(2);  // without its "\r\n"
  EXPECT_EQ(shown, Render(one_line, hint->size())) << "the trailing line break changed the look";

  const InkBounds ink = FindInk(shown);
  ASSERT_GE(ink.top, 0) << "nothing drawn";
  EXPECT_LE(std::abs((ink.top + ink.bottom) - (shown.height() - 1)), 4)
      << "text rows " << ink.top << ".." << ink.bottom << " not centred in " << shown.height();
}

TEST(LabelTest, ShowsAmpersandLiterally) {
  const QSize size(200, 24);
  // As a mnemonic marker "&" would vanish and "R&D" would be no wider than "RD".
  EXPECT_GT(FindInk(Render(QStringLiteral("R&D"), size)).right,
            FindInk(Render(QStringLiteral("RD"), size)).right);
}

// ---------------------------------------------------------------------------------------------
// Keyboard.

TEST_F(MainWindowTest, TabAndShiftTabVisitTheControlsInOrder) {
  const struct {
    const char* name;
    Qt::Key key;
    Qt::KeyboardModifiers modifiers;  // as the keyboard reports them
    std::vector<const char*> order;   // from 按钮1, the focus visits these in turn
  } kRounds[] = {
      {"Tab",
       Qt::Key_Tab,
       Qt::NoModifier,
       {"编辑框1", "编辑框2", "超文本浏览框1", "编辑框3", "按钮2", "按钮1"}},
      {"Shift+Tab",
       Qt::Key_Backtab,
       Qt::ShiftModifier,
       {"按钮2", "编辑框3", "超文本浏览框1", "编辑框2", "编辑框1", "按钮1"}},
  };
  ASSERT_TRUE(WaitForStartPage());
  EXPECT_EQ(FocusedControlName(), QStringLiteral("按钮1")) << "not where the focus starts";
  for (const auto& round : kRounds) {
    SCOPED_TRACE(round.name);
    ASSERT_EQ(FocusedControlName(), QStringLiteral("按钮1"));
    for (const char* expected : round.order) {
      PressKey(round.key, round.modifiers);
      ASSERT_TRUE(QTest::qWaitFor(
          [&] { return FocusedControlName() == QString::fromUtf8(expected); }, kGuiTimeout.count()))
          << "expected " << expected << ", focus is on " << FocusedControlName().toStdString();
    }
  }
}

TEST_F(MainWindowTest, EnterDoesNothing) {
  SetEditText(window_.PageAddressBox(), "http://example.invalid/a");
  SetEditText(window_.KeywordBox(), "key");
  QSignalSpy convert(&window_.ConvertButton(), &QPushButton::clicked);
  QSignalSpy search(&window_.SearchButton(), &QPushButton::clicked);
  for (const char* name : {"按钮1", "编辑框1", "编辑框2", "编辑框3", "按钮2"}) {
    SCOPED_TRACE(name);
    ASSERT_TRUE(FocusControl(name));

    PressKey(Qt::Key_Return);
    PressKey(Qt::Key_Enter, Qt::KeypadModifier);
    QApplication::processEvents();

    EXPECT_TRUE(convert.isEmpty());
    EXPECT_TRUE(search.isEmpty());
    EXPECT_TRUE(window_.isVisible());
    EXPECT_EQ(FocusedControlName(), QString::fromUtf8(name));
    EXPECT_EQ(GetEditText(window_.PageAddressBox()), Text("http://example.invalid/a"));
    EXPECT_EQ(GetEditText(window_.KeywordBox()), Text("key"));
    EXPECT_EQ(GetEditText(window_.ResultBox()), Text());
  }
}

// Not from inside the browser: QWebEngine keeps the Esc key press to itself (only its release
// comes back), which the window accepts as the view using the key.
TEST_F(MainWindowTest, EscapeClosesTheWindowFromEveryOtherControl) {
  for (const char* name : {"按钮1", "编辑框1", "编辑框2", "编辑框3", "按钮2"}) {
    SCOPED_TRACE(name);
    window_.ShowCentred();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window_));
    ASSERT_TRUE(FocusControl(name));

    PressKey(Qt::Key_Escape);

    EXPECT_TRUE(QTest::qWaitFor([&] { return !window_.isVisible(); }, kGuiTimeout.count()));
  }
}

TEST_F(MainWindowTest, EscapeEndsTheEventLoopWithExitCodeZero) {
  QTimer::singleShot(0, &window_, [this] { PressKey(Qt::Key_Escape); });
  // Fails the test instead of hanging it if the window stays open.
  QTimer::singleShot(kGuiTimeout, &window_, [] { QApplication::exit(1); });
  EXPECT_EQ(QApplication::exec(), 0);
  EXPECT_FALSE(window_.isVisible());
}

// ---------------------------------------------------------------------------------------------
// A box's Text round trip.

TEST_F(MainWindowTest, BoxGivesBackTheGivenTextByteForByte) {
  const struct {
    const char* name;
    Text given;
    const char* shown;  // UTF-8
  } kRows[] = {
      {"GBK", "ftp://\xB5\xE7\xD3\xB0/a b.rmvb", "ftp://电影/a b.rmvb"},
      {"ideographic spaces", "\xA1\xA1key\xA1\xA1", "\u3000key\u3000"},
      {"line breaks and tab", "a\tb\r\nc", "a\tb\r\nc"},
      {"lone lead byte at the end", "abc\xB5", "abc\uFFFD"},
      {"cut-off pair before a space", "\xB5 a", "\uFFFD a"},
      {"byte 0x80", "\x80", "\uFFFD"},
      {"two invalid pairs that make one four-byte character", "\x81\x30\x81\x30", "\u0080"},
      {"empty", "", ""},
  };
  for (const auto& row : kRows) {
    for (EditBox* box : {&window_.PageAddressBox(), &window_.ResultBox(), &window_.KeywordBox()}) {
      SCOPED_TRACE(testing::Message() << row.name << " in " << box->objectName().toStdString());
      SetEditText(*box, row.given);
      EXPECT_EQ(GetEditText(*box), row.given);
      EXPECT_EQ(box->text(), QString::fromUtf8(row.shown));
    }
  }
}

TEST_F(MainWindowTest, BoxChangedByTheUserGivesTheEncodingOfWhatItShows) {
  const struct {
    const char* name;
    Text given;         // what the box holds before the user types
    const char* typed;  // UTF-8, one key press per character
    Text expected;
  } kRows[] = {
      {"ASCII into an empty box", "", "ftp://a b", "ftp://a b"},
      {"GBK characters", "", "电影", "\xB5\xE7\xD3\xB0"},
      {"Hangul, outside GBK", "", "한", "\x83\x36\x84\x33"},
      {"euro sign, outside GBK", "", "€", "\xA2\xE3"},
      {"beyond the basic plane", "", "😀", "\x94\x39\xFC\x36"},
      {"after a given GBK text", "\xB5\xE7", "影", "\xB5\xE7\xD3\xB0"},
      // The undecodable byte showed as U+FFFD; once edited, that is what the box holds.
      {"after a given invalid byte", "abc\xB5", "d",
       "abc\x84\x31\xA4\x37"
       "d"},
  };
  EditBox& box = window_.PageAddressBox();
  ASSERT_TRUE(FocusControl("编辑框1"));
  for (const auto& row : kRows) {
    SCOPED_TRACE(row.name);
    SetEditText(box, row.given);
    box.end(false);
    TypeText(&box, QString::fromUtf8(row.typed));
    EXPECT_EQ(GetEditText(box), row.expected);
  }
}

// ---------------------------------------------------------------------------------------------
// The start-up screenshot the README shows.

TEST_F(MainWindowTest, SavesTheStartScreenshot) {
  ASSERT_TRUE(WaitForStartPage());
  // What is on the screen, browser content included, once the page has been painted: the start
  // page's background colour at the browser's centre.
  const QRect frame = window_.frameGeometry();
  const QPoint page_centre =
      window_.Browser().mapToGlobal(window_.Browser().rect().center()) - frame.topLeft();
  QImage shot;
  EXPECT_TRUE(QTest::qWaitFor(
      [&] {
        shot = window_.screen()
                   ->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height())
                   .toImage();
        return shot.pixelColor(page_centre) == QColor(0xF7, 0xF7, 0xF4);
      },
      kGuiTimeout.count()))
      << "the start page was never painted";
  EXPECT_TRUE(shot.save(QStringLiteral(VELTRANO_SCREENSHOT_PATH)));
}

}  // namespace
}  // namespace veltrano
