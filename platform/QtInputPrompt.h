#pragma once

#include <QPointer>
#include <QWidget>

#include "platform/InputPrompt.h"

namespace pagora {

// The input prompt as a QInputDialog, modal over its parent window.
class QtInputPrompt : public InputPrompt {
  public:
    explicit QtInputPrompt(QWidget* parent = nullptr) : parent_(parent) {}
    QString InputBox(const QString& prompt, const QString& title,
                     const QString& defaultText) override;

  private:
    QPointer<QWidget> parent_;
};

}  // namespace pagora
