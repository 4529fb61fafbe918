#pragma once

#include <unistd.h>

#include <cerrno>
#include <string>

#include "base/Error.h"

namespace pagora {

// Owns a POSIX file descriptor and closes it when it goes out of scope.
class UniqueFd {
  public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    UniqueFd(UniqueFd&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other) {
            Reset();
            fd_ = other.fd_;
            other.fd_ = -1;
        }
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd() { Reset(); }

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    // Hands the descriptor over to an owner outside this class (fdopendir, for one).
    int Release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

    // Closes now so that a failing close (a write the kernel could not complete) is reported.
    void Close(const std::string& source, const std::string& path) {
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0) {
            throw FileError(errno, source, path);
        }
    }

  private:
    void Reset() {
        if (fd_ >= 0) {
            ::close(fd_);
            fd_ = -1;
        }
    }

    int fd_ = -1;
};

}  // namespace pagora
