#include "tests/support/JustifiedWords.h"

#include <QAbstractTextDocumentLayout>
#include <QGlyphRun>
#include <QRawFont>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <cmath>
#include <memory>
#include <vector>

namespace pagora::testing {

namespace {

bool IsJustified(const QTextBlock& block) {
    return (block.blockFormat().alignment() & Qt::AlignHorizontal_Mask) == Qt::AlignJustify;
}

// The x positions of a word's glyphs in drawing order, relative to the first.
std::vector<double> GlyphOffsets(const QTextLayout& layout, int from, int length) {
    std::vector<double> xs;
    for (const QGlyphRun& run : layout.glyphRuns(from, length)) {
        for (const QPointF& p : run.positions()) {
            xs.push_back(p.x());
        }
    }
    for (size_t i = xs.size(); i-- > 0;) {
        xs[i] -= xs[0];
    }
    return xs;
}

// How far the word's glyphs are from their plain places; infinite when they differ in number.
double WordError(const QTextLayout& shown, const QTextLayout& plain, int from, int length) {
    const std::vector<double> a = GlyphOffsets(shown, from, length);
    const std::vector<double> b = GlyphOffsets(plain, from, length);
    if (a.size() != b.size()) {
        return INFINITY;
    }
    double worst = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        worst = std::max(worst, std::abs(a[i] - b[i]));
    }
    return worst;
}

// The width from the left edge of the leftmost glyph to the right edge of the rightmost one,
// and half the width of a space in the line's font.
std::pair<double, double> Span(const QTextLayout& layout, int from, int length) {
    double left = INFINITY;
    double right = -INFINITY;
    double halfSpace = 0;
    for (const QGlyphRun& run : layout.glyphRuns(from, length)) {
        const QRawFont font = run.rawFont();
        const QList<quint32> space = font.glyphIndexesForString(QStringLiteral(" "));
        if (!space.isEmpty()) {
            halfSpace = std::max(halfSpace, font.advancesForGlyphIndexes(space).first().x() / 2);
        }
        const QList<QPointF> positions = run.positions();
        const QList<QPointF> advances = run.rawFont().advancesForGlyphIndexes(run.glyphIndexes());
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
        const QTextBlock original = shown.findBlock(block.position());
        block.layout()->setFormats(original.layout()->formats());
        if (IsJustified(block)) {
            QTextBlockFormat format = block.blockFormat();
            format.setAlignment(Qt::AlignRight);
            QTextCursor(block).setBlockFormat(format);
        }
    }
    plain->documentLayout()->documentSize();

    for (QTextBlock block = shown.begin(); block.isValid(); block = block.next()) {
        const QTextLayout& layout = *block.layout();
        const bool centred =
            (block.blockFormat().alignment() & Qt::AlignHorizontal_Mask) == Qt::AlignHCenter;
        if (centred && layout.lineCount() > 1 && !block.text().trimmed().isEmpty()) {
            ++check.wrappedCentredLines;
        }
        if (!IsJustified(block)) {
            continue;
        }
        const QTextBlock other = plain->findBlock(block.position());
        const QTextLayout& reference = *other.layout();
        const QString text = block.text();
        for (int i = 0; i < layout.lineCount(); ++i) {
            const QTextLine line = layout.lineAt(i);
            // A line may only be broken in front of a number where no room was left for it.
            if (line.textStart() > 0 && text[line.textStart() - 1] == u' ' &&
                text[line.textStart()].isDigit()) {
                ++check.numberLineStarts;
            }
            if (i >= reference.lineCount() || reference.lineAt(i).textStart() != line.textStart() ||
                reference.lineAt(i).textLength() != line.textLength()) {
                ++check.movedLines;
                continue;
            }
            if (i + 1 == layout.lineCount()) {
                continue;  // a paragraph's last line is not stretched
            }
            ++check.stretchedLines;
            int end = line.textStart() + line.textLength();
            while (end > line.textStart() && text[end - 1].isSpace()) {
                --end;
            }
            const bool hasSpace = text.mid(line.textStart(), end - line.textStart())
                                      .contains(QRegularExpression(QStringLiteral("\\s")));
            // Marks at a word's end may take room of their own that no glyph shows; a line
            // short by half a space or more is not stretched.
            const bool room = line.naturalTextWidth() < line.width();  // no overlong word
            const auto [span, halfSpace] = Span(layout, line.textStart(), end - line.textStart());
            if (hasSpace && room && span < line.width() - std::max(1.0, halfSpace)) {
                ++check.unfilledLines;
            }
            for (int from = line.textStart(); from < end;) {
                if (text[from].isSpace()) {
                    ++from;
                    continue;
                }
                int to = from;
                while (to < end && !text[to].isSpace()) {
                    ++to;
                }
                const double error = WordError(layout, reference, from, to - from);
                if (error > tolerance) {
                    if (check.firstTorn.isEmpty()) {
                        check.firstTorn = QStringLiteral("\"%1\" off by %2 px")
                                              .arg(text.mid(from, to - from))
                                              .arg(error, 0, 'f', 2);
                    }
                    ++check.tornLines;
                    break;
                }
                from = to;
            }
        }
    }
    return check;
}

}  // namespace pagora::testing
