#include "reader/FileReaders.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "codec/Error.h"
#include "codec/UniqueFd.h"

namespace pagora {

namespace {

std::vector<char> ReadWholeFile(const std::string& path, const char* source) {
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) {
        throw FileError(errno, source, path);
    }
    std::vector<char> bytes;
    char buffer[1 << 16];
    for (;;) {
        const ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            throw FileError(errno, source, path);
        }
        if (got == 0) {
            return bytes;
        }
        bytes.insert(bytes.end(), buffer, buffer + got);
    }
}

}  // namespace

QString ReadTextFile(const QString& strFileName) {
    const std::string path = strFileName.toStdString();
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return {};
    }
    const std::vector<char> bytes = ReadWholeFile(path, "frmMain.ReadTextFile");
    return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

QString GetFileDataU(const QString& strFileName) {
    const std::vector<char> bytes =
        ReadWholeFile(strFileName.toStdString(), "frmMain.GetFileDataU");
    const size_t units = bytes.size() / 2;
    QString text(static_cast<qsizetype>(units), Qt::Uninitialized);
    for (size_t k = 0; k < units; ++k) {
        const auto low = static_cast<unsigned char>(bytes[2 * k]);
        const auto high = static_cast<unsigned char>(bytes[2 * k + 1]);
        text[static_cast<qsizetype>(k)] = QChar(static_cast<char16_t>(low | (high << 8)));
    }
    return text;
}

void DeleteFile(const QString& path, const char* source) {
    const std::string name = path.toStdString();
    if (::unlink(name.c_str()) != 0) {
        throw FileError(errno, source, name);
    }
}

}  // namespace pagora
