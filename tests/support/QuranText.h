#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pagora::testing {

// The whole Uthmani text of the pinned quran-json package, one verse per line (CR LF), as
// UTF-16LE bytes without byte-order mark. Throws when the package is not installed.
std::vector<uint8_t> QuranTextUtf16(const std::string& nodeModules);

}  // namespace pagora::testing
