#pragma once

#include "platform/Shell.h"

namespace pagora {

// QDesktopServices::openUrl; the link is read as a user would type it (QUrl::fromUserInput), so
// "www.example.com" and "/home/me/file.pdf" work as well as full URLs.
class QtShell : public Shell {
  public:
    bool OpenLink(const QString& link) override;
};

}  // namespace pagora
