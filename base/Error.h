#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace pagora {

// An error as the reader reports it: a number, the routine it came from and a description.
// The codec's own failures use kComponentError; failures of the underlying file and conversion
// services use the classic run-time numbers below.
class Error : public std::runtime_error {
  public:
    Error(int32_t number, std::string source, std::string description)
        : std::runtime_error(description),
          number_(number),
          source_(std::move(source)),
          description_(std::move(description)) {}

    int32_t Number() const { return number_; }
    const std::string& Source() const { return source_; }
    const std::string& Description() const { return description_; }

  private:
    int32_t number_;
    std::string source_;
    std::string description_;
};

namespace errnum {
inline constexpr int32_t kComponentError = static_cast<int32_t>(0x80040000u);
inline constexpr int32_t kInvalidArgument = 5;
inline constexpr int32_t kOverflow = 6;
inline constexpr int32_t kSubscriptOutOfRange = 9;
inline constexpr int32_t kTypeMismatch = 13;
inline constexpr int32_t kBadFileName = 52;
inline constexpr int32_t kFileNotFound = 53;
inline constexpr int32_t kDeviceIoError = 57;
inline constexpr int32_t kBadRecordNumber = 63;
inline constexpr int32_t kPermissionDenied = 70;
inline constexpr int32_t kPathFileAccessError = 75;
inline constexpr int32_t kPathNotFound = 76;
}  // namespace errnum

// Maps an errno value from a failed file operation on `path` to an Error.
Error FileError(int errnoValue, const std::string& source, const std::string& path);

}  // namespace pagora
