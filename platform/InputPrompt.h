#pragma once

#include <QString>

namespace pagora {

// Modal input prompts, behind an interface so tests can answer them.
class InputPrompt {
  public:
    virtual ~InputPrompt() = default;
    // Shows a modal prompt with `prompt` as its message, `title` as its title and `defaultText`
    // in its edit field, OK and Cancel. OK gives the typed text; Cancel gives the empty text, so
    // a cancelled prompt and an emptied field look alike to the caller.
    virtual QString InputBox(const QString& prompt, const QString& title,
                             const QString& defaultText) = 0;
};

}  // namespace pagora
