#include <QLabel>
#include <QScrollBar>
#include <QWindow>
#include <string>

#include "menu/clsNewMenu.h"
#include "tests/navigation_ui/RealReader.h"

namespace pagora::testing {
namespace {

using NavigationUi = RealReaderTest;

TEST_F(NavigationUi, FooterButtonsCarryTheirCaptionsAndToolTips) {
    frmMain& w = Open(1, 10);
    EXPECT_EQ(w.cmdNext().text(), "&Next");
    EXPECT_EQ(w.cmdNext().toolTip(), "Shortcut key \"z\"");
    EXPECT_EQ(w.cmdPrevious().text(), "Previous");
    EXPECT_EQ(w.cmdPrevious().toolTip(), "Shortcut key \"x\"");
    EXPECT_EQ(w.cmdIncrease().text(), "+");
    EXPECT_EQ(w.cmdDecrease().text(), "-");
    EXPECT_EQ(w.cmdSuraSelect().text(), "Sura");
    EXPECT_EQ(w.cmdSelectJuz().text(), "Juz");

    // N is Next's access key; the button clicks itself a moment after the key, as it shows
    // itself pressed in between.
    QTest::keyClick(w.windowHandle(), Qt::Key_N, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return w.CurrentPage() != 10; }, 2000));
    EXPECT_EQ(Showing(w), "11 | 11 | 011");
}

TEST_F(NavigationUi, NextAndPreviousStopAtTheEndsOfTheBookInSinglePageMode) {
    frmMain& w = Open(1, 603);
    Click(w.cmdNext());
    EXPECT_EQ(Showing(w), "604 | 604 | 604");
    MarkShowing(w);
    Click(w.cmdNext());
    EXPECT_EQ(Showing(w), "604 | 604 | 604");
    EXPECT_FALSE(ShownAgain(w)) << "Next at the last page shows nothing again";
    Click(w.cmdPrevious());
    EXPECT_EQ(Showing(w), "603 | 603 | 603");

    frmMain& start = Open(1, 2);
    Click(start.cmdPrevious());
    EXPECT_EQ(Showing(start), "1 | 1 | 001");
    MarkShowing(start);
    Click(start.cmdPrevious());
    EXPECT_EQ(Showing(start), "1 | 1 | 001");
    EXPECT_FALSE(ShownAgain(start));
    Click(start.cmdNext());
    EXPECT_EQ(Showing(start), "2 | 2 | 002");
}

TEST_F(NavigationUi, NextAndPreviousMoveBySpreadsAndStopAtTheEndsInDoublePageMode) {
    frmMain& w = Open(2, 601);
    EXPECT_EQ(Showing(w), "601 | 602 601 | 601 602");
    Click(w.cmdNext());
    EXPECT_EQ(Showing(w), "603 | 604 603 | 603 604");
    EXPECT_TRUE(w.lblPage2().isVisible());
    MarkShowing(w);
    Click(w.cmdNext());
    EXPECT_EQ(Showing(w), "603 | 604 603 | 603 604");
    EXPECT_FALSE(ShownAgain(w));

    frmMain& start = Open(2, 3);
    Click(start.cmdPrevious());
    EXPECT_EQ(Showing(start), "1 | 2 1 | 001 002");
    MarkShowing(start);
    Click(start.cmdPrevious());
    EXPECT_EQ(Showing(start), "1 | 2 1 | 001 002");
    EXPECT_FALSE(ShownAgain(start));
    Click(start.cmdNext());
    EXPECT_EQ(Showing(start), "3 | 4 3 | 003 004");
}

