// The navigation filter of the page views, and the bookmark, settings and about commands.
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <functional>

#include "tests/verses/VerseReader.h"
#include "window/frmAbout.h"

namespace pagora::testing {
namespace {

using NavigationFilter = VerseReaderTest;

TEST_F(NavigationFilter, TheBlankPageAndOtherAddressesGoAheadUntouched) {
    frmMain& w = Open(1, 45);
    ClickLink(w.wbSinglePage(), QStringLiteral("#num2"));
    SetSystemClipboardText(QStringLiteral("before"));
    const Shown before = ShownBy(w);
    const auto views = {&frmMain::wbSinglePage_BeforeNavigate2, &frmMain::wbPageOne_BeforeNavigate2,
                        &frmMain::wbPageTwo_BeforeNavigate2};
    for (auto filter : views) {
        for (const QString url :
             {"about:blank", "https://www.example.com/", "about:blank#top", "about:blank#NUM2",
              "about:blank#Aya1", "about:blanknum", "about:"}) {
            bool cancel = false;
            (w.*filter)(url, cancel);
            EXPECT_FALSE(cancel) << url.toStdString();
        }
    }
    EXPECT_EQ(ShownBy(w), before);
    ExpectPainted(w.wbSinglePage(), QStringLiteral("2"));
    EXPECT_EQ(SystemClipboardText(), QStringLiteral("before"));
    EXPECT_EQ(Stored("BookmarkPage"), QStringLiteral("045"));

    // The blank page really loads: the view empties.
    w.wbPageOne().Navigate(QStringLiteral("about:blank"));
    EXPECT_TRUE(w.wbPageOne().toPlainText().isEmpty());
}

TEST_F(NavigationFilter, NumberAndVerseLinksAreCancelledInEveryView) {
    frmMain& w = Open(2, 45);
    struct Case {
        void (frmMain::*filter)(const QString&, bool&);
        BrowserControl& view;
    };
    for (const Case& c : {Case{&frmMain::wbPageOne_BeforeNavigate2, w.wbPageOne()},
                          Case{&frmMain::wbPageTwo_BeforeNavigate2, w.wbPageTwo()}}) {
        bool cancel = false;
        (w.*c.filter)(QStringLiteral("about:blank#num4"), cancel);
        EXPECT_TRUE(cancel);
        EXPECT_EQ(Stored("BookmarkPage"), c.view.Tag);
        ExpectPainted(c.view, QStringLiteral("4"));
        cancel = false;
        (w.*c.filter)(QStringLiteral("about:blank#aya1"), cancel);
        EXPECT_TRUE(cancel);
        EXPECT_EQ(SystemClipboardText(),
                  QString(w.Index().pageStart[c.view.Tag.toInt() - 1]).replace(',', ':'));
    }
    // The single page's view keeps the spread's last page key while hidden; its filter marks
    // in its own view.
    bool cancel = false;
    w.wbSinglePage_BeforeNavigate2(QStringLiteral("about:blank#num1"), cancel);
    EXPECT_TRUE(cancel);
}

TEST_F(NavigationFilter, ATargetWithBothMarkersBookmarksFirstThenHandsTheVerseOver) {
    frmMain& w = Open(1, 45);
    ClickLink(w.wbSinglePage(), QStringLiteral("#num2"));
    bool cancel = false;
    // The number's item text runs on to "2#aya3", which names no number link: every number
    // turns blue and nothing is saved; the verse is verse link 3.
    w.wbSinglePage_BeforeNavigate2(QStringLiteral("about:blank#num2#aya3"), cancel);
    EXPECT_TRUE(cancel);
    ExpectPainted(w.wbSinglePage(), QString());
    EXPECT_EQ(Stored("BookmarkPage"), QStringLiteral("045"));
    EXPECT_EQ(Stored("BookmarkAya"), QStringLiteral("2"));
    EXPECT_EQ(SystemClipboardText(), w.GetSuraVerse(45, 3));
    EXPECT_FALSE(SystemClipboardText().isEmpty());
}

TEST_F(NavigationFilter, LinksThatNameNoVerseAreCancelledAndChangeNothing) {
    frmMain& w = Open(1, 45);
    SetSystemClipboardText(QStringLiteral("before"));
    for (const QString url : {"about:blank#aya", "about:blank#ayaX", "about:blank#aya1x2",
                              "about:blank#num", "about:blank#num99"}) {
        bool cancel = false;
        w.wbSinglePage_BeforeNavigate2(url, cancel);
        EXPECT_TRUE(cancel) << url.toStdString();
    }
    EXPECT_EQ(SystemClipboardText(), QStringLiteral("before"));
    EXPECT_EQ(Stored("BookmarkPage"), QStringLiteral("<absent>"));
    ExpectPainted(w.wbSinglePage(), QString());

    // A view whose page failed to load holds no page key.
    w.wbSinglePage().Tag.clear();
    bool cancel = false;
    w.AyaClicked(w.wbSinglePage(), QStringLiteral("about:blank#aya1"), cancel);
    EXPECT_TRUE(cancel);
    EXPECT_EQ(SystemClipboardText(), QStringLiteral("before"));
}

TEST_F(NavigationFilter, AnotherBrowserMarksNothingButIsCancelled) {
    frmMain& w = Open(1, 45);
    BrowserControl other(QStringLiteral("wbOther"));
    other.Tag = QStringLiteral("045");
    const Shown before = ShownBy(w);
    bool cancel = false;
    w.CallSetBookmark(other, QStringLiteral("about:blank#num2"), cancel);
    EXPECT_TRUE(cancel);
    EXPECT_EQ(Stored("BookmarkPage"), QStringLiteral("<absent>"));
    ExpectPainted(w.wbSinglePage(), QString());
    EXPECT_EQ(ShownBy(w), before);
}

// ---------------------------------------------------------------- Go to Bookmark

using GoToBookmark = VerseReaderTest;

TEST_F(GoToBookmark, F2ShowsTheBookmarkedPageWithItsNumberRed) {
    StoreBookmark(QStringLiteral("012"), QStringLiteral("3"));
    frmMain& w = Open(1, 300);
    QTest::keyClick(&w, Qt::Key_F2);
    EXPECT_EQ(w.CurrentPage(), 12);
    EXPECT_EQ(w.wbSinglePage().Tag, QStringLiteral("012"));
    EXPECT_EQ(w.cmdPageNo().text(), QStringLiteral("12"));
    ExpectPainted(w.wbSinglePage(), QStringLiteral("3"));

    // In a spread the bookmarked page shows on its side, the current page the odd one.
    Command("mnuDoublePage").trigger();
    w.SetCurrentPage(301);
    w.LoadQuranPage(w.CurrentPage());
    QTest::keyClick(w.wbPageOne().viewport(), Qt::Key_F2);
    EXPECT_EQ(w.CurrentPage(), 11);
    EXPECT_EQ(w.wbPageTwo().Tag, QStringLiteral("012"));
    ExpectPainted(w.wbPageTwo(), QStringLiteral("3"));
    ExpectPainted(w.wbPageOne(), QString());
}

TEST_F(GoToBookmark, NoBookmarkOrOneThatIsNoPageDoesNothing) {
    for (const char* page : {"", "0", "abc", "999", "605", "-3", "   ", "x12", "6040"}) {
        SCOPED_TRACE(page);
        StoreBookmark(QString::fromLatin1(page), QStringLiteral("1"));
        frmMain& w = Open(1, 300);
        const Shown before = ShownBy(w);
        Command("mnuGotoBookMark").trigger();
        EXPECT_EQ(ShownBy(w), before);
        EXPECT_TRUE(boxes_.informations.empty());
        EXPECT_TRUE(boxes_.errors.empty());
    }
}

TEST_F(GoToBookmark, NothingStoredAtAllDoesNothing) {
    frmMain& w = Open(2, 300);
    const Shown before = ShownBy(w);
    Command("mnuGotoBookMark").trigger();
    EXPECT_EQ(ShownBy(w), before);
}

// ---------------------------------------------------------------- menus and messages

using VerseMenus = VerseReaderTest;

TEST_F(VerseMenus, TheCommandsSitInTheirMenusEnabled) {
    frmMain& w = Open(1, 1);
    const struct {
        const char* menu;
        QStringList captions;
    } menus[] = {
        {"Bookmark", {"Go to Bookmark", "How To Set Bookmark"}},
        {"Settings", {"How to recite verse"}},
        {"About", {"About Pagora", "Visit Website"}},
    };
    for (const auto& expected : menus) {
        QMenu* menu = nullptr;
        for (QAction* action : w.menuBar()->actions()) {
            if (action->text() == QString::fromLatin1(expected.menu)) {
                menu = action->menu();
            }
        }
        ASSERT_NE(menu, nullptr) << expected.menu;
        QStringList captions;
        for (QAction* action : menu->actions()) {
            captions << action->text();
            EXPECT_TRUE(action->isEnabled()) << action->text().toStdString();
        }
        EXPECT_EQ(captions, expected.captions);
    }
    EXPECT_EQ(Command("mnuGotoBookMark").shortcut(), QKeySequence(Qt::Key_F2));
}

TEST_F(VerseMenus, HowToSetBookmarkExplainsTheClick) {
    frmMain& w = Open(1, 1);
    const Shown before = ShownBy(w);
    Command("mnuHowToSetBookMark").trigger();
    ASSERT_EQ(boxes_.informations.size(), 1u);
    EXPECT_EQ(boxes_.informations[0],
              (TitledMessageBoxes::Box{"To set bookmark, click on the Ayat number after each Aya. ",
                                       "Setting bookmark"}));
    EXPECT_EQ(ShownBy(w), before);
}

TEST_F(VerseMenus, HowToReciteVerseExplainsTilora) {
    frmMain& w = Open(1, 1);
    const Shown before = ShownBy(w);
    SetSystemClipboardText(QStringLiteral("before"));
    Command("mnuSettingTilora").trigger();
    ASSERT_EQ(boxes_.informations.size(), 1u);
    const QString text = boxes_.informations[0].text;
    EXPECT_EQ(boxes_.informations[0].title, QStringLiteral("Linking with Tilora"));
    EXPECT_EQ(text.toStdString(),
              "For reciting the verse on clicking any Ayat \r\n"
              "\r\n"
              "Install Tilora Software from " PAGORA_CONFIGURED_WEBSITE
              " \r\n"
              "Make sure you installed full Quran Audio or the audio for the Sura you want to "
              "hear\r\n"
              "Open Tilora and open and play any verse (this is important)\r\n"
              "Now keep Tilora in background and click on any verse in Pagora, that verse will be "
              "loaded in Tilora and recited");
    EXPECT_EQ(SystemClipboardText(), QStringLiteral("before"));
    EXPECT_EQ(ShownBy(w), before);
}

TEST_F(VerseMenus, VisitWebsiteOpensTheProductPageAndReportsNothing) {
    frmMain& w = Open(1, 1);
    const Shown before = ShownBy(w);
    for (bool taken : {true, false}) {
        shell_.opened.clear();
        shell_.answer = taken;
        Command("mnuAboutWebsite").trigger();
        EXPECT_EQ(shell_.opened,
                  QStringList{PAGORA_CONFIGURED_WEBSITE
                              "/free-quran-software/software-for-reading-quran/pagora.htm"});
    }
    EXPECT_TRUE(boxes_.informations.empty());
    EXPECT_TRUE(boxes_.errors.empty());
    EXPECT_EQ(ShownBy(w), before);
    EXPECT_TRUE(w.isVisible());
}

// ---------------------------------------------------------------- the about box

struct AboutTexts {
    QString caption, title, version, description;
    bool modal = false;
    bool operator==(const AboutTexts&) const = default;
};

class AboutCommand : public VerseReaderTest {
  protected:
    // Chooses "About Pagora" and, once the box is up, reads it and lets `close` close it.
    // Returns after the modal box has gone; fails when no box came up or it did not close.
    AboutTexts ShowAbout(const std::function<void(frmAbout&)>& close) {
        AboutTexts texts;
        bool seen = false;
        bool forced = false;
        QPointer<frmAbout> shown;
        std::function<void(int)> poll = [&](int tries) {
            auto* box = qobject_cast<frmAbout*>(QApplication::activeModalWidget());
            if (box == nullptr) {
                if (tries > 0) {
                    QTimer::singleShot(20, [&, tries] { poll(tries - 1); });
                }
                return;
            }
            seen = true;
            shown = box;
            texts.caption = box->windowTitle();
            texts.title = box->findChild<QLabel*>("lblTitle")->text();
            texts.version = box->findChild<QLabel*>("lblVersion")->text();
            texts.description = box->findChild<QLabel*>("lblDescription")->text();
            texts.modal = box->isModal() && box->isVisible();
            EXPECT_TRUE(QTest::qWaitForWindowActive(box));
            close(*box);
            // A box that did not close is closed by force, so the test goes on.
            QTimer::singleShot(2000, [&] {
                if (shown) {
                    forced = true;
                    shown->reject();
                }
            });
        };
        QTimer::singleShot(0, [&] { poll(100); });
        Command("mnuAboutPagora").trigger();
        EXPECT_TRUE(seen) << "no about box came up";
        EXPECT_FALSE(forced) << "the about box did not close";
        // Each showing has its own box, gone once closed.
        EXPECT_TRUE(shown.isNull());
        QApplication::processEvents();
        return texts;
    }
};

TEST_F(AboutCommand, ShowsTheSameTextsEachTimeAndClosesWithEnterOrEscape) {
    frmMain& w = Open(1, 1);
    const Shown before = ShownBy(w);
    const AboutTexts first =
        ShowAbout([](frmAbout& box) { QTest::keyClick(&box, Qt::Key_Return); });
    const AboutTexts second =
        ShowAbout([](frmAbout& box) { QTest::keyClick(&box, Qt::Key_Escape); });
    const AboutTexts third = ShowAbout([](frmAbout& box) {
        QTest::mouseClick(box.findChild<QPushButton*>("cmdOK"), Qt::LeftButton);
    });
    EXPECT_EQ(first.caption, QStringLiteral("About Tamrit Pagora"));
    EXPECT_EQ(first.title, QStringLiteral("Tamrit Pagora"));
    EXPECT_EQ(first.version, QStringLiteral("Version " PAGORA_PROJECT_VERSION));
    EXPECT_EQ(first.description.toStdString(),
              "Tamrit Pagora is developed to display Quran in page wise format. The Quran data "
              "used in this software is taken from King Fahd Complex for the Printing of Holy "
              "Qur'an website. ");
    EXPECT_TRUE(first.modal);
    EXPECT_EQ(second, first);
    EXPECT_EQ(third, first);
    EXPECT_EQ(ShownBy(w), before);
    EXPECT_TRUE(boxes_.informations.empty());
}

}  // namespace
}  // namespace pagora::testing
