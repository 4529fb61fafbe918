#pragma once

#include <QString>

namespace pagora {

// The system clipboard, plain text only. Failures are swallowed: callers hand text to other
// programs on a best-effort basis and never stop for a busy clipboard.
class Clipboard {
  public:
    virtual ~Clipboard() = default;
    virtual void Clear() = 0;
    // Replaces the clipboard's contents with `text` as plain text.
    virtual void SetText(const QString& text) = 0;
    // The clipboard's plain text, or empty when it holds none.
    virtual QString Text() const = 0;
};

}  // namespace pagora
