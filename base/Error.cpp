#include "base/Error.h"

#include <cerrno>
#include <cstring>

namespace pagora {

Error FileError(int errnoValue, const std::string& source, const std::string& path) {
    int32_t number = errnum::kPathFileAccessError;
    const char* what = "Path/File access error";
    switch (errnoValue) {
        case ENOENT:
            number = errnum::kFileNotFound;
            what = "File not found";
            break;
        case ENOTDIR:
            number = errnum::kPathNotFound;
            what = "Path not found";
            break;
        case EACCES:
        case EPERM:
        case EROFS:
        case ETXTBSY:
            number = errnum::kPermissionDenied;
            what = "Permission denied";
            break;
        case ENAMETOOLONG:
            number = errnum::kBadFileName;
            what = "Bad file name or number";
            break;
        case EIO:
        case ENOSPC:
        case EDQUOT:
            number = errnum::kDeviceIoError;
            what = "Device I/O error";
            break;
        default:
            break;
    }
    return Error(number, source,
                 std::string(what) + ": " + path + " (" + std::strerror(errnoValue) + ")");
}

}  // namespace pagora
