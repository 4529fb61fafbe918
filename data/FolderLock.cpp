#include "data/FolderLock.h"

#include <fcntl.h>
#include <sys/file.h>

#include <thread>

namespace pagora {

FolderLock::FolderLock(const std::string& folder, std::chrono::milliseconds patience)
    : fd_(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    if (fd_.get() < 0) {
        return;
    }
    const auto giveUp = std::chrono::steady_clock::now() + patience;
    for (;;) {
        held_ = ::flock(fd_.get(), LOCK_EX | LOCK_NB) == 0;
        if (held_ || std::chrono::steady_clock::now() >= giveUp) {
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

}  // namespace pagora
