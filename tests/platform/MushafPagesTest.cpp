// Real pages of the built archives in the page view: every character has a glyph, justified
// lines keep their words whole, and sura headers and the basmala stay on one line.

#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QRawFont>
#include <QScrollBar>
#include <QSet>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextFragment>
#include <memory>

#include "data/Module1.h"
#include "platform/BrowserControl.h"
#include "reader/PageDocument.h"
#include "tests/support/JustifiedWords.h"

namespace pagora {
namespace {

const QString kArchives = QStringLiteral(PAGORA_ARCHIVE_DIR);

// The support files and page texts, extracted the way the reader extracts them.
class Book {
  public:
    Book() {
        InstallMushafFontFallback();
        UseWorkingFolder(folder_.path().toStdString());
        marker_ = Utf16(Extract("support.dat", "surat.txt"));
        frame_ = QString::fromLatin1(Extract("support.dat", "border.html"));
        frame_.replace(QStringLiteral("##imagepath##"), QString::fromStdString(WorkingFolder()));
        for (const char* image :
             {"left_bottom.gif", "left_top.gif", "left-s.jpg", "right_bottom.gif", "right_top.gif",
              "right-s.jpg", "top.gif", "bottom.gif"}) {
            ExtractArchiveMember((kArchives + "/support.dat").toStdString(), image);
        }
    }

    QString Text(int page) {
        const QString key = PadWithZeros(page, 3);
        return Utf16(Extract(PageArchiveName(key), key));
    }

    QString Document(int page, int textSize) {
        return BuildPageDocument(AddBookMarkLinks(Text(page)), page, marker_, frame_, textSize);
    }

  private:
    QByteArray Extract(const QString& archive, const QString& member) {
        if (ExtractArchiveMember((kArchives + u'/' + archive).toStdString(),
                                 member.toStdString()) != "") {
            ADD_FAILURE() << member.toStdString() << " is missing";
        }
        QFile file(QString::fromStdString(WorkingFolder()) + member);
        file.open(QIODevice::ReadOnly);
        const QByteArray bytes = file.readAll();
        file.remove();
        return bytes;
    }

    static QString Utf16(const QByteArray& bytes) {
        return QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData()),
                                  bytes.size() / 2);
    }

    QTemporaryDir folder_;
    QString marker_;
    QString frame_;
};

Book& TheBook() {
    static Book book;
    return book;
}

std::unique_ptr<BrowserControl> Show(const QString& html, int width) {
    auto view = std::make_unique<BrowserControl>(QStringLiteral("wbSinglePage"));
    view->resize(width, 700);
    view->show();
    view->DocumentClear();
    view->DocumentWrite(html);
    view->DocumentClose();
    QApplication::processEvents();
    return view;
}

TEST(MushafPages, EveryCharacterHasAGlyphInThePageFont) {
    QSet<char32_t> used;
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
    const QFont font = verses.begin().fragment().charFormat().font();
    const QRawFont raw = QRawFont::fromFont(font, QFontDatabase::Arabic);
    ASSERT_TRUE(raw.isValid());
    QStringList missing;
    for (const char32_t c : used) {
        if (!raw.supportsCharacter(c)) {
            missing << QStringLiteral("U+%1").arg(static_cast<uint>(c), 4, 16, QLatin1Char('0'));
        }
    }
    missing.sort();
    EXPECT_TRUE(missing.isEmpty())
        << raw.familyName().toStdString() << " lacks " << missing.join(u' ').toStdString();
    EXPECT_GT(used.size(), 40);
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
                const std::string where = "page " + std::to_string(page) + ", size " +
                                          std::to_string(size) + ", width " + std::to_string(width);
                EXPECT_EQ(check.tornLines, 0) << where << ": " << check.firstTorn.toStdString();
                EXPECT_EQ(check.movedLines, 0) << where;
                EXPECT_EQ(check.unfilledLines, 0) << where;
                EXPECT_EQ(check.wrappedCentredLines, 0) << where;
                EXPECT_EQ(check.numberLineStarts, 0) << where;
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
    EXPECT_EQ(testing::CheckWords(*narrow->document()).wrappedCentredLines, 0);
    // Made wide, the view shows them at their full size again.
    narrow->resize(1600, 700);
    QApplication::processEvents();
    EXPECT_TRUE(fullSize(*narrow));
}

void Write(BrowserControl& view, const QString& html) {
    view.DocumentClear();
    view.DocumentWrite(html);
    view.DocumentClose();
    QApplication::processEvents();
}

// Written without letting the view paint.
void WriteUnpainted(BrowserControl& view, const QString& html) {
    view.DocumentClear();
    view.DocumentWrite(html);
    view.DocumentClose();
}

