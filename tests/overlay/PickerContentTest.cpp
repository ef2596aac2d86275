#include "overlay/PickerContent.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <vector>

#include "fakes/FakeServices.h"
#include "overlay/PickerLayout.h"

namespace vv {
namespace {

using vv::testing::makeScreen;
using vv::testing::match;
using vv::testing::RecordingPlacement;

template <typename Widget>
std::vector<Widget*> named(const QWidget& window, const char* name) {
  std::vector<Widget*> found;
  for (Widget* widget : window.findChildren<Widget*>(QString::fromLatin1(name))) {
    found.push_back(widget);
  }
  std::sort(found.begin(), found.end(), [](Widget* a, Widget* b) {
    return a->property("tag").toInt() < b->property("tag").toInt();
  });
  return found;
}

class PickerContent : public ::testing::Test {
 protected:
  std::unique_ptr<ScanWindow> build(const PhoneMatches& matches, QSize screen = {960, 600},
                                    QImage snapshot = QImage(960, 600, QImage::Format_RGB32)) {
    snapshot.fill(Qt::white);
    PickerActions actions{[this](int tag) { selected.push_back(tag); }, [this] { ++cancels; }};
    return buildPicker(snapshot, screen, matches, actions);
  }

  std::vector<int> selected;
  int cancels = 0;
};

TEST_F(PickerContent, NothingIsBuiltForAnEmptySnapshotOrScreen) {
  EXPECT_EQ(build({}, {960, 600}, QImage()), nullptr);
  EXPECT_EQ(build({}, {0, 600}), nullptr);
}

TEST_F(PickerContent, WindowIsABorderlessFocusableOverlayThatSurvivesClosing) {
  const std::unique_ptr<ScanWindow> window = build({});
  const Qt::WindowFlags flags = window->windowFlags();
  EXPECT_TRUE(flags.testFlag(Qt::FramelessWindowHint));
  EXPECT_TRUE(flags.testFlag(Qt::WindowStaysOnTopHint));
  EXPECT_FALSE(flags.testFlag(Qt::WindowDoesNotAcceptFocus));
  EXPECT_NE(window->windowType(), Qt::Popup);
  EXPECT_EQ(window->windowTitle(), "Call from screen");
  EXPECT_EQ(window->palette().color(QPalette::Window), QColor::fromRgbF(0.08f, 0.08f, 0.08f));
  EXPECT_EQ(window->size(), QSize(960, 600));

  QPointer<ScanWindow> watched(window.get());
  window->show();
  window->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(watched);
  EXPECT_FALSE(window->isVisible());
}

TEST_F(PickerContent, TextsToolTipsAndAccessibleNames) {
  const std::unique_ptr<ScanWindow> window =
      build({match("+1 (415) 555-0142", "Sales - San Francisco", "Sales"),
             match("020 7946 0018", "", "Office")});

  EXPECT_EQ(window->findChild<QLabel*>("heading")->text(), "Call from screen");
  EXPECT_EQ(window->findChild<QLabel*>("instruction")->text(),
            "Select a highlighted number, then check it in Mirvo before calling. Esc cancels. "
            "This snapshot stays on your computer.");
  EXPECT_EQ(window->findChild<QPushButton*>("cancel")->text(), "Cancel");
  EXPECT_EQ(window->findChild<QLabel*>("listHeader")->text(),
            QString::fromUtf8("2 numbers \u00B7 current screen\n"
                              "Nearby text is context, not a verified identity."));

  const auto highlights = named<QPushButton>(*window, "highlight");
  ASSERT_EQ(highlights.size(), 2u);
  EXPECT_EQ(highlights[0]->text(), "");
  EXPECT_EQ(highlights[0]->toolTip(), "Open +1 (415) 555-0142 in Mirvo");
  EXPECT_EQ(highlights[0]->accessibleName(), "Open +1 (415) 555-0142 in Mirvo dialer");

  const auto labels = named<QLabel>(*window, "rowLabel");
  const auto buttons = named<QPushButton>(*window, "rowButton");
  ASSERT_EQ(labels.size(), 2u);
  ASSERT_EQ(buttons.size(), 2u);
  EXPECT_EQ(labels[0]->text(), QString::fromUtf8("Sales \u00B7 Sales - San Francisco"));
  EXPECT_EQ(labels[1]->text(), QString::fromUtf8("Office \u00B7 No nearby label"));
  EXPECT_EQ(buttons[0]->text(), "+1 (415) 555-0142");
  EXPECT_EQ(buttons[0]->accessibleName(), "Open +1 (415) 555-0142 in Mirvo, Sales - San Francisco");
  EXPECT_EQ(buttons[1]->accessibleName(), "Open 020 7946 0018 in Mirvo, ");
  EXPECT_EQ(buttons[0]->toolTip(), "");

  // The digit that picks a number is announced after its name, which stays as it is.
  EXPECT_EQ(highlights[1]->accessibleDescription(), "Press 2 to pick this number");
  EXPECT_EQ(buttons[1]->accessibleDescription(), "Press 2 to pick this number");
}

TEST_F(PickerContent, ListHeaderHasNoSingularAndSaysSoWhenNothingWasFound) {
  EXPECT_EQ(build({match("415 555 0142")})->findChild<QLabel*>("listHeader")->text(),
            QString::fromUtf8("1 numbers \u00B7 current screen\n"
                              "Nearby text is context, not a verified identity."));
  const std::unique_ptr<ScanWindow> empty = build({});
  EXPECT_EQ(empty->findChild<QLabel*>("listHeader")->text(),
            "No numbers found. Try enlarging the text.");
  EXPECT_TRUE(named<QPushButton>(*empty, "highlight").empty());
  EXPECT_TRUE(named<QPushButton>(*empty, "rowButton").empty());
}

TEST_F(PickerContent, RecognisedTextIsNeverReadAsMarkup) {
  const std::unique_ptr<ScanWindow> window = build({match("415 555 0142", "<b>Bold</b> & co")});
  const QLabel* label = window->findChild<QLabel*>("rowLabel");
  EXPECT_EQ(label->textFormat(), Qt::PlainText);
  EXPECT_EQ(label->text(), QString::fromUtf8("Phone \u00B7 <b>Bold</b> & co"));
}

TEST_F(PickerContent, WidgetsStandWhereTheLayoutPutsThemInTopLeftCoordinates) {
  const NormalizedRect box{0.25, 0.5, 0.5, 0.1};
  const std::unique_ptr<ScanWindow> window =
      build({match("1", "", "Phone", box), match("2"), match("3")});
  // (168.2, 295, 300.4, 42.8) bottom-left in a 600-point-high window.
  EXPECT_EQ(named<QPushButton>(*window, "highlight")[0]->geometry(), QRect(168, 262, 301, 43));
  EXPECT_EQ(window->findChild<QWidget*>("snapshot")->geometry(), QRect(24, 118, 589, 368));
  EXPECT_EQ(window->findChild<QPushButton*>("cancel")->geometry(), QRect(846, 14, 90, 30));
  EXPECT_EQ(window->findChild<QScrollArea*>("numberList")->geometry(), QRect(633, 62, 307, 480));
  // The list document is 480 high: row 0's label (8, 357, 275.2, 44) sits 79 below its top.
  EXPECT_EQ(named<QLabel>(*window, "rowLabel")[0]->geometry(), QRect(8, 79, 275, 44));
  EXPECT_EQ(named<QPushButton>(*window, "rowButton")[2]->geometry(), QRect(8, 336, 275, 34));
  EXPECT_EQ(window->findChild<QLabel*>("listHeader")->geometry(), QRect(8, 8, 275, 50));
}

TEST_F(PickerContent, NumberListIsAboveTheHighlightsWhichAreAboveTheSnapshot) {
  const std::unique_ptr<ScanWindow> window = build({match("1"), match("2")});
  const QObjectList& children = window->children();
  const auto position = [&](const QObject* child) { return children.indexOf(child); };
  const auto highlights = named<QPushButton>(*window, "highlight");
  EXPECT_LT(position(window->findChild<QWidget*>("snapshot")), position(highlights[0]));
  EXPECT_LT(position(highlights[0]), position(highlights[1]));
  EXPECT_LT(position(highlights[1]), position(window->findChild<QScrollArea*>("numberList")));
}

TEST_F(PickerContent, LongListIsScrolledToItsTopAndDrawsNoBackground) {
  PhoneMatches five(5, match("415 555 0142"));
  const std::unique_ptr<ScanWindow> window = build(five);
  auto* list = window->findChild<QScrollArea*>("numberList");
  window->show();
  EXPECT_EQ(list->widget()->size(), QSize(291, 584));
  EXPECT_EQ(list->verticalScrollBar()->value(), 0);
  EXPECT_TRUE(list->verticalScrollBar()->isVisible());
  EXPECT_EQ(list->verticalScrollBar()->maximum(), 104);
  EXPECT_FALSE(list->widget()->autoFillBackground());
  EXPECT_FALSE(list->viewport()->autoFillBackground());

  const std::unique_ptr<ScanWindow> shortList = build({match("1"), match("2"), match("3")});
  shortList->show();
  EXPECT_FALSE(shortList->findChild<QScrollArea*>("numberList")->verticalScrollBar()->isVisible());
}

TEST_F(PickerContent, HighlightAndRowButtonOfAMatchBothSelectItsPosition) {
  const std::unique_ptr<ScanWindow> window = build({match("1"), match("2"), match("3")});
  const auto highlights = named<QPushButton>(*window, "highlight");
  const auto rows = named<QPushButton>(*window, "rowButton");
  QTest::mouseClick(highlights[2], Qt::LeftButton);
  QTest::mouseClick(rows[2], Qt::LeftButton);
  QTest::mouseClick(rows[0], Qt::LeftButton);
  EXPECT_EQ(selected, (std::vector<int>{2, 2, 0}));
  EXPECT_EQ(cancels, 0);

  QTest::mouseClick(window->findChild<QPushButton*>("cancel"), Qt::LeftButton);
  EXPECT_EQ(cancels, 1);
}

TEST_F(PickerContent, EscapePressesCancel) {
  const std::unique_ptr<ScanWindow> window = build({});
  RecordingPlacement placement;
  window->present(placement, makeScreen("test", QRectF(0, 0, 960, 600)));
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  EXPECT_EQ(window->focusWidget(), window->findChild<QPushButton*>("cancel"));
  QTest::keyClick(window->focusWidget(), Qt::Key_Escape);
  QTRY_COMPARE_WITH_TIMEOUT(cancels, 1, 2000);
}

TEST_F(PickerContent, HighlightsLookLikeGreenFrames) {
  const std::unique_ptr<ScanWindow> window = build({match("1")});
  const QPushButton* highlight = named<QPushButton>(*window, "highlight")[0];
  EXPECT_TRUE(highlight->isFlat());
  EXPECT_TRUE(highlight->styleSheet().contains("border: 2px solid #34C759"));
  EXPECT_TRUE(highlight->styleSheet().contains("border-radius: 4px"));
  EXPECT_TRUE(highlight->styleSheet().contains("rgba(52, 199, 89, 31)"));
}

TEST_F(PickerContent, FontsAndColours) {
  const std::unique_ptr<ScanWindow> window = build({match("1")});
  const QLabel* heading = window->findChild<QLabel*>("heading");
  EXPECT_EQ(heading->font().pixelSize(), 22);
  EXPECT_EQ(heading->font().weight(), QFont::DemiBold);
  EXPECT_EQ(heading->palette().color(QPalette::WindowText), QColor(Qt::white));
  const QLabel* instruction = window->findChild<QLabel*>("instruction");
  EXPECT_EQ(instruction->font().pixelSize(), 14);
  EXPECT_TRUE(instruction->wordWrap());
  const QColor lightGray = QColor::fromRgbF(2.0f / 3, 2.0f / 3, 2.0f / 3);
  EXPECT_EQ(instruction->palette().color(QPalette::WindowText), lightGray);
  EXPECT_EQ(window->findChild<QLabel*>("listHeader")->palette().color(QPalette::WindowText),
            lightGray);
  const QLabel* row = window->findChild<QLabel*>("rowLabel");
  EXPECT_EQ(row->font().pixelSize(), 13);
  EXPECT_EQ(row->palette().color(QPalette::WindowText), QColor(Qt::white));
}

TEST_F(PickerContent, RowLabelKeepsAtMostTwoLines) {
  const std::string longContext(400, 'x');
  const std::unique_ptr<ScanWindow> window =
      build({match("1", "Call our friendly team any day of the week " + longContext)});
  const QString text = window->findChild<QLabel*>("rowLabel")->text();
  EXPECT_EQ(text.count('\n'), 1);
  EXPECT_TRUE(text.endsWith(QChar(0x2026)));
}

// The picker for `count` numbers, shown and active with Cancel focused, as the program shows it.
class PickerKeys : public PickerContent {
 protected:
  void present(std::size_t count) {
    PhoneMatches matches;
    for (std::size_t i = 0; i < count; ++i) {
      matches.push_back(match(std::to_string(i + 1)));
    }
    window = build(matches);
    RecordingPlacement placement;
    window->present(placement, makeScreen("test", QRectF(0, 0, 960, 600)));
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    rows = named<QPushButton>(*window, "rowButton");
    ASSERT_EQ(window->focusWidget(), window->findChild<QPushButton*>("cancel"));
  }

