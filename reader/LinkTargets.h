#pragma once

#include <QString>
#include <optional>

namespace pagora {

// The item text of a link target: what follows the first "#num" up to any further "#num", or
// nothing when the target holds no "#num".
std::optional<QString> NumberLinkItem(const QString& href);

// Likewise after "#aya": the verse's ordinal on its page.
std::optional<QString> VerseLinkItem(const QString& href);

}  // namespace pagora
