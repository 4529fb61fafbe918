#include "platform/WordJustification.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>

// Qt offers no public switch for the kind of justification; its shaped glyphs carry it.
#include <QtGui/private/qtextengine_p.h>

namespace pagora {

namespace {

// Qt's classes of justification points (JustificationClass in qtextengine.cpp): none, a space
// inside Arabic script, the gap after a letter or a digit, a space elsewhere.
constexpr uchar kNoJustification = 0;
constexpr uchar kArabicSpace = 1;
constexpr uchar kBetweenLetters = 2;
constexpr uchar kSpace = 4;

bool IsJustified(const QTextBlock& block) {
    return (block.blockFormat().alignment() & Qt::AlignHorizontal_Mask) == Qt::AlignJustify;
}

// Takes the gaps between letters and digits out of Qt's justification points. Returns whether
// any was left.
bool DemoteLetterGaps(QTextEngine& engine) {
    bool demoted = false;
    for (int item = 0; item < engine.layoutData->items.size(); ++item) {
        if (engine.layoutData->items[item].analysis.flags >= QScriptAnalysis::TabOrObject) {
            continue;
        }
        if (engine.layoutData->items[item].num_glyphs == 0) {
            engine.shape(item);
        }
        const QGlyphLayout glyphs = engine.shapedGlyphs(&engine.layoutData->items[item]);
        for (int g = 0; g < glyphs.numGlyphs; ++g) {
            if (glyphs.attributes[g].justification == kBetweenLetters) {
                glyphs.attributes[g].justification = kNoJustification;
                demoted = true;
            }
        }
    }
    return demoted;
}

// Spreads the free width of `line` over the spaces between its words, as Qt's own
// justification does but over the whole line: in a right-to-left paragraph Qt keeps the width
// of the space at the line's break free at the start of the line, which leaves every stretched
// line short of the right margin; here that space hangs outside the line, and the free width
// is what the glyphs leave of the line. A paragraph's last line, a line before a forced break
// and a line without a space are left to Qt (which leaves them as they are, the letter gaps
// being taken out).
void JustifyLine(QTextEngine& engine, QScriptLine& line) {
    const QString& text = engine.layoutData->string;
    const int end = line.from + line.length + line.trailingSpaces;
    if (end >= text.size() || engine.layoutData->items[engine.findItem(end - 1)].analysis.flags ==
                                  QScriptAnalysis::LineOrParagraphSeparator) {
        return;
    }
    const QCharAttributes* attributes = engine.attributes();
    int contentEnd = line.from + line.length;
    while (contentEnd > line.from && attributes[contentEnd - 1].whiteSpace) {
        --contentEnd;
    }
    if (contentEnd - line.from < 2) {
        return;
    }
    QFixed used;
    std::vector<QGlyphJustification*> spaces;
    const int firstItem = engine.findItem(line.from);
    const int lastItem = engine.findItem(contentEnd - 1, firstItem);
    for (int item = firstItem; item >= 0 && item <= lastItem; ++item) {
        const QScriptItem& si = engine.layoutData->items[item];
        if (si.analysis.flags >= QScriptAnalysis::TabOrObject || si.num_glyphs == 0) {
            used += si.width;
            continue;
        }
        const unsigned short* clusters = engine.logClusters(&si);
        const int start = std::max(line.from - si.position, 0);
        const int stop = std::min(contentEnd - si.position, engine.length(item));
        const int endGlyph = stop == engine.length(item) ? si.num_glyphs : clusters[stop];
        const QGlyphLayout glyphs = engine.shapedGlyphs(&si);
        for (int g = clusters[start]; g < endGlyph; ++g) {
            glyphs.justifications[g] = QGlyphJustification();
            used += glyphs.advances[g] * !glyphs.attributes[g].dontPrint;
        }
        // No stretch after the line's last character.
        for (int c = start; c < stop && si.position + c < contentEnd - 1; ++c) {
            const uchar kind = glyphs.attributes[clusters[c]].justification;
            QGlyphJustification* point = &glyphs.justifications[clusters[c]];
            if ((kind == kArabicSpace || kind == kSpace) &&
                (spaces.empty() || spaces.back() != point)) {
                spaces.push_back(point);
            }
        }
    }
    QFixed need = line.width - used;
    if (spaces.empty() || need <= 0) {
        return;
    }
    for (size_t k = 0; k < spaces.size(); ++k) {
        const QFixed add = need / static_cast<int>(spaces.size() - k);
        spaces[k]->space_18d6 = static_cast<uint>(add.value());
        need -= add;
    }
    line.justified = 1;
    line.gridfitted = 1;
}

}  // namespace

void JustifyBetweenWords(const QTextDocument& document) {
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        QTextEngine* engine = block.layout()->engine();
        if (!IsJustified(block) || engine->lines.isEmpty()) {
            continue;
        }
        engine->itemize();  // the shaped glyphs are kept unless the layout drops its cache
        if (engine->layoutData == nullptr) {
            continue;
        }
        const bool demoted = DemoteLetterGaps(*engine);
        for (QScriptLine& line : engine->lines) {
            if (demoted) {
                line.justified = 0;  // justified between letters before
            }
            if (!line.justified) {
                JustifyLine(*engine, line);
            }
        }
    }
}

}  // namespace pagora
