#pragma once

#include <QDialog>
#include <QIcon>

class QKeyEvent;
class QShowEvent;
class QLabel;
class QPushButton;

namespace pagora {

// The about box: product title, version and description, closed with OK (Enter or Escape).
// Fixed size, laid out from its twip design at the screen's logical DPI, centred on the screen.
// Create one for each showing: the load handler runs in the constructor.
class frmAbout : public QDialog {
    Q_OBJECT
  public:
    // `mainWindowIcon` is the main window's icon; a stock icon stands in when it is null.
    // `dpi` converts the design's twips to pixels; 0 (or anything unusable) takes the primary
    // screen's logical DPI, or 96 without a screen.
    explicit frmAbout(const QIcon& mainWindowIcon, double dpi = 0, QWidget* parent = nullptr);

    double Dpi() const { return dpi_; }

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void Form_Load();
    void cmdOK_Click();
    QIcon FallbackIcon() const;
    void CentreOnScreen();

    QIcon mainWindowIcon_;
    double dpi_;
    bool centred_ = false;
    QLabel* picIcon = nullptr;
    QLabel* lblTitle = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblDescription = nullptr;
    QPushButton* cmdOK = nullptr;
    QWidget* Line1 = nullptr;
};

}  // namespace pagora
