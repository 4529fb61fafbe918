#pragma once

#include "platform/Clipboard.h"

namespace pagora {

// The desktop clipboard (not the X11 selection) through QGuiApplication::clipboard(). Does
// nothing, and reads as empty, when no GUI application object exists.
class QtClipboard : public Clipboard {
  public:
    void Clear() override;
    void SetText(const QString& text) override;
    QString Text() const override;
};

}  // namespace pagora