TEST_F(NavigationUi, PagePromptTakesTheLeadingNumberAndRefusesOthersSilently) {
    frmMain& w = Open(1, 100);
    struct Case {
        const char* answer;
        const char* showing;  // empty: refused, nothing shown again
    };
    const Case cases[] = {
        {"2.5", "2 | 2 | 002"},
        {"603.5", "604 | 604 | 604"},
        {"12abc", "12 | 12 | 012"},
        {"604.4", ""},
        {"0.6", ""},
        {"", ""} /* Cancel */,
        {"   ", ""},
        {"abc", ""},
        {"0", ""},
        {"605", ""},
        {"-5", ""},
        {" 45 ", "45 | 45 | 045"},
    };
    QString before = Showing(w);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("answer \"") + c.answer + "\"");
        prompt_.answers = {QString::fromLatin1(c.answer)};
        const QString defaultText = QString::number(w.CurrentPage());
        MarkShowing(w);
        Click(w.cmdPageNo());
        ASSERT_FALSE(prompt_.shown.empty());
        EXPECT_EQ(prompt_.shown.back().message, "Enter page number (1 to 604)");
        EXPECT_EQ(prompt_.shown.back().title, "Enter Page Number");
        EXPECT_EQ(prompt_.shown.back().defaultText, defaultText);
        if (*c.showing == '\0') {
            EXPECT_EQ(Showing(w), before);
            EXPECT_FALSE(ShownAgain(w));
        } else {
            EXPECT_EQ(Showing(w), c.showing);
            EXPECT_TRUE(ShownAgain(w));
        }
        before = Showing(w);
    }
    EXPECT_EQ(prompt_.shown.size(), std::size(cases));
    EXPECT_TRUE(boxes_.informations.empty() && boxes_.errors.empty()) << "no message is shown";
}

TEST_F(NavigationUi, PagePromptInDoublePageModeShowsTheSpreadHoldingThePage) {
    frmMain& w = Open(2, 1);
    prompt_.answers = {"45", "46", "604"};
    Click(w.cmdPageNo());
    EXPECT_EQ(Showing(w), "45 | 46 45 | 045 046");
    Click(w.cmdPageNo());
    EXPECT_EQ(prompt_.shown.back().defaultText, "45");
    EXPECT_EQ(Showing(w), "45 | 46 45 | 045 046");
    Click(w.cmdPageNo());
    EXPECT_EQ(Showing(w), "603 | 604 603 | 603 604");
}

TEST_F(NavigationUi, TextSizePromptAcceptsTenToTwoHundredRoundedHalfToEven) {
    frmMain& w = Open(1, 50, 35);
    struct Case {
        const char* answer;
        int size;  // expected size afterwards
        bool shown;
    };
    const Case cases[] = {
        {"9", 35, false}, {"200", 200, true},  {"10.4", 10, true},   {"199.5", 200, true},
        {"", 200, false}, {"201", 200, false}, {"9.99", 200, false}, {"64px", 64, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("answer \"") + c.answer + "\"");
        prompt_.answers = {QString::fromLatin1(c.answer)};
        const QString defaultText = QString::number(w.TextSize());
        MarkShowing(w);
        Click(w.cmdTextSize());
        ASSERT_FALSE(prompt_.shown.empty());
        EXPECT_EQ(prompt_.shown.back().message, "Enter text size (10 to 200)");
        EXPECT_EQ(prompt_.shown.back().title, "Enter text size");
        EXPECT_EQ(prompt_.shown.back().defaultText, defaultText);
        EXPECT_EQ(w.TextSize(), c.size);
        EXPECT_EQ(ShownAgain(w), c.shown);
        if (c.shown) {
            EXPECT_EQ(w.cmdTextSize().text(), QString::number(c.size));
            EXPECT_TRUE(w.DocumentOf(w.wbSinglePage())
                            .contains(QStringLiteral("font-size: %1px;").arg(c.size)));
        }
        EXPECT_EQ(Showing(w), "50 | 50 | 050") << "the page stays";
    }
}

TEST_F(NavigationUi, PlusAndMinusStopAtTheirLimits) {
    frmMain& w = Open(2, 9, 199);
    Click(w.cmdIncrease());
    EXPECT_EQ(w.TextSize(), 200);
    EXPECT_EQ(w.cmdTextSize().text(), "200");
    EXPECT_TRUE(w.DocumentOf(w.wbPageOne()).contains("font-size: 200px;"));
    EXPECT_TRUE(w.DocumentOf(w.wbPageTwo()).contains("font-size: 200px;"));
    MarkShowing(w);
    Click(w.cmdIncrease());
    EXPECT_EQ(w.TextSize(), 200);
    EXPECT_FALSE(ShownAgain(w));
    Click(w.cmdDecrease());
    EXPECT_EQ(w.TextSize(), 199);
    EXPECT_EQ(w.cmdTextSize().text(), "199");

    frmMain& small = Open(1, 9, 11);
    Click(small.cmdDecrease());
    EXPECT_EQ(small.TextSize(), 10);
    EXPECT_TRUE(small.DocumentOf(small.wbSinglePage()).contains("font-size: 10px;"));
    MarkShowing(small);
    Click(small.cmdDecrease());
    EXPECT_EQ(small.TextSize(), 10);
    EXPECT_FALSE(ShownAgain(small));
    Click(small.cmdIncrease());
    EXPECT_EQ(small.TextSize(), 11);
    EXPECT_EQ(Showing(small), "9 | 9 | 009") << "the page stays";
}

