#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QThread>
#include <cstdio>
#include <cstring>

#include "platform/ProcessFacts.h"

namespace pagora {

namespace {

QString ExecutablePath(const QStringList& arguments) {
    QString path = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    if (path.isEmpty() && QCoreApplication::instance() != nullptr) {
        path = QCoreApplication::applicationFilePath();
    }
    if (path.isEmpty() && !arguments.isEmpty()) {
        path = QFileInfo(arguments.front()).canonicalFilePath();
    }
    return path;
}

void Warn(const char* what, const QString& path) {
    std::fprintf(stderr, "pagora: %s %s: %s\n", what, qPrintable(path), std::strerror(errno));
}

// A blocking LOCK_SH could wait for ever behind a hung instance that holds LOCK_EX at its
// shut-down; give up after a few seconds and run untracked instead.
bool TakeSharedLock(int fd) {
    for (int attempt = 0; attempt < 500; ++attempt) {
        if (::flock(fd, LOCK_SH | LOCK_NB) == 0) {
            return true;
        }
        if (errno != EWOULDBLOCK && errno != EINTR) {
            return false;
        }
        QThread::msleep(10);
    }
    return false;
}

}  // namespace

SystemProcessFacts::SystemProcessFacts(const QStringList& arguments) {
    const QFileInfo exe(ExecutablePath(arguments));
    folder_ = exe.absolutePath();
    while (folder_.size() > 1 && folder_.endsWith(u'/')) {
        folder_.chop(1);
    }
    name_ = exe.completeBaseName();
    commandLine_ = arguments.mid(1).join(u' ');
}

void SystemProcessFacts::StartInstanceTracking(const QString& lockFolder) {
    if (lock_.valid()) {
        return;
    }
    QDir().mkpath(lockFolder);
    const QString lockPath = QDir(lockFolder).filePath(QStringLiteral("pagora.lock"));
    // Close-on-exec: a program started from here (a web browser) must not inherit the lock.
    lock_ = UniqueFd(::open(QFile::encodeName(lockPath).constData(),
                            O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644));
    if (!lock_.valid()) {
        Warn("cannot open the instance lock", lockPath);
        return;
    }
    // Exclusive only when nobody else holds the file; then shared for the rest of the run, so
    // later instances see this one and the kernel drops it when the process ends, even by a crash.
    if (::flock(lock_.get(), LOCK_EX | LOCK_NB) != 0) {
        otherWasRunning_ = true;
    }
    if (!TakeSharedLock(lock_.get())) {
        Warn("cannot hold the instance lock", lockPath);
        lock_ = UniqueFd();
    }
}

SystemProcessFacts::~SystemProcessFacts() = default;

QString SystemProcessFacts::ExecutableFolder() const {
    return folder_;
}
QString SystemProcessFacts::ExecutableName() const {
    return name_;
}
QString SystemProcessFacts::CommandLineText() const {
    return commandLine_;
}
bool SystemProcessFacts::OtherInstanceWasRunning() const {
    return otherWasRunning_;
}

bool SystemProcessFacts::IsLastRunningInstance() {
    if (!lock_.valid()) {
        // Untracked (no lock file could be held): behave as a lone instance.
        return !otherWasRunning_;
    }
    if (::flock(lock_.get(), LOCK_EX | LOCK_NB) == 0) {
        // Keep it exclusive: an instance starting now sees this one as still running.
        return true;
    }
    // A failed upgrade may have dropped the shared lock; take it back so this instance still
    // counts as running.
    TakeSharedLock(lock_.get());
    return false;
}

}  // namespace pagora
