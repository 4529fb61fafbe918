#pragma once

#include <QString>
#include <optional>

namespace pagora {

class BrowserControl;

// The item text of a link target: what follows the first "#num" up to any further "#num", or
// nothing when the target holds no "#num".
std::optional<QString> NumberLinkItem(const QString& href);

// Paints the number links of the view's document: the one whose item text equals
// `strItemToMark` red, every other one blue. Verse links keep their colour. Returns whether some
// number link matched.
bool PaintBookmark(BrowserControl& wb, const QString& strItemToMark);

}  // namespace pagora
