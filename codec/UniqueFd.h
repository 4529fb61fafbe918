#pragma once

#include <unistd.h>

#include <cerrno>
#include <string>

#include "codec/Error.h"

namespace pagora {

// Owns a POSIX file descriptor and closes it when it goes out of scope.
class UniqueFd {
  public:
    explicit UniqueFd(int fd) : fd_(fd) {}
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    int get() const { return fd_; }
    // Closes now so that a failing close (a write the kernel could not complete) is reported.
    void Close(const std::string& source, const std::string& path) {
        int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0) {
            throw FileError(errno, source, path);
        }
    }

  private:
    int fd_;
};

}  // namespace pagora
