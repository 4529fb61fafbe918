#include "reader/FileReaders.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "base/Error.h"
#include "base/Files.h"

namespace pagora {

QString ReadTextFile(const QString& strFileName) {
    const std::string path = strFileName.toStdString();
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return {};
    }
    const std::vector<uint8_t> bytes = ReadWholeFile(path, "frmMain.ReadTextFile");
    return QString::fromLatin1(reinterpret_cast<const char*>(bytes.data()),
                               static_cast<qsizetype>(bytes.size()));
}

QString GetFileDataU(const QString& strFileName) {
    const std::vector<uint8_t> bytes =
        ReadWholeFile(strFileName.toStdString(), "frmMain.GetFileDataU");
    const size_t units = bytes.size() / 2;
    QString text(static_cast<qsizetype>(units), Qt::Uninitialized);
    for (size_t k = 0; k < units; ++k) {
        const unsigned low = bytes[2 * k];
        const unsigned high = bytes[2 * k + 1];
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
