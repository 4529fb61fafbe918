#pragma once

#include <cstdio>

#include "platform/Dialogs.h"

namespace pagora::testing {

// Message boxes for programs that run the reader without anyone to answer: each message goes
// to stderr.
class PrintingMessageBoxes : public MessageBoxes {
  public:
    void ShowInformation(const QString& text, const QString&) override {
        std::fprintf(stderr, "%s\n", qPrintable(text));
    }
    void ShowError(const QString& text, const QString&) override {
        std::fprintf(stderr, "%s\n", qPrintable(text));
    }
};

}  // namespace pagora::testing