// Keys are pressed on the window's native window, so that they reach whichever widget holds
// the keyboard focus, as a person's key presses do.
TEST_F(NavigationUi, ZAndXTurnPagesWithTheFocusOnTheWindow) {
    frmMain& w = Open(1, 300);
    QWindow* native = w.windowHandle();
    for (QWidget* focus : {static_cast<QWidget*>(nullptr), static_cast<QWidget*>(&w.cmdPageNo())}) {
        SCOPED_TRACE(focus == nullptr ? "no widget has the focus" : "a footer button has it");
        if (QApplication::focusWidget() != nullptr) {
            QApplication::focusWidget()->clearFocus();
        }
        if (focus != nullptr) {
            focus->setFocus();
            ASSERT_EQ(QApplication::focusWidget(), focus);
        }
        w.SetCurrentPage(300);
        QTest::keyClick(native, Qt::Key_Z);
        EXPECT_EQ(Showing(w), "301 | 301 | 301");
        QTest::keyClick(native, 'z');
        EXPECT_EQ(Showing(w), "302 | 302 | 302");
        QTest::keyClick(native, Qt::Key_X);
        EXPECT_EQ(Showing(w), "301 | 301 | 301");
        QTest::keyClick(native, 'x');
        EXPECT_EQ(Showing(w), "300 | 300 | 300");
        QTest::keyClick(native, Qt::Key_Z, Qt::ShiftModifier);
        QTest::keyClick(native, Qt::Key_Z, Qt::ControlModifier);
        EXPECT_EQ(Showing(w), "302 | 302 | 302") << "the shift state is not looked at";
        QTest::keyClick(native, Qt::Key_X, Qt::AltModifier);
        EXPECT_EQ(Showing(w), "301 | 301 | 301");

        MarkShowing(w);
        for (Qt::Key other : {Qt::Key_Up, Qt::Key_Down, Qt::Key_Right, Qt::Key_PageDown, Qt::Key_A,
                              Qt::Key_Y, Qt::Key_C, Qt::Key_F5}) {
            QTest::keyClick(native, other);
        }
        EXPECT_EQ(Showing(w), "301 | 301 | 301");
        EXPECT_FALSE(ShownAgain(w)) << "other keys do nothing";
    }
}

