// The reader as end-to-end checks run it: every page view that shows a new document or new link
// colours prints its links to stdout once painted, and again when the window has moved (the
// window manager may place it after the first paint), one line per link that lies in view,
//   pagora-link <view> <page key> <target> <screen x> <screen y> <colour or "none">
// where the point is on a character of the link's own text, and a closing line
//   pagora-links-end <view> <page key>
// The checks click these points and read the colours. The window's geometry as Qt knows it is
// printed on each move, resize and close, to tell where a placement went astray:
//   pagora-geometry <event> <client x y w h> frame <left top right bottom margins>
#include <QEvent>
#include <QTimer>
#include <QWindow>
#include <cstdio>
#include <map>
#include <vector>

#include "app/frmMain.h"
#include "platform/BrowserControl.h"

namespace {

class LinkDump : public QObject {
  public:
    explicit LinkDump(QObject* parent) : QObject(parent) {}

    void Watch(pagora::BrowserControl& view) {
        view.viewport()->installEventFilter(this);
        views_.push_back(&view);
    }

    void WatchMoves(QWidget& window) { window.installEventFilter(this); }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            if (auto* view = qobject_cast<pagora::BrowserControl*>(watched->parent())) {
                // After the paint, so the layout is settled.
                QTimer::singleShot(0, this, [this, view] { Dump(*view); });
            }
        }
        if (watched->isWidgetType() && static_cast<QWidget*>(watched)->isWindow()) {
            PrintGeometry(*static_cast<QWidget*>(watched), event->type());
        }
        if (event->type() == QEvent::Move && watched->isWidgetType() &&
            static_cast<QWidget*>(watched)->isWindow()) {
            QTimer::singleShot(0, this, [this] {
                for (pagora::BrowserControl* view : views_) {
                    Dump(*view);
                }
            });
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    static void PrintGeometry(const QWidget& window, QEvent::Type type) {
        const char* name = type == QEvent::Move     ? "move"
                           : type == QEvent::Resize ? "resize"
                           : type == QEvent::Close  ? "close"
                                                    : nullptr;
        if (name == nullptr) {
            return;
        }
        const QRect client = window.geometry();
        const QMargins frame =
            window.windowHandle() != nullptr ? window.windowHandle()->frameMargins() : QMargins();
        std::printf("pagora-geometry %s %d %d %d %d frame %d %d %d %d\n", name, client.x(),
                    client.y(), client.width(), client.height(), frame.left(), frame.top(),
                    frame.right(), frame.bottom());
        std::fflush(stdout);
    }

    void Dump(pagora::BrowserControl& view) {
        if (!view.isVisible()) {
            return;
        }
        const QString key = view.Tag.isEmpty() ? QStringLiteral("-") : view.Tag;
        QString lines;
        const auto anchors = view.Anchors();
        for (size_t i = 0; i < anchors.size(); ++i) {
            const std::vector<int> own = view.OwnCharacters(anchors[i]);
            if (own.empty()) {
                continue;
            }
            const QPoint at = view.PositionOfCharacter(own[own.size() / 2]);
            if (!view.viewport()->rect().contains(at)) {
                continue;
            }
            const QPoint onScreen = view.viewport()->mapToGlobal(at);
            const QColor colour = view.AnchorColor(i);
            lines += QStringLiteral("pagora-link %1 %2 %3 %4 %5 %6\n")
                         .arg(view.Name(), key, anchors[i].target)
                         .arg(onScreen.x())
                         .arg(onScreen.y())
                         .arg(colour.isValid() ? colour.name() : QStringLiteral("none"));
        }
        QString& last = lastDump_[view.Name()];
        if (lines == last) {
            return;
        }
        last = lines;
        lines += QStringLiteral("pagora-links-end %1 %2\n").arg(view.Name(), key);
        std::fputs(lines.toUtf8().constData(), stdout);
        std::fflush(stdout);
    }

    std::vector<pagora::BrowserControl*> views_;
    std::map<QString, QString> lastDump_;
};

}  // namespace

int main(int argc, char** argv) {
    return pagora::RunReader(argc, argv, [](pagora::frmMain& window) {
        auto* dump = new LinkDump(&window);
        for (pagora::View view : pagora::kAllViews) {
            dump->Watch(window.PageView(view));
        }
        dump->WatchMoves(window);
    });
}
