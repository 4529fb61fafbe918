#include "reader/PageSource.h"

#include <unistd.h>

#include <QFile>

#include "base/Error.h"
#include "data/FolderLock.h"
#include "data/Module1.h"
#include "reader/FileReaders.h"
#include "reader/PageDocument.h"

namespace pagora {

QString ArchivePageSource::FetchPageText(const QString& pageKey) {
    const QString archive = archiveFolder_ + QLatin1Char('/') + PageArchiveName(pageKey);
    const QString file = workingFolder_ + pageKey;
    // Another reader may fetch the same page into the same folder at this moment.
    const FolderLock onePageAtATime(QFile::encodeName(workingFolder_).toStdString());
    if (ExtractArchiveMember(archive.toStdString(), pageKey.toStdString()) == "filenotfound") {
        throw Error(errnum::kFileNotFound, "frmMain.LoadPage",
                    archive.toStdString() + " holds no page " + pageKey.toStdString() + ".");
    }
    struct RemoveAfterReading {
        std::string path;
        ~RemoveAfterReading() { ::unlink(path.c_str()); }
    } remove{file.toStdString()};
    return GetFileDataU(file);
}

}  // namespace pagora