TEST_F(NavigationUi, ZAndXTurnPagesInAPageViewThatKeepsItsScrollingKeys) {
    // At this size every page is taller than its view.
    frmMain& w = Open(1, 300, 80);
    QWindow* native = w.windowHandle();
    BrowserControl& view = w.wbSinglePage();
    view.setFocus();
    ASSERT_EQ(QApplication::focusWidget(), &view);
    QScrollBar* bar = view.verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0) << "the page must be scrollable for this test";

    QTest::keyClick(native, Qt::Key_Z);
    EXPECT_EQ(Showing(w), "301 | 301 | 301");
    QTest::keyClick(native, 'z');
    EXPECT_EQ(Showing(w), "302 | 302 | 302");
    QTest::keyClick(native, Qt::Key_X);
    EXPECT_EQ(Showing(w), "301 | 301 | 301");
    // With the modifiers that would make them the view's undo and cut keys, too.
    QTest::keyClick(native, Qt::Key_Z, Qt::ControlModifier);
    QTest::keyClick(native, Qt::Key_Z, Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_EQ(Showing(w), "303 | 303 | 303");
    QTest::keyClick(native, Qt::Key_X, Qt::ControlModifier);
    QTest::keyClick(native, Qt::Key_X, Qt::AltModifier);
    EXPECT_EQ(Showing(w), "301 | 301 | 301");
    EXPECT_EQ(QApplication::focusWidget(), &view) << "the view keeps the focus";

    bar->setValue(0);
    MarkShowing(w);
    QTest::keyClick(native, Qt::Key_Down);
    EXPECT_GT(bar->value(), 0) << "the arrow key scrolls the view";
    const int scrolled = bar->value();
    QTest::keyClick(native, Qt::Key_Up);
    EXPECT_LT(bar->value(), scrolled);
    QTest::keyClick(native, Qt::Key_PageDown);
    EXPECT_GT(bar->value(), scrolled);
    EXPECT_EQ(Showing(w), "301 | 301 | 301");
    EXPECT_FALSE(ShownAgain(w)) << "scrolling keys do not turn the page";

    // The same in double-page mode, from the left page.
    frmMain& two = Open(2, 301);
    two.wbPageTwo().setFocus();
    ASSERT_EQ(QApplication::focusWidget(), &two.wbPageTwo());
    QTest::keyClick(two.windowHandle(), Qt::Key_Z);
    EXPECT_EQ(Showing(two), "303 | 304 303 | 303 304");
    two.wbPageOne().setFocus();
    QTest::keyClick(two.windowHandle(), Qt::Key_X);
    QTest::keyClick(two.windowHandle(), Qt::Key_X);
    EXPECT_EQ(Showing(two), "299 | 300 299 | 299 300");
}

// Records, while the fake menu is open, the captions and command ids of the entries of every
// submenu, in order.
struct MenuSnapshot {
    std::vector<std::string> topCaptions;
    std::vector<std::vector<std::string>> subCaptions;
    std::vector<std::vector<std::uintptr_t>> subIds;

    void Take(const FakePopupMenu& fake, MenuHandle top) {
        *this = MenuSnapshot();
        for (const FakePopupMenu::Item& item : fake.menus.at(top).items) {
            topCaptions.push_back(item.caption);
            subCaptions.emplace_back();
            subIds.emplace_back();
            if (item.submenu == 0) {
                continue;
            }
            for (const FakePopupMenu::Item& sub : fake.menus.at(item.submenu).items) {
                subCaptions.back().push_back(sub.caption);
                subIds.back().push_back(sub.id);
            }
        }
    }
};

TEST_F(NavigationUi, SuraMenuListsEverySuraAndShowsTheChosenSurasFirstPage) {
    frmMain& w = Open(1, 300);
    const QStringList& names = w.Index().suraNames;
    ASSERT_EQ(names.size(), 114);

    MenuSnapshot snapshot;
    std::vector<std::string> path = {"Sura 1 - 25", names[0].toStdString()};
    popup_->chooser = [&](FakePopupMenu& fake, MenuHandle menu) {
        snapshot.Take(fake, menu);
        return path.empty() ? 0 : fake.IdAt(menu, path);
    };
    Click(w.cmdSuraSelect());
    EXPECT_EQ(Showing(w), "1 | 1 | 001");

    EXPECT_EQ(snapshot.topCaptions,
              (std::vector<std::string>{"Sura 1 - 25", "Sura 26 - 50", "Sura 51 - 75",
                                        "Sura 76 - 100", "Sura 101 - 114"}));
    ASSERT_EQ(snapshot.subCaptions.size(), 5u);
    std::uintptr_t id = 1005;
    int sura = 0;
    for (std::size_t k = 0; k < 5; ++k) {
        EXPECT_EQ(snapshot.subCaptions[k].size(), k < 4 ? 25u : 14u);
        for (std::size_t e = 0; e < snapshot.subCaptions[k].size(); ++e, ++id, ++sura) {
            EXPECT_EQ(snapshot.subCaptions[k][e], names[sura].toStdString()) << "unchanged name";
            EXPECT_EQ(snapshot.subIds[k][e], id);
        }
    }
    EXPECT_EQ(sura, 114);
    // The entries as the menu classes registered them: ids from 1000 in the order added, the
    // range entries without a tag, each sura tagged with its index.
    const MenuEntryRegistry& entries = MenuEntries();
    ASSERT_EQ(entries.size(), 119u);
    EXPECT_EQ(entries.at("id1000")->Caption, "Sura 1 - 25");
    EXPECT_EQ(entries.at("id1000")->Tag, "");
    EXPECT_EQ(entries.at("id1004")->Caption, "Sura 101 - 114");
    EXPECT_EQ(entries.at("id1005")->Tag, "0");
    EXPECT_EQ(entries.at("id1118")->Caption, names[113].toStdString());
    EXPECT_EQ(entries.at("id1118")->Tag, "113");
    const auto shown = popup_->CallsNamed("TrackPopupMenuEx");
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_NE(shown[0].find(", " + std::to_string(w.winId()) + ")"), std::string::npos)
        << "the window owns the menu: " << shown[0];
    EXPECT_TRUE(popup_->menus.empty()) << "the menu is destroyed after use";

    // The last sura; the menu is built afresh, its ids starting again at 1000.
    path = {"Sura 101 - 114", names[113].toStdString()};
    Click(w.cmdSuraSelect());
    EXPECT_EQ(w.Index().suraStart[113], "604");
    EXPECT_EQ(Showing(w), "604 | 604 | 604");
    EXPECT_EQ(popup_->CallsNamed("CreatePopupMenu").size(), 2u * 6u);
    EXPECT_EQ(MenuEntries().size(), 119u);
    EXPECT_EQ(MenuEntries().at("id1000")->Caption, "Sura 1 - 25");

    // Dismissed: "-1", nothing changes.
    path.clear();
    MarkShowing(w);
    Click(w.cmdSuraSelect());
    EXPECT_EQ(Showing(w), "604 | 604 | 604");
    EXPECT_FALSE(ShownAgain(w));
    EXPECT_EQ(popup_->CallsNamed("TrackPopupMenuEx").size(), 3u);
}

