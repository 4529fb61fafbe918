#include "platform/QtInputPrompt.h"

#include <QInputDialog>

namespace pagora {

QString QtInputPrompt::InputBox(const QString& prompt, const QString& title,
                                const QString& defaultText) {
    // On the heap and watched: should the parent go away while the prompt waits, it takes the
    // dialog with it.
    QPointer<QInputDialog> dialog = new QInputDialog(parent_);
    dialog->setObjectName(QStringLiteral("InputBox"));
    dialog->setInputMode(QInputDialog::TextInput);
    dialog->setWindowTitle(title);
    dialog->setLabelText(prompt);
    dialog->setTextValue(defaultText);
    dialog->setWindowModality(Qt::ApplicationModal);
    const int result = dialog->exec();
    if (dialog.isNull()) {
        return QString();
    }
    const QString text = result == QDialog::Accepted ? dialog->textValue() : QString();
    delete dialog;
    return text;
}

}  // namespace pagora
