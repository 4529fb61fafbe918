// The window's own Qt prompt and popup menu, opened from the footer buttons and answered with
// simulated keys.
#include <QCursor>
#include <QInputDialog>
#include <QLineEdit>
#include <QMenu>
#include <QTimer>
#include <functional>

#include "tests/navigation_ui/RealReader.h"

namespace pagora::testing {
namespace {

// Presses `keys` one at a time into the popup menu that is active at that moment, while the
// menu runs its own event loop; records the title of the popup each key went to.
class PopupKeys {
  public:
    explicit PopupKeys(std::vector<Qt::Key> keys) : keys_(std::move(keys)) {}

    void Start() {
        QTimer::singleShot(50, [this] { Next(); });
        // Never leave a test hanging in a menu that did not react to the keys.
        QTimer::singleShot(10000, [this] {
            timedOut = true;
            while (QWidget* popup = QApplication::activePopupWidget()) {
                popup->close();
            }
        });
    }

    std::vector<QString> titles;
    bool timedOut = false;

  private:
    void Next() {
        if (index_ >= keys_.size()) {
            return;
        }
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (menu == nullptr) {
            QTimer::singleShot(20, [this] { Next(); });
            return;
        }
        titles.push_back(menu->title());
        QTest::keyClick(menu, keys_[index_++]);
        QTimer::singleShot(50, [this] { Next(); });
    }

    std::vector<Qt::Key> keys_;
    std::size_t index_ = 0;
};

// Runs `answer` on the input dialog once it is open and modal.
class DialogAnswer {
  public:
    explicit DialogAnswer(std::function<void(QInputDialog&)> answer) : answer_(std::move(answer)) {}

    void Start() {
        QTimer::singleShot(20, [this] { Poll(); });
        QTimer::singleShot(10000, [this] {
            if (!answered) {
                timedOut = true;
                if (QWidget* modal = QApplication::activeModalWidget()) {
                    modal->close();
                }
            }
        });
    }

    bool answered = false;
    bool timedOut = false;

  private:
    void Poll() {
        auto* dialog = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr || !dialog->isVisible()) {
            if (!timedOut) {
                QTimer::singleShot(20, [this] { Poll(); });
            }
            return;
        }
        answered = true;
        answer_(*dialog);
    }

    std::function<void(QInputDialog&)> answer_;
};

using OwnWidgets = RealReaderTest;

TEST_F(OwnWidgets, TheSuraButtonOpensAMenuAtTheCursorThatKeysCanChooseFrom) {
    frmMain& w = Open(1, 300, 35, /*ownServices=*/true);
    const QPoint cursor = w.cmdSuraSelect().mapToGlobal(QPoint(5, 5));
    QCursor::setPos(cursor);

    // Second range, then its second entry: sura 27.
    PopupKeys keys({Qt::Key_Down, Qt::Key_Down, Qt::Key_Right, Qt::Key_Down, Qt::Key_Return});
    keys.Start();
    Click(w.cmdSuraSelect());
    EXPECT_FALSE(keys.timedOut);
    ASSERT_EQ(keys.titles.size(), 5u);
    EXPECT_EQ(keys.titles[3], "Sura 26 - 50") << "the last keys went to the submenu";
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    const QString start = w.Index().suraStart[26];
    EXPECT_EQ(Showing(w), start + " | " + start + " | " + start.rightJustified(3, '0'));

    // Escape closes the submenu, a second one the menu: nothing chosen.
    MarkShowing(w);
    PopupKeys escape({Qt::Key_Down, Qt::Key_Right, Qt::Key_Escape, Qt::Key_Escape});
    escape.Start();
    Click(w.cmdSelectJuz());
    EXPECT_FALSE(escape.timedOut);
    EXPECT_EQ(escape.titles.size(), 4u);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    EXPECT_FALSE(ShownAgain(w));
    EXPECT_EQ(Showing(w), start + " | " + start + " | " + start.rightJustified(3, '0'));
}

TEST_F(OwnWidgets, ThePageNumberButtonAsksInAModalPrompt) {
    frmMain& w = Open(2, 101, 35, /*ownServices=*/true);
    QString title, label, shownText;
    DialogAnswer typed([&](QInputDialog& dialog) {
        title = dialog.windowTitle();
        label = dialog.labelText();
        shownText = dialog.textValue();
        auto* edit = dialog.findChild<QLineEdit*>();
        ASSERT_NE(edit, nullptr);
        edit->selectAll();
        QTest::keyClicks(edit, "45");
        QTest::keyClick(edit, Qt::Key_Return);
    });
    typed.Start();
    Click(w.cmdPageNo());
    EXPECT_TRUE(typed.answered);
    EXPECT_FALSE(typed.timedOut);
    EXPECT_EQ(title, "Enter Page Number");
    EXPECT_EQ(label, "Enter page number (1 to 604)");
    EXPECT_EQ(shownText, "101");
    EXPECT_EQ(Showing(w), "45 | 46 45 | 045 046");

    // Cancel leaves everything as it was, even with a valid number typed.
    MarkShowing(w);
    DialogAnswer cancelled([](QInputDialog& dialog) {
        auto* edit = dialog.findChild<QLineEdit*>();
        ASSERT_NE(edit, nullptr);
        edit->selectAll();
        QTest::keyClicks(edit, "200");
        QTest::keyClick(edit, Qt::Key_Escape);
    });
    cancelled.Start();
    Click(w.cmdPageNo());
    EXPECT_TRUE(cancelled.answered);
    EXPECT_FALSE(ShownAgain(w));
    EXPECT_EQ(Showing(w), "45 | 46 45 | 045 046");

    // The text-size prompt: same dialog, its own texts.
    DialogAnswer size([&](QInputDialog& dialog) {
        title = dialog.windowTitle();
        label = dialog.labelText();
        shownText = dialog.textValue();
        auto* edit = dialog.findChild<QLineEdit*>();
        ASSERT_NE(edit, nullptr);
        edit->selectAll();
        QTest::keyClicks(edit, "40.5");
        QTest::keyClick(edit, Qt::Key_Return);
    });
    size.Start();
    Click(w.cmdTextSize());
    EXPECT_EQ(title, "Enter text size");
    EXPECT_EQ(label, "Enter text size (10 to 200)");
    EXPECT_EQ(shownText, "35");
    EXPECT_EQ(w.TextSize(), 40);
    EXPECT_EQ(w.cmdTextSize().text(), "40");
}

}  // namespace
}  // namespace pagora::testing