// A page laid out ahead of time shows the very pixels of the same page laid out when it is
// written: the pages of a few spreads at the widths of a double-page and a single-page view,
// one with a link painted as the bookmark paints it. A view that has since changed its width
// lays the page out afresh.
TEST(MushafPages, PreparedPagesShowThePixelsOfPagesLaidOutWhenWritten) {
    const auto markFirstLink = [](QTextDocument& document) {
        BrowserControl::SetAnchorColorIn(document, 0, Qt::red);
    };
    for (const int width : {360, 750}) {
        BrowserControl prepared(QStringLiteral("wbPageOne"));
        BrowserControl fresh(QStringLiteral("wbPageTwo"));
        for (BrowserControl* view : {&prepared, &fresh}) {
            view->resize(width, 600);
            view->show();
        }
        for (const int page : {1, 2, 187, 188, 603, 604}) {
            const std::string where =
                "page " + std::to_string(page) + ", width " + std::to_string(width);
            const QString html = TheBook().Document(page, 35);
            const bool marked = page == 188;
            prepared.PrepareDocument(
                PadWithZeros(page, 3), html,
                marked ? markFirstLink : std::function<void(QTextDocument&)>());
            ASSERT_TRUE(prepared.IsPrepared(html)) << where;
            EXPECT_FALSE(prepared.IsPrepared(TheBook().Document(page, 36))) << where;
            WriteUnpainted(prepared, html);
            EXPECT_EQ(prepared.PreparedCount(), 0u) << where;  // taken, not laid out again
            ASSERT_TRUE(prepared.PaintsPictureNext()) << where;
            const QImage shown = prepared.grab().toImage();
            EXPECT_FALSE(prepared.PaintsPictureNext()) << where;  // painted whole once
            Write(fresh, html);
            if (marked) {
                fresh.SetAnchorColor(0, Qt::red);
            }
            EXPECT_EQ(shown, fresh.grab().toImage()) << where;
            EXPECT_EQ(prepared.grab().toImage(), fresh.grab().toImage()) << where;
        }
        // In other colours, a link painted after the page is shown, or the page scrolled, is
        // painted as it is now, not as it was prepared (the text areas compared: Fusion's scroll
        // bars may differ by a shade after a change of colours).
        const ShownColours night{QStringLiteral("night"),
                                 [](QRgb c) { return qRgb(255 - qRed(c), 80, 255 - qBlue(c)); },
                                 [](QRgb c) { return c; }};
        for (const bool scrolled : {false, true}) {
            // Small enough that the view shows its own background below it, when not scrolled.
            const QString page187 = TheBook().Document(187, scrolled ? 35 : 12);
            for (BrowserControl* view : {&prepared, &fresh}) {
                view->SetShownColours(night);
            }
            prepared.PrepareDocument(QStringLiteral("187"), page187);
            Write(fresh, page187);
            WriteUnpainted(prepared, page187);
            ASSERT_TRUE(prepared.PaintsPictureNext());
            for (BrowserControl* view : {&prepared, &fresh}) {
                if (scrolled) {
                    view->verticalScrollBar()->setValue(40);
                } else {
                    view->SetAnchorColor(1, Qt::green);
                }
            }
            EXPECT_EQ(prepared.viewport()->grab().toImage(), fresh.viewport()->grab().toImage())
                << (scrolled ? "scrolled" : "a link painted");
        }
        const QString html = TheBook().Document(50, 35);
        prepared.PrepareDocument(QStringLiteral("050"), html);
        for (BrowserControl* view : {&prepared, &fresh}) {
            view->resize(width + 130, 600);
        }
        QApplication::processEvents();
        EXPECT_FALSE(prepared.IsPrepared(html));
        Write(prepared, html);
        Write(fresh, html);
        EXPECT_EQ(prepared.grab().toImage(), fresh.grab().toImage())
            << "resized to " << width + 130;
    }
}

}  // namespace
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
    WriteUnpainted(view, page5);
    EXPECT_TRUE(view.PaintsPictureNext());
    view.PrepareDocument(QStringLiteral("006"), TheBook().Document(6, 30));
    WriteUnpainted(view, page3);  // prepared before the last page was shown
    EXPECT_EQ(view.PreparedCount(), 1u);
    EXPECT_FALSE(view.PaintsPictureNext());
    // In a view too large for more than one picture, the first page prepared gets it.
    view.resize(2200, 2100);
    view.PrepareDocument(QStringLiteral("003"), page3);
    view.PrepareDocument(QStringLiteral("005"), page5);
    WriteUnpainted(view, page5);
    EXPECT_FALSE(view.PaintsPictureNext());
    WriteUnpainted(view, page3);
    EXPECT_TRUE(view.PaintsPictureNext());
}

}  // namespace pagora
