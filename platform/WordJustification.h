#pragma once

class QTextDocument;

namespace pagora {

// Qt justifies a line of Arabic script by widening the gaps between letters and digits before
// it widens the spaces, which tears words and numbers apart. For every laid-out justified
// paragraph of `document` this takes the letter gaps out of Qt's justification, so that Qt's
// own justification (done when a line is first drawn or hit) widens only the spaces between
// words. The last line of a paragraph stays unjustified, as Qt leaves it. Call it after every
// layout of the document and before lines are drawn; repeated calls cost one pass over the
// glyphs and change nothing more.
void JustifyBetweenWords(const QTextDocument& document);

}  // namespace pagora