  void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(QApplication::focusWidget(), static_cast<Qt::Key>(key), modifiers);
  }

  int focusedRow() const {
    for (std::size_t i = 0; i < rows.size(); ++i) {
      if (rows[i]->hasFocus()) {
        return static_cast<int>(i);
      }
    }
    return -1;
  }

  // The two rings that show the focus: round a frame over the snapshot and round a row.
  std::vector<QWidget*> visibleRings() const {
    std::vector<QWidget*> shown;
    for (QWidget* ring : window->findChildren<QWidget*>("focusRing")) {
      if (ring->isVisible()) {
        shown.push_back(ring);
      }
    }
    return shown;
  }

  std::unique_ptr<ScanWindow> window;
  std::vector<QPushButton*> rows;
};

TEST_F(PickerKeys, EachDigitPicksItsNumberAndADigitBeyondTheCountPicksNothing) {
  present(3);
  press(Qt::Key_4);
  press(Qt::Key_9);
  press(Qt::Key_0);
  press(Qt::Key_2, Qt::ControlModifier);
  EXPECT_TRUE(selected.empty());
  for (int digit = 1; digit <= 3; ++digit) {
    press(Qt::Key_0 + digit);
  }
  press(Qt::Key_2, Qt::KeypadModifier);
  EXPECT_EQ(selected, (std::vector<int>{0, 1, 2, 1}));
  EXPECT_EQ(cancels, 0);
}

TEST_F(PickerKeys, EnterAtStartCancelsRatherThanPicks) {
  for (int key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space}) {
    cancels = 0;
    present(3);
    press(key);
    EXPECT_EQ(cancels, 1) << key;
    EXPECT_TRUE(selected.empty()) << key;
  }
}

