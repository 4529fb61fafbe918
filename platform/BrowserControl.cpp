#include "platform/BrowserControl.h"

#include <QAbstractTextDocumentLayout>
#include <QFont>
#include <QFontDatabase>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextLayout>
#include <QUrl>
#include <algorithm>

namespace pagora {

namespace {

const QString kBlank = QStringLiteral("about:blank");

// Qt's rich-text import keeps whitespace that follows a closing block element and joins it,
// together with the inline content after it, into that block; a browser starts a new line
// there and drops the whitespace. Removing it gives the browser's block structure.
QString JoinBlockEnds(const QString& html) {
    static const QRegularExpression blockEnd(
        QStringLiteral(
            R"re((</(?:center|div|p|h[1-6]|blockquote|table|ul|ol|li|dl|pre)\s*>|<hr\b[^>]*>|<br\b[^>]*>)\s+)re"),
        QRegularExpression::CaseInsensitiveOption);
    QString out = html;
    out.replace(blockEnd, QStringLiteral("\\1"));
    return out;
}

// The page frame names its images by absolute file path. Qt would parse such a value as a
// URL, losing any "#", "?" or "%" in the folder name, so absolute paths become file URLs.
QString FileUrlsForPaths(const QString& html) {
    static const QRegularExpression attribute(
        QStringLiteral(R"re(\b(src|background)(\s*=\s*)(?:"(/[^"]*)"|'(/[^']*)'|(/[^\s>"']*)))re"),
        QRegularExpression::CaseInsensitiveOption);
    QString out;
    qsizetype last = 0;
    auto it = attribute.globalMatch(html);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        QString path;
        for (int group = 3; group <= 5; ++group) {
            if (m.capturedLength(group) > 0) {
                path = m.captured(group);
            }
        }
        out += QStringView(html).mid(last, m.capturedStart() - last);
        out += m.captured(1) + m.captured(2) + u'"' +
               QString::fromLatin1(QUrl::fromLocalFile(path).toEncoded()) + u'"';
        last = m.capturedEnd();
    }
    out += QStringView(html).mid(last);
    return out;
}

// "about:blank" followed by an in-page target, as a browser resolves it against a blank page.
QString ResolvedHref(const QString& target) {
    const QUrl url(target);
    if (!url.isRelative()) {
        return target;
    }
    return kBlank + target;
}

}  // namespace

BrowserControl::BrowserControl(const QString& name, QWidget* parent)
    : QTextBrowser(parent), name_(name) {
    setObjectName(name);
    setOpenLinks(false);
    setOpenExternalLinks(false);
    // The pages switch their context menu off.
    setContextMenuPolicy(Qt::NoContextMenu);
    document()->setUndoRedoEnabled(false);
    QTextOption option = document()->defaultTextOption();
    option.setTextDirection(Qt::RightToLeft);
    document()->setDefaultTextOption(option);
    connect(this, &QTextBrowser::anchorClicked, this, [this](const QUrl& url) {
        bool cancel = false;
        emit BeforeNavigate2(ResolvedHref(url.toString()), cancel);
        // Nothing navigates on a link click, whatever the handler decided.
    });
}

void BrowserControl::Navigate(const QString& url) {
    bool cancel = false;
    emit BeforeNavigate2(url, cancel);
    if (cancel) {
        return;
    }
    // Only the blank page is supported; anything else shows it too.
    pending_.clear();
    clear();
}

void BrowserControl::DocumentClear() {
    pending_.clear();
}

void BrowserControl::DocumentWrite(const QString& html) {
    pending_ += html;
}

void BrowserControl::DocumentClose() {
    setHtml(FileUrlsForPaths(JoinBlockEnds(pending_)));
    pending_.clear();
}

