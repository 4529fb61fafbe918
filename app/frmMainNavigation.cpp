// The main window's navigation: next and previous page or spread, the page and text-size
// prompts, the Z and X keys, and the sura and juz choosers.
#include <QEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QPushButton>
#include <string>
#include <vector>

#include "app/frmMain.h"
#include "menu/clsNewMenu.h"
#include "navigation/GoToMenus.h"
#include "navigation/PageSteps.h"
#include "navigation/TypedNumber.h"
#include "platform/BrowserControl.h"
#include "platform/QtInputPrompt.h"
#include "platform/QtPopupMenu.h"

namespace pagora {

namespace {

// The virtual-key code of a Qt key: letters and digits keep their code, the cursor and
// editing keys get theirs; 0 for keys the window has no code for.
int VirtualKeyCode(int qtKey) {
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)) {
        return qtKey;
    }
    switch (qtKey) {
        case Qt::Key_Backspace:
            return 8;
        case Qt::Key_Tab:
            return 9;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return 13;
        case Qt::Key_Escape:
            return 27;
        case Qt::Key_Space:
            return 32;
        case Qt::Key_PageUp:
            return 33;
        case Qt::Key_PageDown:
            return 34;
        case Qt::Key_End:
            return 35;
        case Qt::Key_Home:
            return 36;
        case Qt::Key_Left:
            return 37;
        case Qt::Key_Up:
            return 38;
        case Qt::Key_Right:
            return 39;
        case Qt::Key_Down:
            return 40;
        case Qt::Key_Insert:
            return 45;
        case Qt::Key_Delete:
            return 46;
        default:
            return 0;
    }
}

// The shift state as a bit set: 1 Shift, 2 Ctrl, 4 Alt.
int ShiftState(Qt::KeyboardModifiers modifiers) {
    return (modifiers.testFlag(Qt::ShiftModifier) ? 1 : 0) |
           (modifiers.testFlag(Qt::ControlModifier) ? 2 : 0) |
           (modifiers.testFlag(Qt::AltModifier) ? 4 : 0);
}

// Hands the window's command keys to Form_KeyDown, wherever in the window they were pressed.
// Watches the window itself, which sees the keys its buttons and frames pass on, and the page
// views, so that a view can never keep Z or X for itself; the views keep every other key for
// scrolling.
class NavigationKeys : public QObject {
  public:
    explicit NavigationKeys(frmMain& window) : QObject(&window), window_(window) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            const int code = VirtualKeyCode(key->key());
            if (CommandForKey(code) != KeyCommand::None) {
                window_.Form_KeyDown(code, ShiftState(key->modifiers()));
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    frmMain& window_;
};

PageMode ModeOf(const frmMain& window) {
    // The same test, in the same order, as LoadQuranPage makes.
    if (!window.fraOnePage().isHidden()) {
        return PageMode::Single;
    }
    if (!window.fraTwoPage().isHidden()) {
        return PageMode::Double;
    }
    return PageMode::Neither;
}

std::vector<std::string> StdLines(const QStringList& table) {
    std::vector<std::string> lines;
    lines.reserve(static_cast<std::size_t>(table.size()));
    for (const QString& line : table) {
        lines.push_back(line.toStdString());
    }
    return lines;
}

}  // namespace

void frmMain::WireNavigation() {
    ownPrompt_ = std::make_unique<QtInputPrompt>(this);
    prompt_ = ownPrompt_.get();
    popupMenu_ = std::make_shared<QtPopupMenu>();

    auto wire = [this](QPushButton& button, void (frmMain::*handler)()) {
        connect(&button, &QPushButton::clicked, this, [this, handler] { (this->*handler)(); });
    };
    wire(cmdNext(), &frmMain::cmdNext_Click);
    wire(cmdPrevious(), &frmMain::cmdPrevious_Click);
    wire(cmdPageNo(), &frmMain::cmdPageNo_Click);
    wire(cmdTextSize(), &frmMain::cmdTextSize_Click);
    wire(cmdIncrease(), &frmMain::cmdIncrease_Click);
    wire(cmdDecrease(), &frmMain::cmdDecrease_Click);
    wire(cmdSuraSelect(), &frmMain::cmdSuraSelect_Click);
    wire(cmdSelectJuz(), &frmMain::cmdSelectJuz_Click);

    auto* keys = new NavigationKeys(*this);
    installEventFilter(keys);
    for (BrowserControl* view : {wbSinglePage_, wbPageOne_, wbPageTwo_}) {
        view->installEventFilter(keys);
    }
}

