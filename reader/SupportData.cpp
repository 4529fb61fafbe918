#include "reader/SupportData.h"

#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <vector>

#include "base/Error.h"
#include "data/FolderLock.h"
#include "data/Module1.h"
#include "reader/FileReaders.h"

namespace pagora {

namespace {

constexpr char kSource[] = "frmMain.Form_Load";

Error MissingArchive(const QString& archive) {
    const QString folder = QFileInfo(archive).absolutePath();
    return Error(errnum::kFileNotFound, kSource,
                 "The support archive was not found: " + archive.toStdString() +
                     "\nBuild the reader's data with \"make\" in the source folder, or with "
                     "\"pagora-pack build --out " +
                     folder.toStdString() +
                     "\", so that support.dat and order0.dat to order9.dat lie beside the "
                     "pagora program.");
}

Error MissingMember(const QString& archive, const char* member) {
    return Error(errnum::kFileNotFound, kSource,
                 "The support archive " + archive.toStdString() + " holds no member \"" + member +
                     "\"; rebuild the reader's data.");
}

// Extracts the members one at a time; should start-up fail, the text files it left are removed.
class Unpacker {
  public:
    Unpacker(const QString& archive, const QString& workingFolder)
        : archive_(archive), folder_(workingFolder) {}
    Unpacker(const Unpacker&) = delete;
    Unpacker& operator=(const Unpacker&) = delete;
    ~Unpacker() {
        for (const QString& path : leftBehind_) {
            ::unlink(path.toStdString().c_str());
        }
    }

    // Extracts `member`, which another reader may share (the frame images), or which is this
    // reader's own until it is deleted.
    void ExtractShared(const char* member) {
        if (ExtractArchiveMember(archive_.toStdString(), member) == "filenotfound") {
            throw MissingMember(archive_, member);
        }
    }
    QString ExtractOwn(const char* member) {
        const QString path = folder_ + QString::fromLatin1(member);
        leftBehind_.push_back(path);
        ExtractShared(member);
        return path;
    }
    // Reads a text member with `reader` and deletes it at once.
    QString ReadAndDelete(const char* member, QString (*reader)(const QString&)) {
        const QString path = ExtractOwn(member);
        QString text = reader(path);
        DeleteFile(path, kSource);
        leftBehind_.pop_back();
        return text;
    }
    QStringList Table(const char* member, const QString& separator) {
        return SplitTable(ReadAndDelete(member, ReadTextFile), separator);
    }

  private:
    QString archive_;
    QString folder_;
    std::vector<QString> leftBehind_;
};

}  // namespace

QString ArchiveFolder(const QString& executableFolder) {
    const auto holdsArchives = [](const QString& folder) {
        return QFileInfo(folder + QStringLiteral("/support.dat")).isFile();
    };
    if (holdsArchives(executableFolder)) {
        return executableFolder;
    }
    const QString installed =
        QDir::cleanPath(executableFolder + QStringLiteral("/../share/pagora"));
    return holdsArchives(installed) ? installed : executableFolder;
}

QuranIndex UnpackSupportFiles(const QString& archive, const QString& workingFolder) {
    if (!QFileInfo(archive).isFile()) {
        throw MissingArchive(archive);
    }
    const FolderLock oneStartAtATime(QFile::encodeName(workingFolder).toStdString());
    Unpacker unpacker(archive, workingFolder);
    const QString crlf = QStringLiteral("\r\n");
    QuranIndex index;
    index.suraStart = unpacker.Table("quranpageindex.txt", crlf);
    index.juzStart = unpacker.Table("juzpageindex.txt", crlf);
    index.suraNames = unpacker.Table("suranamesenglish.txt", crlf);
    // Read and deleted under the name it was extracted with: file names here are case-sensitive.
    index.pageStart = unpacker.Table("pagestartsuraverse.txt", QStringLiteral(";"));
    index.suraMarker = unpacker.ReadAndDelete("surat.txt", GetFileDataU);
    index.pageFrame = unpacker.ReadAndDelete("border.html", ReadTextFile);
    index.pageFrame.replace(QStringLiteral("##imagepath##"), workingFolder);
    index.verseCount = unpacker.Table("verse-count.txt", crlf);
    index.hizbQuarterStart = unpacker.Table("hizbquarterindex.txt", crlf);
    // A frame without its images would show holes round every page.
    for (const char* image : kFrameImages) {
        unpacker.ExtractShared(image);
    }
    return index;
}

void RemoveFrameImages(const QString& workingFolder) {
    for (const char* image : kFrameImages) {
        ::unlink((workingFolder + QString::fromLatin1(image)).toStdString().c_str());
    }
}

}  // namespace pagora
