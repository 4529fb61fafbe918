#pragma once

#include <QString>

class QWidget;

namespace pagora {

// Modal message boxes, behind an interface so tests can answer them.
class MessageBoxes {
  public:
    virtual ~MessageBoxes() = default;
    // An information box with an OK button only.
    virtual void ShowInformation(const QString& text, const QString& title) = 0;
    // An error box with an OK button only.
    virtual void ShowError(const QString& text, const QString& title) = 0;
};

class QtMessageBoxes : public MessageBoxes {
  public:
    explicit QtMessageBoxes(QWidget* parent = nullptr) : parent_(parent) {}
    void ShowInformation(const QString& text, const QString& title) override;
    void ShowError(const QString& text, const QString& title) override;

  private:
    QWidget* parent_;
};

}  // namespace pagora