std::vector<BrowserControl::Anchor> BrowserControl::Anchors() const {
    std::vector<Anchor> anchors;
    // Anchors whose content runs without a gap up to the current fragment; a nested link splits
    // its parent into fragments, and the parent continues when its target comes back.
    std::vector<size_t> open;
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            if (!fragment.isValid()) {
                continue;
            }
            const QTextCharFormat format = fragment.charFormat();
            const QString target = format.isAnchor() ? format.anchorHref() : QString();
            if (target.isEmpty()) {
                open.clear();
                continue;
            }
            const int start = fragment.position();
            const int end = start + fragment.length();
            auto same = std::find_if(open.begin(), open.end(),
                                     [&](size_t i) { return anchors[i].target == target; });
            if (same != open.end()) {
                anchors[*same].end = end;
                open.erase(same + 1, open.end());
                continue;
            }
            anchors.push_back(Anchor{ResolvedHref(target), start, end, target});
            open.push_back(anchors.size() - 1);
        }
    }
    return anchors;
}

void BrowserControl::SetAnchorColor(size_t index, const QColor& color) {
    const std::vector<Anchor> anchors = Anchors();
    if (index >= anchors.size()) {
        return;
    }
    const Anchor& anchor = anchors[index];
    // Only the anchor's own text: a link nested inside it keeps its colour.
    std::vector<std::pair<int, int>> ranges;
    for (QTextBlock block = document()->findBlock(anchor.start);
         block.isValid() && block.position() < anchor.end; block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const int start = std::max(fragment.position(), anchor.start);
            const int end = std::min(fragment.position() + fragment.length(), anchor.end);
            if (start < end && fragment.charFormat().anchorHref() == anchor.target) {
                ranges.emplace_back(start, end);
            }
        }
    }
    QTextCharFormat colour;
    colour.setForeground(color);
    QTextCursor cursor(document());
    cursor.beginEditBlock();
    for (const auto& [start, end] : ranges) {
        cursor.setPosition(start);
        cursor.setPosition(end, QTextCursor::KeepAnchor);
        cursor.mergeCharFormat(colour);
    }
    cursor.endEditBlock();
}

QColor BrowserControl::AnchorColor(size_t index) const {
    const std::vector<Anchor> anchors = Anchors();
    if (index >= anchors.size()) {
        return {};
    }
    const Anchor& anchor = anchors[index];
    for (QTextBlock block = document()->findBlock(anchor.start);
         block.isValid() && block.position() < anchor.end; block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat format = fragment.charFormat();
            if (fragment.position() + fragment.length() > anchor.start &&
                fragment.position() < anchor.end && format.anchorHref() == anchor.target) {
                return format.hasProperty(QTextFormat::ForegroundBrush)
                           ? format.foreground().color()
                           : QColor();
            }
        }
    }
    return {};
}

QPoint BrowserControl::PositionOfCharacter(int position) {
    const QTextBlock block = document()->findBlock(position);
    if (!block.isValid()) {
        return {};
    }
    document()->documentLayout();  // makes sure the layout exists
    const QRectF blockRect = document()->documentLayout()->blockBoundingRect(block);
    const QTextLayout* layout = block.layout();
    const int offset = position - block.position();
    const QTextLine line = layout->lineForTextPosition(offset);
    if (!line.isValid()) {
        return {};
    }
    const qreal x1 = line.cursorToX(offset);
    qreal x2 = line.cursorToX(offset + 1);
    if (offset + 1 > line.textStart() + line.textLength()) {
        x2 = x1;
    }
    const QPointF inDocument(blockRect.left() + (x1 + x2) / 2,
                             blockRect.top() + line.y() + line.height() / 2);
    return QPoint(qRound(inDocument.x()) - horizontalScrollBar()->value(),
                  qRound(inDocument.y()) - verticalScrollBar()->value());
}

void InstallMushafFontFallback() {
    const QString mushaf = QStringLiteral("KFGQPC Uthmanic Script HAFS");
    if (!QFontDatabase::families().contains(mushaf, Qt::CaseInsensitive)) {
        QFont::insertSubstitution(mushaf, QStringLiteral("Amiri Quran"));
    }
}

}  // namespace pagora