TEST_F(PickerKeys, TabAndArrowsGoRoundCancelAndTheNumbersAndEnterPicksTheFocusedOne) {
  present(3);
  press(Qt::Key_Tab);
  EXPECT_EQ(focusedRow(), 0);
  press(Qt::Key_Down);
  press(Qt::Key_Right);
  EXPECT_EQ(focusedRow(), 2);
  press(Qt::Key_Tab);
  EXPECT_EQ(QApplication::focusWidget(), window->findChild<QPushButton*>("cancel"));
  press(Qt::Key_Up);
  EXPECT_EQ(focusedRow(), 2);
  press(Qt::Key_Tab, Qt::ShiftModifier);
  press(Qt::Key_Left);
  EXPECT_EQ(focusedRow(), 0);
  press(Qt::Key_Backtab);
  EXPECT_EQ(focusedRow(), -1);
  press(Qt::Key_Tab);
  press(Qt::Key_Tab);
  EXPECT_TRUE(selected.empty());
  press(Qt::Key_Return);
  press(Qt::Key_Space);
  press(Qt::Key_Enter);
  EXPECT_EQ(selected, (std::vector<int>{1, 1, 1}));
  EXPECT_EQ(cancels, 0);
}

TEST_F(PickerKeys, FrameAndRowOfTheFocusedNumberShowTheFocusTogether) {
  present(3);
  const QRect cancel = window->findChild<QPushButton*>("cancel")->geometry();
  ASSERT_EQ(visibleRings().size(), 1u);
  EXPECT_TRUE(visibleRings()[0]->geometry().contains(cancel, true));
  press(Qt::Key_Tab);
  press(Qt::Key_Tab);
  const std::vector<QWidget*> rings = visibleRings();
  ASSERT_EQ(rings.size(), 2u);
  const QPushButton* frame = named<QPushButton>(*window, "highlight")[1];
  const QLabel* label = named<QLabel>(*window, "rowLabel")[1];
  for (const QWidget* ring : rings) {
    if (ring->parentWidget() == window.get()) {
      EXPECT_TRUE(ring->geometry().contains(frame->geometry(), true));
    } else {
      EXPECT_EQ(ring->parentWidget(), rows[1]->parentWidget());
      EXPECT_TRUE(ring->geometry().contains(label->geometry(), true));
      EXPECT_TRUE(ring->geometry().contains(rows[1]->geometry(), true));
    }
  }
  // Clicks on the ring's edge still reach what is under it.
  EXPECT_TRUE(rings[0]->testAttribute(Qt::WA_TransparentForMouseEvents));
  press(Qt::Key_Backtab);
  press(Qt::Key_Backtab);
  ASSERT_EQ(visibleRings().size(), 1u);
  EXPECT_TRUE(visibleRings()[0]->geometry().contains(cancel, true));
}

