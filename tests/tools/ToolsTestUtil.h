#pragma once

#include <nlohmann/json.hpp>

#include "tests/support/TestFiles.h"
#include "tools/MushafSources.h"

namespace pagora::pack::testing {

using namespace pagora::testing;

// The sources as the build used them (layout exported by the build's node step).
inline const MushafSources& Sources() {
    static const MushafSources src =
        LoadSources(PAGORA_NODE_MODULES, ReadLayoutFile(PAGORA_LAYOUT_JSON));
    return src;
}

// A fresh private folder, removed with its content.
class TempDir : public TemporaryFolder {
  public:
    TempDir() : TemporaryFolder("pagora-tools-test") {}
};

}  // namespace pagora::pack::testing