TEST_F(NavigationUi, SuraStartingOnAnEvenPageShowsItsSpreadInDoublePageMode) {
    frmMain& w = Open(2, 301);
    const std::string baqara = w.Index().suraNames[1].toStdString();
    popup_->chooser = [&](FakePopupMenu& fake, MenuHandle menu) {
        return fake.IdAt(menu, {"Sura 1 - 25", baqara});
    };
    Click(w.cmdSuraSelect());
    EXPECT_EQ(w.Index().suraStart[1], "2");
    EXPECT_EQ(Showing(w), "1 | 2 1 | 001 002");
}

TEST_F(NavigationUi, JuzMenuListsThirtyJuzAndShowsTheChosenJuzsFirstPage) {
    frmMain& w = Open(1, 300);
    MenuSnapshot snapshot;
    std::vector<std::string> path = {"Juz 21 - 30", "30"};
    popup_->chooser = [&](FakePopupMenu& fake, MenuHandle menu) {
        snapshot.Take(fake, menu);
        return path.empty() ? 0 : fake.IdAt(menu, path);
    };
    Click(w.cmdSelectJuz());
    EXPECT_EQ(w.Index().juzStart[29], "582");
    EXPECT_EQ(Showing(w), "582 | 582 | 582");

    EXPECT_EQ(snapshot.topCaptions,
              (std::vector<std::string>{"Juz 1 - 10", "Juz 11 - 20", "Juz 21 - 30"}));
    ASSERT_EQ(snapshot.subCaptions.size(), 3u);
    for (std::size_t k = 0; k < 3; ++k) {
        ASSERT_EQ(snapshot.subCaptions[k].size(), 10u);
        for (std::size_t e = 0; e < 10; ++e) {
            EXPECT_EQ(snapshot.subCaptions[k][e], std::to_string(10 * k + e + 1));
            EXPECT_EQ(snapshot.subIds[k][e], 1003 + 10 * k + e);
        }
    }
    EXPECT_EQ(MenuEntries().size(), 33u);
    EXPECT_EQ(MenuEntries().at("id1003")->Tag, "0");
    EXPECT_EQ(MenuEntries().at("id1032")->Tag, "29");

    path = {"Juz 1 - 10", "1"};
    Click(w.cmdSelectJuz());
    EXPECT_EQ(Showing(w), "1 | 1 | 001");

    path.clear();
    MarkShowing(w);
    Click(w.cmdSelectJuz());
    EXPECT_EQ(Showing(w), "1 | 1 | 001");
    EXPECT_FALSE(ShownAgain(w));

    // Juz 30 begins on an even page: in double-page mode its spread is shown.
    frmMain& two = Open(2, 1);
    path = {"Juz 21 - 30", "30"};
    Click(two.cmdSelectJuz());
    EXPECT_EQ(Showing(two), "581 | 582 581 | 581 582");
}

