#pragma once

#include <QString>

namespace pagora {

// Opens web addresses and documents with the desktop's default handler.
class Shell {
  public:
    virtual ~Shell() = default;
    // Hands `link` (a web address, URL or file path) to its default handler. Returns whether a
    // handler took it; never shows a message.
    virtual bool OpenLink(const QString& link) = 0;
};

}  // namespace pagora
