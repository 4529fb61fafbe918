#include "tests/support/JustifiedWords.h"

#include <QAbstractTextDocumentLayout>
#include <QGlyphRun>
#include <QRawFont>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace pagora::testing {

namespace {

Qt::Alignment Alignment(const QTextBlock& block) {
    return block.blockFormat().alignment() & Qt::AlignHorizontal_Mask;
}

// How far the word's glyphs are from their plain places, each taken relative to the word's first
// glyph in drawing order; infinite when they differ in number.
double WordError(const QTextLayout& shown, const QTextLayout& plain, int from, int length) {
    const auto xs = [&](const QTextLayout& layout) {
        std::vector<double> xs;
        for (const QGlyphRun& run : layout.glyphRuns(from, length)) {
            for (const QPointF& p : run.positions()) {
                xs.push_back(p.x());
            }
        }
        return xs;
    };
    const std::vector<double> a = xs(shown);
    const std::vector<double> b = xs(plain);
    double worst = a.size() == b.size() ? 0 : INFINITY;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
        worst = std::max(worst, std::abs((a[i] - a[0]) - (b[i] - b[0])));
    }
    return worst;
}

// The width from the left edge of the leftmost glyph to the right edge of the rightmost one,
// and half the width of a space in the line's font.
std::pair<double, double> Span(const QTextLayout& layout, int from, int length) {
    double left = INFINITY, right = -INFINITY, halfSpace = 0;
    for (const QGlyphRun& run : layout.glyphRuns(from, length)) {
        const QRawFont font = run.rawFont();
        const QList<quint32> space = font.glyphIndexesForString(QStringLiteral(" "));
        if (!space.isEmpty()) {
            halfSpace = std::max(halfSpace, font.advancesForGlyphIndexes(space).first().x() / 2);
        }
        const QList<QPointF> positions = run.positions();
        const QList<QPointF> advances = font.advancesForGlyphIndexes(run.glyphIndexes());
        for (qsizetype i = 0; i < positions.size(); ++i) {
            left = std::min(left, positions[i].x());
            right = std::max(right, positions[i].x() + advances[i].x());
        }
    }
    return {right - left, halfSpace};
}

}  // namespace

WordCheck CheckWords(const QTextDocument& shown, double tolerance) {
    WordCheck check;
    shown.documentLayout()->documentSize();
    const std::unique_ptr<QTextDocument> plain(shown.clone());
    for (QTextBlock block = plain->begin(); block.isValid(); block = block.next()) {
        block.layout()->setFormats(shown.findBlock(block.position()).layout()->formats());
        if (Alignment(block) == Qt::AlignJustify) {
            QTextBlockFormat format = block.blockFormat();
            format.setAlignment(Qt::AlignRight);
            QTextCursor(block).setBlockFormat(format);
        }
    }
    plain->documentLayout()->documentSize();

    for (QTextBlock block = shown.begin(); block.isValid(); block = block.next()) {
        const QTextLayout& layout = *block.layout();
        const QString text = block.text();
        if (Alignment(block) == Qt::AlignHCenter && layout.lineCount() > 1 &&
            !text.trimmed().isEmpty()) {
            ++check.wrappedCentredLines;
        }
        if (Alignment(block) != Qt::AlignJustify) {
            continue;
        }
        const QTextLayout& reference = *plain->findBlock(block.position()).layout();
        for (int i = 0; i < layout.lineCount(); ++i) {
            const QTextLine line = layout.lineAt(i);
            const int start = line.textStart();
            // A line may only be broken in front of a number where no room was left for it.
            if (start > 0 && text[start - 1] == u' ' && text[start].isDigit()) {
                ++check.numberLineStarts;
            }
            if (i >= reference.lineCount() || reference.lineAt(i).textStart() != start ||
                reference.lineAt(i).textLength() != line.textLength()) {
                ++check.movedLines;
                continue;
            }
            if (i + 1 == layout.lineCount()) {
                continue;  // a paragraph's last line is not stretched
            }
            ++check.stretchedLines;
            int end = start + line.textLength();
            while (end > start && text[end - 1].isSpace()) {
                --end;
            }
            const bool hasSpace = std::any_of(text.begin() + start, text.begin() + end,
                                              [](QChar c) { return c.isSpace(); });
            // Marks at a word's end may take room of their own that no glyph shows; a line
            // short by half a space or more is not stretched.
            const bool room = line.naturalTextWidth() < line.width();  // no overlong word
            const auto [span, halfSpace] = Span(layout, start, end - start);
            if (hasSpace && room && span < line.width() - std::max(1.0, halfSpace)) {
                ++check.unfilledLines;
            }
            for (int from = start; from < end;) {
                int to = from;
                while (to < end && !text[to].isSpace()) {
                    ++to;
                }
                const double error = to > from ? WordError(layout, reference, from, to - from) : 0;
                if (error > tolerance) {
                    if (check.firstTorn.isEmpty()) {
                        check.firstTorn = QStringLiteral("\"%1\" off by %2 px")
                                              .arg(text.mid(from, to - from))
                                              .arg(error, 0, 'f', 2);
                    }
                    ++check.tornLines;
                    break;
                }
                from = to + 1;
            }
        }
    }
    return check;
}

}  // namespace pagora::testing