// A small made-up book whose start tables hold damaged lines.
class DamagedStartTables : public ReaderTest {
  protected:
    void SetUp() override {
        QStringList suraStart = book_.quranPageIndex.split("\r\n");
        ASSERT_GE(suraStart.size(), 114);
        suraStart[0] = "abc";
        suraStart[1] = "0";
        suraStart[2] = "605";
        suraStart[3] = "-3";
        suraStart[4] = "";
        suraStart[5] = "40000000000";
        book_.quranPageIndex = suraStart.join("\r\n");
        QStringList juzStart = book_.juzPageIndex.split("\r\n");
        ASSERT_GE(juzStart.size(), 30);
        juzStart[29] = "604x";
        book_.juzPageIndex = juzStart.join("\r\n");
        ReaderTest::SetUp();
    }
};

TEST_F(DamagedStartTables, AChosenEntryThatIsNoPageNumberIsIgnored) {
    Store("UserSelection", "Pageno", "300");
    std::unique_ptr<frmMain> w = NewWindow();
    ScriptedPrompt prompt;
    auto popup = std::make_shared<FakePopupMenu>();
    w->SetNavigationServices(prompt, popup);
    ASSERT_TRUE(w->Start());
    const QStringList names = w->Index().suraNames;
    int chosen = 0;
    popup->chooser = [&](FakePopupMenu& fake, MenuHandle menu) {
        return fake.IdAt(menu, {"Sura 1 - 25", names[chosen].toStdString()});
    };
    for (chosen = 0; chosen < 6; ++chosen) {
        SCOPED_TRACE("sura " + std::to_string(chosen + 1));
        w->cmdTextSize().setText("not shown");
        QTest::mouseClick(&w->cmdSuraSelect(), Qt::LeftButton);
        EXPECT_EQ(w->CurrentPage(), 300);
        EXPECT_EQ(w->cmdTextSize().text(), "not shown");
    }
    EXPECT_EQ(popup->CallsNamed("TrackPopupMenuEx").size(), 6u);
    chosen = 6;
    QTest::mouseClick(&w->cmdSuraSelect(), Qt::LeftButton);
    EXPECT_EQ(QString::number(w->CurrentPage()), w->Index().suraStart[6]) << "sound lines work";

    popup->chooser = [](FakePopupMenu& fake, MenuHandle menu) {
        return fake.IdAt(menu, {"Juz 21 - 30", "30"});
    };
    const int before = w->CurrentPage();
    QTest::mouseClick(&w->cmdSelectJuz(), Qt::LeftButton);
    EXPECT_EQ(w->CurrentPage(), before);
    EXPECT_TRUE(boxes_.errors.empty());
}

TEST_F(DamagedStartTables, CommandsDoNothingBeforeStartUp) {
    std::unique_ptr<frmMain> w = NewWindow();
    ScriptedPrompt prompt;
    auto popup = std::make_shared<FakePopupMenu>();
    w->SetNavigationServices(prompt, popup);
    w->show();
    const int page = w->CurrentPage();
    for (QPushButton* button :
         {&w->cmdNext(), &w->cmdPrevious(), &w->cmdPageNo(), &w->cmdTextSize(), &w->cmdIncrease(),
          &w->cmdDecrease(), &w->cmdSuraSelect(), &w->cmdSelectJuz()}) {
        QTest::mouseClick(button, Qt::LeftButton);
    }
    w->Form_KeyDown(90, 0);
    EXPECT_EQ(w->CurrentPage(), page);
    EXPECT_TRUE(prompt.shown.empty());
    EXPECT_TRUE(popup->calls.empty());
    EXPECT_TRUE(w->wbSinglePage().Tag.isEmpty());
}

}  // namespace
}  // namespace pagora::testing
