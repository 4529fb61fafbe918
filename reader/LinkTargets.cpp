#include "reader/LinkTargets.h"

namespace pagora {

namespace {

std::optional<QString> ItemAfter(const QString& href, const QString& marker) {
    const qsizetype at = href.indexOf(marker, 0, Qt::CaseSensitive);
    if (at < 0) {
        return std::nullopt;
    }
    const qsizetype from = at + marker.size();
    const qsizetype next = href.indexOf(marker, from, Qt::CaseSensitive);
    return next < 0 ? href.mid(from) : href.mid(from, next - from);
}

}  // namespace

std::optional<QString> NumberLinkItem(const QString& href) {
    return ItemAfter(href, QStringLiteral("#num"));
}

std::optional<QString> VerseLinkItem(const QString& href) {
    return ItemAfter(href, QStringLiteral("#aya"));
}

}  // namespace pagora
