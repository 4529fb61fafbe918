#pragma once

#include <QString>

class QTextDocument;

namespace pagora::testing {

// How the justified paragraphs of a laid-out document compare with the same paragraphs laid
// out without justification.
struct WordCheck {
    int stretchedLines = 0;  // lines of justified paragraphs but their last ones
    int tornLines = 0;   // lines with a word whose glyphs are not where the plain layout has them
    int movedLines = 0;  // lines that break elsewhere than in the plain layout
    int unfilledLines = 0;        // stretched lines with a space between words that end short of
                                  // their width by half a space or more
    int wrappedCentredLines = 0;  // centred paragraphs (headers, basmala) on more than one line
    int numberLineStarts = 0;     // lines broken at a space in front of a number
    QString firstTorn;            // the first torn word, with how far off its glyphs are
};

// Lays a copy of `shown` out with every justified paragraph left unjustified (same width, same
// fonts) and compares, word by word (a word is a run of characters between white space, so a
// verse number is one), the glyph positions relative to the word's first glyph, to `tolerance`
// pixels, and that the stretched lines span their width.
WordCheck CheckWords(const QTextDocument& shown, double tolerance = 0.5);

}  // namespace pagora::testing
