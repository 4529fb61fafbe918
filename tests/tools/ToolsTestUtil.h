#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <string>

#include "base/Files.h"
#include "tools/MushafSources.h"

namespace pagora::pack::testing {

// The sources as the build used them (layout exported by the build's node step).
inline const MushafSources& Sources() {
    static const MushafSources src =
        LoadSources(PAGORA_NODE_MODULES, ReadLayoutFile(PAGORA_LAYOUT_JSON));
    return src;
}

inline std::vector<uint8_t> ReadWholeFile(const std::string& path) {
    return pagora::ReadWholeFile(path, "test");
}
inline void WriteWholeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    pagora::WriteNewFile(path, bytes, "test");
}

// A fresh private folder, removed with its content.
class TempDir {
  public:
    TempDir() {
        const char* tmp = std::getenv("TMPDIR");
        path_ = std::string(tmp != nullptr && tmp[0] == '/' ? tmp : "/tmp") +
                "/pagora-tools-test-XXXXXX";
        if (::mkdtemp(path_.data()) == nullptr) {
            std::abort();
        }
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

  private:
    std::string path_;
};

}  // namespace pagora::pack::testing
