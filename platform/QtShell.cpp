#include "platform/QtShell.h"

#include <QDesktopServices>
#include <QGuiApplication>
#include <QUrl>

namespace pagora {

bool QtShell::OpenLink(const QString& link) {
    const QString trimmed = link.trimmed();
    if (trimmed.isEmpty()) {
        return false;
    }
    const QUrl url = QUrl::fromUserInput(trimmed);
    if (!url.isValid()) {
        return false;
    }
    // The platform's services (and their desktop handlers) exist only with a GUI application.
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) {
        return false;
    }
    return QDesktopServices::openUrl(url);
}

}  // namespace pagora
