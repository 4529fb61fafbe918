#pragma once

#include <QString>
#include <QStringList>

#include "base/UniqueFd.h"

namespace pagora {

// Facts about this process that start-up and shut-down depend on.
class ProcessFacts {
  public:
    virtual ~ProcessFacts() = default;
    // Folder of the executable (symbolic links resolved), without trailing "/".
    virtual QString ExecutableFolder() const = 0;
    // File name of the executable without extension.
    virtual QString ExecutableName() const = 0;
    // The arguments left after Qt's own options, joined by single spaces; empty when none.
    virtual QString CommandLineText() const = 0;
    // Starts tracking instances with a lock file in `lockFolder` (the working folder, known only
    // once start-up has fixed it). Call once, before the two questions below. A link in the lock
    // file's place is not followed: the instance then runs untracked.
    virtual void StartInstanceTracking(const QString& lockFolder) = 0;
    // Whether another instance of the reader was already running when this one started.
    virtual bool OtherInstanceWasRunning() const = 0;
    // Whether no other instance is running now (asked at shut-down). When true, this instance
    // keeps counting as running until it ends, so an instance starting meanwhile keeps its files.
    virtual bool IsLastRunningInstance() = 0;
};

// The real process: arguments from QCoreApplication (after Qt removed its own options),
// instance tracking with flock() on a lock file, so a crashed instance leaves no stale lock.
class SystemProcessFacts : public ProcessFacts {
  public:
    explicit SystemProcessFacts(const QStringList& arguments);
    ~SystemProcessFacts() override;
    QString ExecutableFolder() const override;
    QString ExecutableName() const override;
    QString CommandLineText() const override;
    void StartInstanceTracking(const QString& lockFolder) override;
    bool OtherInstanceWasRunning() const override;
    bool IsLastRunningInstance() override;

  private:
    QString folder_;
    QString name_;
    QString commandLine_;
    UniqueFd lock_;
    bool otherWasRunning_ = false;
};

}  // namespace pagora
