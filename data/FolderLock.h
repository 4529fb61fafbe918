#pragma once

#include <chrono>
#include <string>

#include "base/UniqueFd.h"

namespace pagora {

// An exclusive lock on a folder, held while the object lives (flock on the folder itself, so
// no lock file is left in it). Readers that share a working folder extract a member, read it
// and delete it under the member's own name; under this lock they do it one at a time. A
// folder that cannot be opened, or stays locked longer than `patience` (a reader stopped in a
// debugger), is used without the lock.
class FolderLock {
  public:
    explicit FolderLock(const std::string& folder,
                        std::chrono::milliseconds patience = std::chrono::seconds(5));
    bool Held() const { return held_; }

  private:
    UniqueFd fd_;
    bool held_ = false;
};

}  // namespace pagora
