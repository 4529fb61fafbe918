#include "platform/QtClipboard.h"

#include <QClipboard>
#include <QGuiApplication>

namespace pagora {

namespace {

// QGuiApplication::clipboard() aborts without a GUI application object.
QClipboard* SystemClipboard() {
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) {
        return nullptr;
    }
    return QGuiApplication::clipboard();
}

}  // namespace

void QtClipboard::Clear() {
    if (QClipboard* clipboard = SystemClipboard()) {
        clipboard->clear(QClipboard::Clipboard);
    }
}

void QtClipboard::SetText(const QString& text) {
    if (QClipboard* clipboard = SystemClipboard()) {
        clipboard->setText(text, QClipboard::Clipboard);
    }
}

QString QtClipboard::Text() const {
    if (QClipboard* clipboard = SystemClipboard()) {
        return clipboard->text(QClipboard::Clipboard);
    }
    return QString();
}

}  // namespace pagora
