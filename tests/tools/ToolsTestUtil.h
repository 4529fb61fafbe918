#pragma once

#include <nlohmann/json.hpp>

#include "tests/support/TestFiles.h"
#include "tools/MushafSources.h"

namespace pagora::pack::testing {

using namespace pagora::testing;

inline const std::string kArchives = PAGORA_ARCHIVE_DIR;

// The sources as the build used them (layout exported by the build's node step).
inline const MushafSources& Sources() {
    static const MushafSources src =
        LoadSources(PAGORA_NODE_MODULES, ReadLayoutFile(PAGORA_LAYOUT_JSON));
    return src;
}

// A fresh private folder, removed with its content.
struct TempDir : TemporaryFolder {
    TempDir() : TemporaryFolder("pagora-tools-test") {}
};

}  // namespace pagora::pack::testing
