#include "interaction/Bookmark.h"

#include "platform/BrowserControl.h"

namespace pagora {

std::optional<QString> NumberLinkItem(const QString& href) {
    static const QString kMarker = QStringLiteral("#num");
    const qsizetype at = href.indexOf(kMarker, 0, Qt::CaseSensitive);
    if (at < 0) {
        return std::nullopt;
    }
    const qsizetype from = at + kMarker.size();
    const qsizetype next = href.indexOf(kMarker, from, Qt::CaseSensitive);
    return next < 0 ? href.mid(from) : href.mid(from, next - from);
}

bool PaintBookmark(BrowserControl& wb, const QString& strItemToMark) {
    bool matched = false;
    const auto anchors = wb.Anchors();
    for (size_t i = 0; i < anchors.size(); ++i) {
        const auto item = NumberLinkItem(anchors[i].href);
        if (!item) {
            continue;
        }
        if (*item != strItemToMark) {
            wb.SetAnchorColor(i, QColor(Qt::blue));
        } else {
            wb.SetAnchorColor(i, QColor(Qt::red));
            matched = true;
        }
    }
    return matched;
}

}  // namespace pagora
