#include "platform/Dialogs.h"

#include <QMessageBox>

namespace pagora {

void QtMessageBoxes::ShowInformation(const QString& text, const QString& title) {
    QMessageBox::information(parent_, title, text, QMessageBox::Ok);
}

void QtMessageBoxes::ShowError(const QString& text, const QString& title) {
    QMessageBox::critical(parent_, title, text, QMessageBox::Ok);
}

}  // namespace pagora
