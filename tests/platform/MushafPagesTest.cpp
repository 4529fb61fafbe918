// Real pages of the built archives in the page view: every character has a glyph, justified
// lines keep their words whole, and sura headers and the basmala stay on one line.

#include <gtest/gtest.h>

#include <QApplication>
#include <QRawFont>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextFragment>
#include <memory>
#include <set>

#include "data/Module1.h"
#include "platform/BrowserControl.h"
#include "reader/PageDocument.h"
#include "reader/PageSource.h"
#include "reader/SupportData.h"
#include "tests/support/JustifiedWords.h"

namespace pagora {
namespace {

const QString kArchives = QStringLiteral(PAGORA_ARCHIVE_DIR);

// The real book, unpacked the way the reader unpacks it.
struct Book {
    QString Text(int page) { return pages.FetchPageText(PadWithZeros(page, 3)); }
    QString Document(int page, int textSize) {
        return BuildPageDocument(AddBookMarkLinks(Text(page)), page, index.suraMarker,
                                 index.pageFrame, textSize);
    }

    QTemporaryDir folder;
    const QString working = folder.path() + u'/';
    const bool ready = (UseWorkingFolder(working.toStdString()), InstallMushafFontFallback(), true);
    const QuranIndex index = UnpackSupportFiles(kArchives + "/support.dat", working);
    ArchivePageSource pages{kArchives, working};
};

Book& TheBook() {
    static Book book;
    return book;
}

// Writes `html` into `view`, and lets it paint unless `painted` is false.
void Write(BrowserControl& view, const QString& html, bool painted = true) {
    view.DocumentClear();
    view.DocumentWrite(html);
    view.DocumentClose();
    if (painted) {
        QApplication::processEvents();
    }
}

std::unique_ptr<BrowserControl> Show(const QString& html, int width) {
    auto view = std::make_unique<BrowserControl>(QStringLiteral("wbSinglePage"));
    view->resize(width, 700);
    view->show();
    Write(*view, html);
    return view;
}

TEST(MushafPages, EveryCharacterHasAGlyphInThePageFont) {
    std::set<char32_t> used;
    for (int page = 1; page <= 604; ++page) {
        for (const char32_t c : TheBook().Text(page).toUcs4()) {
            if (c != u'\r' && c != u'\n') {
                used.insert(c);
            }
        }
    }
    // The font that the page view draws a verse in (a stand-in when the mushaf font is not
    // installed), without the fallback fonts that would draw what it lacks.
    const auto view = Show(TheBook().Document(2, 35), 600);
    const QTextBlock verses = view->document()->findBlock(view->toPlainText().indexOf(u'\u0661'));
    const QRawFont raw =
        QRawFont::fromFont(verses.begin().fragment().charFormat().font(), QFontDatabase::Arabic);
    ASSERT_TRUE(raw.isValid());
    QStringList missing;
    for (const char32_t c : used) {
        if (!raw.supportsCharacter(c)) {
            missing << QStringLiteral("U+%1").arg(static_cast<uint>(c), 4, 16, QLatin1Char('0'));
        }
    }
    EXPECT_TRUE(missing.isEmpty())
        << raw.familyName().toStdString() << " lacks " << missing.join(u' ').toStdString();
    EXPECT_GT(used.size(), 40u);
}

// Pages with long and short lines, headers, the basmala and numbers of up to three digits, at
// small and large sizes in narrow and wide views: words whole, lines filled, headers on one
// line, and no line starting with a verse number.
TEST(MushafPages, JustifiedLinesKeepWordsWholeAndHeadersOnOneLine) {
    int stretched = 0;
    for (const int page : {1, 2, 3, 11, 50, 176, 187, 255, 439, 440, 603, 604}) {
        for (const int size : {20, 60, 200}) {
            for (const int width : {300, 1200}) {
                const auto view = Show(TheBook().Document(page, size), width);
                const testing::WordCheck check = testing::CheckWords(*view->document());
                EXPECT_EQ(std::vector({check.tornLines, check.movedLines, check.unfilledLines,
                                       check.wrappedCentredLines, check.numberLineStarts}),
                          std::vector({0, 0, 0, 0, 0}))
                    << "torn, moved, unfilled, wrapped centred, number starts on page " << page
                    << ", size " << size << ", width " << width << ": "
                    << check.firstTorn.toStdString();
                stretched += check.stretchedLines;
            }
        }
    }
    EXPECT_GT(stretched, 500);
}

TEST(MushafPages, CentredLinesShrinkOnlyWhenTheyWouldWrap) {
    auto fullSize = [](const BrowserControl& view) {
        for (QTextBlock b = view.document()->begin(); b.isValid(); b = b.next()) {
            if (!b.layout()->formats().isEmpty()) {
                return false;
            }
        }
        return true;
    };
    const auto wide = Show(TheBook().Document(604, 35), 1100);
    EXPECT_TRUE(fullSize(*wide));
    const auto narrow = Show(TheBook().Document(604, 120), 400);
    EXPECT_FALSE(fullSize(*narrow));
    // Made wide, the view shows them at their full size again.
    narrow->resize(1600, 700);
    QApplication::processEvents();
    EXPECT_TRUE(fullSize(*narrow));
}

// A page laid out ahead of time shows the very pixels of the same page laid out when it is
// written: the pages of a few spreads at the widths of a double-page and a single-page view,
// a link painted as the bookmark paints it. A view that has since changed its width lays the
// page out afresh.
TEST(MushafPages, PreparedPagesShowThePixelsOfPagesLaidOutWhenWritten) {
    for (const int width : {360, 750}) {
        BrowserControl prepared(QStringLiteral("wbPageOne"));
        BrowserControl fresh(QStringLiteral("wbPageTwo"));
        const auto both = {&prepared, &fresh};
        for (BrowserControl* view : both) {
            view->resize(width, 600);
            view->show();
        }
        for (const int page : {1, 2, 187, 188, 603, 604}) {
            const std::string where = std::to_string(page) + " at " + std::to_string(width);
            const QString html = TheBook().Document(page, 35);
            prepared.PrepareDocument(PadWithZeros(page, 3), html, [](QTextDocument& doc) {
                BrowserControl::SetAnchorColorIn(doc, 0, Qt::red);
            });
            ASSERT_TRUE(prepared.IsPrepared(html)) << where;
            EXPECT_FALSE(prepared.IsPrepared(TheBook().Document(page, 36))) << where;
            Write(prepared, html, false);
            EXPECT_EQ(prepared.PreparedCount(), 0u) << where;  // taken, not laid out again
            ASSERT_TRUE(prepared.PaintsPictureNext()) << where;
            const QImage shown = prepared.grab().toImage();
            EXPECT_FALSE(prepared.PaintsPictureNext()) << where;  // painted whole once
            Write(fresh, html);
            fresh.SetAnchorColor(0, Qt::red);
            EXPECT_EQ(shown, fresh.grab().toImage()) << where;
            EXPECT_EQ(prepared.grab().toImage(), fresh.grab().toImage()) << where;
        }
        // In other colours, a link painted after the page is shown, or the page scrolled, is
        // painted as it is now, not as it was prepared (the text areas compared: Fusion's scroll
        // bars may differ by a shade after a change of colours).
        for (BrowserControl* view : both) {
            view->SetShownColours({QStringLiteral("night"),
                                   [](QRgb c) { return qRgb(255 - qRed(c), 80, 255 - qBlue(c)); },
                                   [](QRgb c) { return c; }});
        }
        for (const bool scrolled : {false, true}) {
            // Small enough that the view shows its own background below it, when not scrolled.
            const QString page187 = TheBook().Document(187, scrolled ? 35 : 12);
            prepared.PrepareDocument(QStringLiteral("187"), page187);
            Write(fresh, page187);
            Write(prepared, page187, false);
            ASSERT_TRUE(prepared.PaintsPictureNext());
            for (BrowserControl* view : both) {
                scrolled ? view->verticalScrollBar()->setValue(40)
                         : view->SetAnchorColor(1, Qt::green);
            }
            EXPECT_EQ(prepared.viewport()->grab().toImage(), fresh.viewport()->grab().toImage())
                << (scrolled ? "scrolled" : "a link painted");
        }
        const QString html = TheBook().Document(50, 35);
        prepared.PrepareDocument(QStringLiteral("050"), html);
        prepared.resize(width + 130, 600);
        fresh.resize(width + 130, 600);
        QApplication::processEvents();
        EXPECT_FALSE(prepared.IsPrepared(html));
        Write(prepared, html);
        Write(fresh, html);
        EXPECT_EQ(prepared.grab().toImage(), fresh.grab().toImage()) << "resized";
    }
}

// Pictures are drawn for the pages prepared since the last page was shown (the next turn's),
// the first of them always and the others within a budget of memory; pages prepared before
// the last page was shown keep none.
TEST(MushafPages, PicturesAreKeptForTheNextTurnsPagesWithinABudget) {
    BrowserControl view(QStringLiteral("wbSinglePage"));
    view.setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);  // the width stays
    view.resize(500, 400);
    view.show();
    const QString page3 = TheBook().Document(3, 30);
    const QString page5 = TheBook().Document(5, 30);
    view.PrepareDocument(QStringLiteral("003"), page3);
    view.PrepareDocument(QStringLiteral("005"), page5);
    Write(view, page5, false);
    EXPECT_TRUE(view.PaintsPictureNext());
    view.PrepareDocument(QStringLiteral("006"), TheBook().Document(6, 30));
    Write(view, page3, false);  // prepared before the last page was shown
    EXPECT_EQ(view.PreparedCount(), 1u);
    EXPECT_FALSE(view.PaintsPictureNext());
    // In a view too large for more than one picture, the first page prepared gets it.
    view.resize(2200, 2100);
    view.PrepareDocument(QStringLiteral("003"), page3);
    view.PrepareDocument(QStringLiteral("005"), page5);
    Write(view, page5, false);
    EXPECT_FALSE(view.PaintsPictureNext());
    Write(view, page3, false);
    EXPECT_TRUE(view.PaintsPictureNext());
}

}  // namespace
}  // namespace pagora
