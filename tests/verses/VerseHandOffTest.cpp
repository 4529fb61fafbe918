// Clicks on a verse's text put its reference on the clipboard, for Tilora to recite.
#include "tests/support/VerseNumbers.h"
#include "tests/verses/VerseReader.h"

namespace pagora::testing {
namespace {

using VerseHandOff = VerseReaderTest;

class VerseHandOffPages : public VerseReaderTest {
  protected:
    // The references of the page's verses in reading order, from the page text: the verse
    // numbers printed at the line ends, the sura moving on at every sura header after a verse.
    QStringList ReferencesOnPage(int page) {
        const QString text = PageText(page);
        const QString marker = window_->Index().suraMarker;
        int sura = window_->Index().pageStart[page - 1].section(',', 0, 0).toInt();
        bool seenVerse = false;
        bool afterHeader = false;
        bool suraBegins = false;
        QStringList references;
        for (const QString& line : text.split(QStringLiteral("\r\n"))) {
            // A basmala line follows every header except those of the Fatiha and at-Tawba.
            if (afterHeader && page != 1 && page != 187) {
                afterHeader = false;
                continue;
            }
            afterHeader = false;
            if (line.contains(marker)) {
                sura += seenVerse ? 1 : 0;
                afterHeader = true;
                suraBegins = true;
                continue;
            }
            const int verse = TrailingVerseNumber(line);
            EXPECT_GT(verse, 0) << "page " << page << ": " << line.toStdString();
            if (suraBegins) {
                EXPECT_EQ(verse, 1) << "page " << page << ", sura " << sura;
            }
            suraBegins = false;
            seenVerse = true;
            references << QStringLiteral("%1:%2").arg(sura).arg(verse);
        }
        return references;
    }

    // Clicks the text of every verse link of the view and reads the clipboard each time.
    void ExpectEveryVerseHandedOver(BrowserControl& view) {
        SCOPED_TRACE(view.Name().toStdString() + " page " + view.Tag.toStdString());
        const int page = view.Tag.toInt();
        const QStringList expected = ReferencesOnPage(page);
        const auto verses = LinksOf(view, false);
        ASSERT_EQ(verses.size(), static_cast<size_t>(expected.size()));
        const Shown before = ShownBy(*window_);
        for (size_t i = 0; i < verses.size(); ++i) {
            ASSERT_EQ(verses[i].target, QStringLiteral("#aya%1").arg(i + 1));
            SetSystemClipboardText(QStringLiteral("before"));
            ClickLink(view, verses[i]);
            EXPECT_EQ(SystemClipboardText(), expected[static_cast<qsizetype>(i)])
                << "verse link " << i + 1;
        }
        EXPECT_EQ(ShownBy(*window_), before);
        EXPECT_TRUE(boxes_.informations.empty());
    }
};

// Pages where suras begin (the Fatiha, al-Baqara, an-Nisa inside a page, at-Tawba without its
// basmala), the Throne Verse's page and the last pages with their many short suras.
TEST_F(VerseHandOffPages, EveryVerseOfASinglePageGivesItsReference) {
    frmMain& w = Open(1, 1);
    for (int page : {1, 2, 42, 77, 187, 582, 604}) {
        w.SetCurrentPage(static_cast<int16_t>(page));
        w.LoadQuranPage(w.CurrentPage());
        ExpectEveryVerseHandedOver(w.wbSinglePage());
    }
}

TEST_F(VerseHandOffPages, EveryVerseOfBothPagesOfASpreadGivesItsReference) {
    frmMain& w = Open(2, 1);
    for (int page : {1, 187, 601, 603}) {
        w.SetCurrentPage(static_cast<int16_t>(page));
        w.LoadQuranPage(w.CurrentPage());
        ExpectEveryVerseHandedOver(w.wbPageOne());
        ExpectEveryVerseHandedOver(w.wbPageTwo());
    }
}

TEST_F(VerseHandOff, TheThroneVerseGivesExactly2Colon255) {
    frmMain& w = Open(1, 42);
    const auto verses = LinksOf(w.wbSinglePage(), false);
    const QString start = w.Index().pageStart[41];
    ASSERT_TRUE(start.startsWith(QStringLiteral("2,")));
    const int ordinal = 255 - start.section(',', 1, 1).toInt() + 1;
    ASSERT_GE(ordinal, 1);
    ASSERT_LE(static_cast<size_t>(ordinal), verses.size());
    const Shown before = ShownBy(w);
    ClickLink(w.wbSinglePage(), verses[static_cast<size_t>(ordinal - 1)]);
    EXPECT_EQ(SystemClipboardText(), QStringLiteral("2:255"));
    // Clicked again: the same text.
    ClickLink(w.wbSinglePage(), verses[static_cast<size_t>(ordinal - 1)]);
    EXPECT_EQ(SystemClipboardText(), QStringLiteral("2:255"));
    EXPECT_EQ(ShownBy(w), before);
    // A verse click is no bookmark.
    EXPECT_EQ(Stored("BookmarkPage"), QStringLiteral("<absent>"));
    ExpectPainted(w.wbSinglePage(), QString());
}

TEST_F(VerseHandOff, TheWindowsOwnClipboardIsTheSystemOne) {
    frmMain& w = Open(1, 42, /*ownServices=*/true);
    SetSystemClipboardText(QStringLiteral("before"));
    ClickLink(w.wbSinglePage(), QStringLiteral("#aya1"));
    EXPECT_EQ(SystemClipboardText(), QString(w.Index().pageStart[41]).replace(',', ':'));
}

TEST_F(VerseHandOff, TheClipboardIsClearedTwiceThenGivenThePlainReference) {
    frmMain& w = Open(1, 1);
    RecordingClipboard clipboard;
    w.SetVerseServices(clipboard, shell_);
    ClickLink(w.wbSinglePage(), QStringLiteral("#aya2"));
    EXPECT_EQ(clipboard.calls, (QStringList{"clear", "clear", "set 1:2"}));

    clipboard.calls.clear();
    ClickLink(w.wbSinglePage(), QStringLiteral("#num1"));
    EXPECT_TRUE(clipboard.calls.isEmpty());
}

TEST_F(VerseHandOff, AFailingClipboardIsIgnoredAndTheClickStillCancelled) {
    frmMain& w = Open(1, 1);
    RecordingClipboard clipboard;
    clipboard.failing = true;
    w.SetVerseServices(clipboard, shell_);
    const Shown before = ShownBy(w);

    ClickLink(w.wbSinglePage(), QStringLiteral("#aya3"));
    EXPECT_EQ(clipboard.calls, (QStringList{"clear", "clear", "set 1:3"}));

    clipboard.calls.clear();
    bool cancel = false;
    w.wbSinglePage_BeforeNavigate2(QStringLiteral("about:blank#aya4"), cancel);
    EXPECT_TRUE(cancel);
    EXPECT_EQ(clipboard.calls, (QStringList{"clear", "clear", "set 1:4"}));
    EXPECT_EQ(ShownBy(w), before);
    EXPECT_TRUE(boxes_.informations.empty());
    EXPECT_TRUE(boxes_.errors.empty());
}

}  // namespace
}  // namespace pagora::testing