TEST_F(PickerKeys, TheListScrollsToKeepTheFocusedRowInView) {
  present(12);
  auto* list = window->findChild<QScrollArea*>("numberList");
  const auto rowInView = [&](int i) {
    const QRect row =
        named<QLabel>(*window, "rowLabel")[static_cast<std::size_t>(i)]->geometry().united(
            rows[static_cast<std::size_t>(i)]->geometry());
    const QRect shown(QPoint(0, list->verticalScrollBar()->value()), list->viewport()->size());
    return shown.contains(row);
  };
  EXPECT_FALSE(rowInView(11));
  press(Qt::Key_Up);
  EXPECT_EQ(focusedRow(), 11);
  EXPECT_TRUE(rowInView(11));
  press(Qt::Key_Down);
  press(Qt::Key_Down);
  EXPECT_EQ(focusedRow(), 0);
  EXPECT_TRUE(rowInView(0));
  press(Qt::Key_Down);
  press(Qt::Key_Down);
  press(Qt::Key_Down);
  press(Qt::Key_Down);
  EXPECT_TRUE(rowInView(4));
}

TEST_F(PickerKeys, BadgesMarkTheFirstNineNumbersBesideTheirFramesAndRows) {
  present(10);
  const auto badges = named<QLabel>(*window, "keyBadge");
  const auto frames = named<QPushButton>(*window, "highlight");
  ASSERT_EQ(badges.size(), 9u);
  for (std::size_t i = 0; i < badges.size(); ++i) {
    EXPECT_EQ(badges[i]->property("tag").toInt(), static_cast<int>(i));
    EXPECT_FALSE(badges[i]->geometry().intersects(frames[i]->geometry())) << i;
    EXPECT_TRUE(badges[i]->testAttribute(Qt::WA_TransparentForMouseEvents));
    EXPECT_FALSE(rows[i]->icon().isNull()) << i;
  }
  EXPECT_TRUE(rows[9]->icon().isNull());
  EXPECT_EQ(rows[9]->accessibleDescription(), "");
  EXPECT_EQ(frames[9]->accessibleDescription(), "");
  // The frames stay where they were, and only Cancel and the rows take the focus.
  EXPECT_EQ(frames[9]->focusPolicy(), Qt::NoFocus);
  EXPECT_EQ(window->findChild<QScrollArea*>("numberList")->focusPolicy(), Qt::NoFocus);
}

TEST(LimitToLines, ShortTextStaysWholeAndLongTextIsCutWithAnEllipsis) {
  QFont font = QApplication::font();
  font.setPixelSize(13);
  EXPECT_EQ(limitToLines("Phone", font, 200, 2), "Phone");
  EXPECT_EQ(limitToLines("", font, 200, 2), "");

  const QString words = QString("word ").repeated(40).trimmed();
  const QString two = limitToLines(words, font, 200, 2);
  const QStringList lines = two.split('\n');
  ASSERT_EQ(lines.size(), 2);
  EXPECT_TRUE(lines[0].startsWith("word word"));
  EXPECT_FALSE(lines[0].endsWith(' '));
  EXPECT_TRUE(lines[1].endsWith(QChar(0x2026)));
  const QFontMetrics metrics(font);
  EXPECT_LE(metrics.horizontalAdvance(lines[0]), 200);
  EXPECT_LE(metrics.horizontalAdvance(lines[1]), 200);

  EXPECT_EQ(limitToLines("first\nsecond", font, 400, 2), "first second");
}

}  // namespace
}  // namespace vv
