#pragma once

#include <QString>

namespace pagora {

// Where page texts come from.
class PageSource {
  public:
    virtual ~PageSource() = default;
    // The text of page `pageKey` ("001".."604"), as stored: CR LF lines. Throws (pagora::Error
    // or another std::exception) with a description naming what failed when it cannot.
    virtual QString FetchPageText(const QString& pageKey) = 0;
};

// Page texts from the page archives beside the program: each page is extracted into the working
// folder, read and deleted again.
class ArchivePageSource : public PageSource {
  public:
    ArchivePageSource(QString archiveFolder, QString workingFolder)
        : archiveFolder_(std::move(archiveFolder)), workingFolder_(std::move(workingFolder)) {}
    QString FetchPageText(const QString& pageKey) override;

  private:
    QString archiveFolder_;
    QString workingFolder_;
};

}  // namespace pagora