void frmMain::SetNavigationServices(InputPrompt& prompt, std::shared_ptr<PopupMenu> popupMenu) {
    prompt_ = &prompt;
    if (popupMenu) {
        popupMenu_ = std::move(popupMenu);
    }
}

QPushButton& frmMain::FooterButton(const char* name) const {
    auto* button = fraFooter_->findChild<QPushButton*>(QString::fromLatin1(name));
    if (button == nullptr) {
        qFatal("frmMain: the footer has no button %s", name);
    }
    return *button;
}

QPushButton& frmMain::cmdNext() const {
    return FooterButton("cmdNext");
}
QPushButton& frmMain::cmdPrevious() const {
    return FooterButton("cmdPrevious");
}
QPushButton& frmMain::cmdIncrease() const {
    return FooterButton("cmdIncrease");
}
QPushButton& frmMain::cmdDecrease() const {
    return FooterButton("cmdDecrease");
}
QPushButton& frmMain::cmdSuraSelect() const {
    return FooterButton("cmdSuraSelect");
}
QPushButton& frmMain::cmdSelectJuz() const {
    return FooterButton("cmdSelectJuz");
}

// Before start-up has finished (or after a failed one) there are no tables or pages to move
// through, and after shut-down nothing may be shown any more: the commands do nothing then.
void frmMain::ShowChosenPage(int page) {
    if (!loaded_) {
        return;
    }
    currentPage_ = static_cast<int16_t>(page);
    LoadQuranPage(currentPage_);
}

void frmMain::cmdNext_Click() {
    if (!loaded_) {
        return;
    }
    if (const auto page = NextPage(currentPage_, ModeOf(*this))) {
        ShowChosenPage(*page);
    }
}

void frmMain::cmdPrevious_Click() {
    if (!loaded_) {
        return;
    }
    if (const auto page = PreviousPage(currentPage_, ModeOf(*this))) {
        ShowChosenPage(*page);
    }
}

void frmMain::cmdPageNo_Click() {
    if (!loaded_) {
        return;
    }
    const QString answer = prompt_->InputBox(QString::fromLatin1(kPageNumberPrompt.message),
                                             QString::fromLatin1(kPageNumberPrompt.title),
                                             QString::number(currentPage_));
    if (const auto page = ReadTypedNumber(answer.toStdString(), kPageNumberPrompt)) {
        ShowChosenPage(*page);
    }
}

void frmMain::cmdTextSize_Click() {
    if (!loaded_) {
        return;
    }
    const QString answer =
        prompt_->InputBox(QString::fromLatin1(kTextSizePrompt.message),
                          QString::fromLatin1(kTextSizePrompt.title), QString::number(textSize_));
    const auto size = ReadTypedNumber(answer.toStdString(), kTextSizePrompt);
    if (!size || !loaded_) {
        return;
    }
    textSize_ = static_cast<int16_t>(*size);
    LoadQuranPage(currentPage_);
}

void frmMain::cmdIncrease_Click() {
    if (!loaded_) {
        return;
    }
    if (const auto size = IncreasedTextSize(textSize_)) {
        textSize_ = static_cast<int16_t>(*size);
        LoadQuranPage(currentPage_);
    }
}

void frmMain::cmdDecrease_Click() {
    if (!loaded_) {
        return;
    }
    if (const auto size = DecreasedTextSize(textSize_)) {
        textSize_ = static_cast<int16_t>(*size);
        LoadQuranPage(currentPage_);
    }
}

void frmMain::Form_KeyDown(int KeyCode, int /*Shift*/) {
    switch (CommandForKey(KeyCode)) {
        case KeyCommand::Next:
            cmdNext_Click();
            break;
        case KeyCommand::Previous:
            cmdPrevious_Click();
            break;
        case KeyCommand::None:
            break;
    }
}

void frmMain::cmdSuraSelect_Click() {
    if (!loaded_) {
        return;
    }
    clsNewMenu menu(popupMenu_);
    BuildSuraMenu(menu, static_cast<WindowHandle>(winId()), StdLines(index_.suraNames));
    const std::string answer = menu.PopUp();
    if (const auto page = ChosenStartPage(answer, StdLines(index_.suraStart))) {
        ShowChosenPage(*page);
    }
}

void frmMain::cmdSelectJuz_Click() {
    if (!loaded_) {
        return;
    }
    clsNewMenu menu(popupMenu_);
    BuildJuzMenu(menu, static_cast<WindowHandle>(winId()));
    const std::string answer = menu.PopUp();
    if (const auto page = ChosenStartPage(answer, StdLines(index_.juzStart))) {
        ShowChosenPage(*page);
    }
}

}  // namespace pagora
