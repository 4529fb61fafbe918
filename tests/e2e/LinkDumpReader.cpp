// The reader for the end-to-end check: each page view, once painted and again when the window
// has moved, prints "pagora-link <view> <page key> <target> <screen x> <screen y> <colour|none>"
// for each link in view (the point on the link's own text), then "pagora-links-end <view> <key>".
#include <QEvent>
#include <QTimer>
#include <cstdio>
#include <map>
#include <vector>

#include "app/frmMain.h"
#include "platform/BrowserControl.h"

namespace {

class LinkDump : public QObject {
  public:
    explicit LinkDump(pagora::frmMain& window) : QObject(&window), window_(window) {
        window.installEventFilter(this);
        for (pagora::View view : pagora::kAllViews) {
            window.PageView(view).viewport()->installEventFilter(this);
        }
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* view = qobject_cast<pagora::BrowserControl*>(watched->parent());
        if (event->type() == QEvent::Paint && view != nullptr) {
            // After the paint, so the layout is settled.
            QTimer::singleShot(0, this, [this, view] { Dump(*view); });
        } else if (event->type() == QEvent::Move && view == nullptr) {
            QTimer::singleShot(0, this, [this] {
                for (pagora::View each : pagora::kAllViews) {
                    Dump(window_.PageView(each));
                }
            });
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    void Dump(pagora::BrowserControl& view) {
        if (!view.isVisible()) {
            return;
        }
        const QString key = view.Tag.isEmpty() ? QStringLiteral("-") : view.Tag;
        QString lines;
        const auto anchors = view.Anchors();
        for (size_t i = 0; i < anchors.size(); ++i) {
            const std::vector<int> own = view.OwnCharacters(anchors[i]);
            const QPoint at =
                own.empty() ? QPoint(-1, -1) : view.PositionOfCharacter(own[own.size() / 2]);
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

    pagora::frmMain& window_;
    std::map<QString, QString> lastDump_;
};

}  // namespace

int main(int argc, char** argv) {
    return pagora::RunReader(argc, argv, [](pagora::frmMain& window) { new LinkDump(window); });
}
