#include "platform/BrowserControl.h"

#include <QtWidgets/private/qwidgettextcontrol_p.h>
#include <QAbstractTextDocumentLayout>
#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetricsF>
#include <QHash>
#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <QRawFont>
#include <QRegularExpression>
#include <QResizeEvent>
#include <QScrollBar>
#include <QSet>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextFrame>
#include <QTextLayout>
#include <QUrl>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <utility>

#include "platform/WordJustification.h"

namespace pagora {

namespace {

const QString kBlank = QStringLiteral("about:blank");

bool IsBlockElement(const QString& name) {
    static const QStringList blocks = {
        QStringLiteral("address"), QStringLiteral("blockquote"), QStringLiteral("body"),
        QStringLiteral("caption"), QStringLiteral("center"),     QStringLiteral("dd"),
        QStringLiteral("div"),     QStringLiteral("dl"),         QStringLiteral("dt"),
        QStringLiteral("h1"),      QStringLiteral("h2"),         QStringLiteral("h3"),
        QStringLiteral("h4"),      QStringLiteral("h5"),         QStringLiteral("h6"),
        QStringLiteral("head"),    QStringLiteral("hr"),         QStringLiteral("html"),
        QStringLiteral("li"),      QStringLiteral("ol"),         QStringLiteral("p"),
        QStringLiteral("pre"),     QStringLiteral("table"),      QStringLiteral("tbody"),
        QStringLiteral("td"),      QStringLiteral("tfoot"),      QStringLiteral("th"),
        QStringLiteral("thead"),   QStringLiteral("tr"),         QStringLiteral("ul")};
    return blocks.contains(name);
}

bool IsSpace(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\f';
}

// Qt's CSS ignores "text-align: justify"; the old align attribute says the same and works.
QString JustifyAttribute(const QString& tag) {
    static const QRegularExpression justify(QStringLiteral(R"(text-align\s*:\s*justify)"),
                                            QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression align(QStringLiteral(R"(\salign\s*=)"),
                                          QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression name(QStringLiteral(R"(^<[A-Za-z][A-Za-z0-9]*)"));
    if (!justify.match(tag).hasMatch() || align.match(tag).hasMatch()) {
        return tag;
    }
    const qsizetype at = name.match(tag).capturedEnd();
    return tag.left(at) + QStringLiteral(" align=\"justify\"") + tag.mid(at);
}

// The size at which a tag shows its image: the width and height of an <img>, the
// background-size of an element's background; as "WxH", or empty when not given in pixels.
QString ShownImageSize(const QString& tag, bool background) {
    static const QRegularExpression width(QStringLiteral(R"re(\swidth\s*=\s*["']?(\d+)["'\s>/])re"),
                                          QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression height(
        QStringLiteral(R"re(\sheight\s*=\s*["']?(\d+)["'\s>/])re"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression size(
        QStringLiteral(R"(background-size\s*:\s*(\d+)px\s+(\d+)px)"),
        QRegularExpression::CaseInsensitiveOption);
    if (background) {
        const QRegularExpressionMatch m = size.match(tag);
        return m.hasMatch() ? m.captured(1) + u'x' + m.captured(2) : QString();
    }
    const QRegularExpressionMatch w = width.match(tag);
    const QRegularExpressionMatch h = height.match(tag);
    return w.hasMatch() && h.hasMatch() ? w.captured(1) + u'x' + h.captured(1) : QString();
}

// The page frame names its images by absolute file path. Qt would parse such a value as a
// URL, losing any "#", "?" or "%" in the folder name, so absolute paths become file URLs.
// The size the tag shows the image at and the colours it is shown in travel with the URL, for
// loadResource: "#40x40", "#night", "#40x40-night".
QString FileUrlsForPaths(const QString& tag, const QString& imageColours) {
    static const QRegularExpression attribute(
        QStringLiteral(R"re(\b(src|background)(\s*=\s*)(?:"(/[^"]*)"|'(/[^']*)'|(/[^\s>"']*)))re"),
        QRegularExpression::CaseInsensitiveOption);
    QString out;
    qsizetype last = 0;
    auto it = attribute.globalMatch(tag);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        QString path;
        for (int group = 3; group <= 5; ++group) {
            if (m.capturedLength(group) > 0) {
                path = m.captured(group);
            }
        }
        QUrl url = QUrl::fromLocalFile(path);
        const QString shownSize =
            ShownImageSize(tag, m.captured(1).compare(u"background", Qt::CaseInsensitive) == 0);
        const QString fragment = shownSize +
                                 (shownSize.isEmpty() || imageColours.isEmpty() ? QString() : "-") +
                                 imageColours;
        if (!fragment.isEmpty()) {
            url.setFragment(fragment);
        }
        out += QStringView(tag).mid(last, m.capturedStart() - last);
        out += m.captured(1) + m.captured(2) + u'"' + QString::fromLatin1(url.toEncoded()) + u'"';
        last = m.capturedEnd();
    }
    out += QStringView(tag).mid(last);
    return out;
}

// End of the tag that starts at `from` ('<'), quoted attribute values skipped; -1 if unclosed.
qsizetype TagEnd(const QString& html, qsizetype from) {
    QChar quote;
    for (qsizetype i = from + 1; i < html.size(); ++i) {
        const QChar c = html[i];
        if (!quote.isNull()) {
            if (c == quote) {
                quote = QChar();
            }
        } else if (c == u'"' || c == u'\'') {
            quote = c;
        } else if (c == u'>') {
            return i;
        }
    }
    return -1;
}

// Rewrites a document so that Qt's rich text shows the blocks a browser shows.
// Inline content that follows a closed block element (a sura header, the basmala, a rule) forms
// an anonymous block in a browser, which drops the whitespace in front of it. Qt instead joins
// that whitespace and the content into the closed block, and splits a link that holds another
// link there; an explicit <div> around the run gives the browser's structure.
QString BrowserBlocks(const QString& html, const QString& imageColours) {
    QString out;
    out.reserve(html.size() + html.size() / 16);
    bool afterBlock = false;  // the last thing seen closed a block
    bool wrapped = false;     // an anonymous block is open
    qsizetype i = 0;
    const auto openAnonymous = [&] {
        if (afterBlock) {
            out += QStringLiteral("<div>");
            wrapped = true;
            afterBlock = false;
        }
    };
    while (i < html.size()) {
        if (html[i] != u'<') {
            qsizetype end = html.indexOf(u'<', i);
            if (end < 0) {
                end = html.size();
            }
            QStringView text = QStringView(html).mid(i, end - i);
            if (afterBlock) {
                qsizetype skip = 0;
                while (skip < text.size() && IsSpace(text[skip])) {
                    ++skip;
                }
                text = text.mid(skip);
                if (!text.isEmpty()) {
                    openAnonymous();
                }
            }
            out += text;
            i = end;
            continue;
        }
        if (html.mid(i, 4) == QStringLiteral("<!--")) {
            const qsizetype end = html.indexOf(QStringLiteral("-->"), i + 4);
            const qsizetype stop = end < 0 ? html.size() : end + 3;
            out += QStringView(html).mid(i, stop - i);
            i = stop;
            continue;
        }
        const qsizetype end = TagEnd(html, i);
        if (end < 0) {  // a stray "<" is text
            openAnonymous();
            out += QStringView(html).mid(i);
            break;
        }
        const QString tag = html.mid(i, end - i + 1);
        i = end + 1;
        const bool closing = tag.size() > 1 && tag[1] == u'/';
        qsizetype n = closing ? 2 : 1;
        while (n < tag.size() && (tag[n].isLetterOrNumber())) {
            ++n;
        }
        const QString name = tag.mid(closing ? 2 : 1, n - (closing ? 2 : 1)).toLower();
        if (!closing && (name == u"style" || name == u"script")) {
            // Copied through untouched up to the element's end.
            const QRegularExpression close(QStringLiteral("</%1\\s*>").arg(name),
                                           QRegularExpression::CaseInsensitiveOption);
            const QRegularExpressionMatch m = close.match(html, i);
            const qsizetype stop = m.hasMatch() ? m.capturedEnd() : html.size();
            out += tag;
            out += QStringView(html).mid(i, stop - i);
            i = stop;
            continue;
        }
        if (name.isEmpty() || name == u"meta" || name == u"title" || name == u"link" ||
            name == u"base") {
            out += tag;  // declarations and head elements: no content of the page
            continue;
        }
        if (IsBlockElement(name)) {
            if (wrapped) {
                out += QStringLiteral("</div>");
                wrapped = false;
            }
            out += closing ? tag : FileUrlsForPaths(JustifyAttribute(tag), imageColours);
            afterBlock = closing || name == u"hr";
            continue;
        }
        openAnonymous();
        out += closing ? tag : FileUrlsForPaths(tag, imageColours);
    }
    if (wrapped) {
        out += QStringLiteral("</div>");
    }
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

const QString kMushafFamily = QStringLiteral("KFGQPC Uthmanic Script HAFS");
const QString kStandInFamily = QStringLiteral("Amiri Quran");

// Which font the pages are shown in. An installed mushaf font is used as long as it has a
// glyph for every character the pages show; at the first one it lacks, every page from then
// on is shown in the stand-in, which the page texts are built for.
struct MushafFontChoice {
    bool installed = false;
    bool replaced = false;
    QRawFont font;
    QSet<char32_t> covered;
};

MushafFontChoice& FontChoice() {
    static MushafFontChoice choice;
    return choice;
}

// The first character of the document that the installed mushaf font has no glyph for, or 0.
char32_t MissingMushafGlyph(const QTextDocument& document) {
    MushafFontChoice& choice = FontChoice();
    if (!choice.installed || choice.replaced) {
        return 0;
    }
    if (!choice.font.isValid()) {
        QFont font(kMushafFamily);
        font.setStyleStrategy(QFont::NoFontMerging);
        choice.font = QRawFont::fromFont(font, QFontDatabase::Arabic);
    }
    for (const char32_t c : document.toPlainText().toUcs4()) {
        // Line ends, paragraph ends and the places of images are no characters of the text.
        if (c <= u' ' || c == 0x2028 || c == 0x2029 || c == 0xFFFC || choice.covered.contains(c)) {
            continue;
        }
        if (!choice.font.supportsCharacter(c)) {
            return c;
        }
        choice.covered.insert(c);
    }
    return 0;
}

// Centred lines (sura headers, the basmala) that had to be drawn smaller to fit one line,
// by the width of the view, the line's text and its size: the fitting size. Later pages take
// it before they are laid out, so that fitting costs a second layout only once.
QHash<QString, int>& FittedSizes() {
    static QHash<QString, int> sizes;
    return sizes;
}

bool IsCentred(const QTextBlock& block) {
    return (block.blockFormat().alignment() & Qt::AlignHorizontal_Mask) == Qt::AlignHCenter &&
           !block.text().trimmed().isEmpty();
}

// The font of the block's text as the document gives it.
QFont TextFont(const QTextBlock& block) {
    const QTextBlock::iterator first = block.begin();
    QFont font = first.atEnd() ? block.charFormat().font() : first.fragment().charFormat().font();
    if (font.pixelSize() <= 0) {
        font.setPixelSize(QFontInfo(font).pixelSize());
    }
    return font;
}

QString FitKey(qreal viewWidth, const QTextBlock& block) {
    const QFont font = TextFont(block);
    return QString::number(viewWidth) + u'|' + QString::number(font.pixelSize()) + u'|' +
           font.family() + u'|' + block.text();
}

// Shows the block's text at `pixelSize` through its layout's own formats, leaving the
// document's formats (which the links and their colours live in) as they are.
void SetBlockPixelSize(const QTextBlock& block, int pixelSize) {
    QTextLayout::FormatRange range;
    range.start = 0;
    range.length = block.length() - 1;
    range.format.setProperty(QTextFormat::FontPixelSize, pixelSize);
    block.layout()->setFormats({range});
}

// The pixel size the block's layout shows its text at.
int ShownPixelSize(const QTextBlock& block) {
    const QList<QTextLayout::FormatRange> formats = block.layout()->formats();
    return formats.isEmpty() ? TextFont(block).pixelSize()
                             : formats.first().format.intProperty(QTextFormat::FontPixelSize);
}

// Qt's document layout drops a paragraph's shaped glyphs once it has laid the paragraph out,
// so painting shaped the Arabic text (a costly font) once more for every justified line.
// New paragraphs keep their glyphs; the signal comes before the layout sees the change.
// Centred lines that already had to be drawn smaller at this width take that size here,
// before their first layout. Every layout gives the justified paragraphs new glyphs, to be
// justified between words.
void WatchParagraphs(QTextDocument& document) {
    QTextDocument* doc = &document;
    QObject::connect(doc, &QTextDocument::contentsChange, doc, [doc](int from, int, int added) {
        const QTextBlock last = doc->findBlock(from + added);
        const qreal width = doc->pageSize().width();
        for (QTextBlock block = doc->findBlock(from); block.isValid(); block = block.next()) {
            block.layout()->setCacheEnabled(true);
            if (IsCentred(block)) {
                const auto fitted = FittedSizes().constFind(FitKey(width, block));
                if (fitted != FittedSizes().constEnd()) {
                    SetBlockPixelSize(block, *fitted);
                }
            }
            if (block == last) {
                break;
            }
        }
    });
    QObject::connect(doc->documentLayout(), &QAbstractTextDocumentLayout::update, doc,
                     [doc] { JustifyBetweenWords(*doc); });
}

// Centred lines (sura headers, the basmala) never wrap: one that does is drawn smaller.
void FitCentredLines(QTextDocument& document) {
    QTextDocument* doc = &document;
    doc->documentLayout()->documentSize();  // lays the whole document out
    const qreal width = doc->pageSize().width();
    // A line that still wraps after shrinking (Qt keeps room for ink that reaches past the
    // last letter's advance) shrinks again, by a few per cent at least.
    for (int round = 0; round < 6; ++round) {
        bool changed = false;
        for (QTextBlock block = doc->begin(); block.isValid(); block = block.next()) {
            const QTextLayout* layout = block.layout();
            if (!IsCentred(block) || layout->lineCount() < 2) {
                continue;
            }
            const int shown = ShownPixelSize(block);
            QFont font = TextFont(block);
            font.setPixelSize(shown);
            const QFontMetricsF metrics(font);
            const qreal natural = std::max({metrics.horizontalAdvance(block.text()),
                                            metrics.boundingRect(block.text()).width(), qreal(1)});
            const qreal room = layout->lineAt(0).width();
            const int size =
                std::clamp(static_cast<int>(shown * std::min(room / natural * 0.98, 0.96)), 1,
                           std::max(1, shown - 1));
            FittedSizes().insert(FitKey(width, block), size);
            SetBlockPixelSize(block, size);
            doc->markContentsDirty(block.position(), block.length());
            changed = true;
        }
        if (!changed) {
            return;
        }
        doc->documentLayout()->documentSize();
    }
}

// Shows the document in `colours`: each colour it names for text and frame backgrounds passes
// through the page map.
void ShowInColours(QTextDocument& doc, const ShownColours& colours) {
    if (colours.name.isEmpty() || !colours.page) {
        return;
    }
    auto shown = [&](QBrush brush) {
        brush.setColor(QColor::fromRgba(colours.page(brush.color().rgba())));
        return brush;
    };
    std::vector<QTextFrame*> frames{doc.rootFrame()};
    while (!frames.empty()) {
        QTextFrame* frame = frames.back();
        frames.pop_back();
        QTextFrameFormat format = frame->frameFormat();
        if (format.hasProperty(QTextFormat::BackgroundBrush)) {
            format.setBackground(shown(format.background()));
            frame->setFrameFormat(format);
        }
        const QList<QTextFrame*> children = frame->childFrames();
        frames.insert(frames.end(), children.begin(), children.end());
    }
    struct Run {
        int start, end;
        QBrush brush;
    };
    std::vector<Run> runs;
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const QTextCharFormat format = fragment.charFormat();
            if (fragment.isValid() && format.hasProperty(QTextFormat::ForegroundBrush)) {
                runs.push_back({fragment.position(), fragment.position() + fragment.length(),
                                shown(format.foreground())});
            }
        }
    }
    QTextCursor cursor(&doc);
    cursor.beginEditBlock();
    for (const Run& run : runs) {
        QTextCharFormat colour;
        colour.setForeground(run.brush);
        cursor.setPosition(run.start);
        cursor.setPosition(run.end, QTextCursor::KeepAnchor);
        cursor.mergeCharFormat(colour);
    }
    cursor.endEditBlock();
}

// The image in `colours`: a palette image by its palette, any other pixel by pixel.
QImage InColours(QImage image, const ShownColours& colours) {
    if (image.format() == QImage::Format_Indexed8) {
        QList<QRgb> table = image.colorTable();
        for (QRgb& colour : table) {
            colour = colours.image(colour);
        }
        image.setColorTable(table);
        return image;
    }
    image = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            line[x] = colours.image(line[x]);
        }
    }
    return image;
}

// Fills `document` with the page `written` to a view, in the font the pages are shown in, with
// its centred lines fitted and its justified lines stretched between words.
void LoadPage(QTextDocument& document, const QString& written, const ShownColours& colours,
              const std::function<void(const QString&)>& setHtml) {
    QString html = BrowserBlocks(written, colours.name);
    MushafFontChoice& font = FontChoice();
    if (font.replaced) {
        html.replace(kMushafFamily, kStandInFamily, Qt::CaseInsensitive);
    }
    setHtml(html);
    if (const char32_t missing = MissingMushafGlyph(document)) {
        font.replaced = true;
        std::fprintf(stderr,
                     "%s: the installed font \"%s\" has no glyph for U+%04X; the pages are "
                     "shown in \"%s\" instead\n",
                     qPrintable(QCoreApplication::applicationName()), qPrintable(kMushafFamily),
                     static_cast<unsigned>(missing), qPrintable(kStandInFamily));
        html.replace(kMushafFamily, kStandInFamily, Qt::CaseInsensitive);
        setHtml(html);
    }
    ShowInColours(document, colours);
    FitCentredLines(document);
    JustifyBetweenWords(document);
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
    WatchParagraphs(*document());
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
    const QString written = std::exchange(pending_, QString());
    shownPicture_ = {};
    ++documentsShown_;
    if (ShowPrepared(written)) {
        return;
    }
    LoadPage(*document(), written, colours_, [this](const QString& html) { setHtml(html); });
}

QString BrowserControl::ShownHtml(const QString& html) const {
    QString shown = BrowserBlocks(html, colours_.name);
    if (FontChoice().replaced) {
        shown.replace(kMushafFamily, kStandInFamily, Qt::CaseInsensitive);
    }
    return shown;
}

void BrowserControl::SetShownColours(ShownColours colours) {
    colours_ = std::move(colours);
    if (colours_.name.isEmpty() || !colours_.page) {
        setPalette(QPalette());
        return;
    }
    QPalette shown = palette();
    shown.setColor(QPalette::Base, QColor::fromRgba(colours_.page(qRgb(255, 255, 255))));
    shown.setColor(QPalette::Text, QColor::fromRgba(colours_.page(qRgb(0, 0, 0))));
    setPalette(shown);
}

bool BrowserControl::Fits(const QString& html) {
    if (measure_ == nullptr) {
        // A child of the view, so that its images come through the view's loadResource.
        measure_ = new QTextDocument(this);
        measure_->setUndoRedoEnabled(false);
    }
    measure_->setDefaultFont(document()->defaultFont());
    measure_->setDefaultTextOption(document()->defaultTextOption());
    measure_->setDocumentMargin(document()->documentMargin());
    measure_->setHtml(ShownHtml(html));
    // The room the viewport has with no scroll bar shown.
    const QRect room = contentsRect().marginsRemoved(viewportMargins());
    measure_->setTextWidth(room.width());
    FitCentredLines(*measure_);
    // The view sets its scroll ranges from the document's size rounded to whole pixels.
    const QSize needed = measure_->documentLayout()->documentSize().toSize();
    return needed.height() <= room.height() && needed.width() <= room.width();
}

BrowserControl::LayoutKey BrowserControl::CurrentLayout() const {
    return {viewport()->width(), devicePixelRatioF(), FontChoice().replaced,
            document()->defaultFont(), colours_.name};
}

void BrowserControl::PrepareDocument(const QString& pageKey, const QString& html,
                                     const std::function<void(QTextDocument&)>& finish) {
    const QTextDocument& shown = *document();
    auto doc = std::make_unique<QTextDocument>(this);
    doc->setUndoRedoEnabled(false);
    doc->setDefaultFont(shown.defaultFont());
    doc->setDefaultTextOption(shown.defaultTextOption());
    doc->setDocumentMargin(shown.documentMargin());
    doc->setDefaultStyleSheet(shown.defaultStyleSheet());
    doc->setUseDesignMetrics(shown.useDesignMetrics());
    doc->documentLayout()->setPaintDevice(shown.documentLayout()->paintDevice());
    // The width the view lays its document out at.
    doc->setPageSize(QSize(viewport()->width(), -1));
    WatchParagraphs(*doc);
    const LayoutKey layout = CurrentLayout();
    LoadPage(*doc, html, colours_, [&doc](const QString& text) { doc->setHtml(text); });
    if (finish) {
        finish(*doc);
    }
    doc->documentLayout()->documentSize();
    JustifyBetweenWords(*doc);
    std::erase_if(prepared_, [&](const Prepared& p) { return p.pageKey == pageKey; });
    prepared_.push_back({pageKey, html, layout, std::move(doc), {}, documentsShown_});
    KeepPictureOf(prepared_.back());
}

void BrowserControl::KeepPictureOf(Prepared& page) {
    // A picture is a screen's worth of pixels. The pages prepared since the last turn are the
    // next turn's, forward first: the first of them always gets a picture, the others as long as
    // they fit within the budget (on a high-density screen only the forward one does); pages
    // prepared before the last turn keep none.
    constexpr qint64 kPictureBytes = 16 << 20;
    const auto bytes = [](QSize pixels) { return qint64(pixels.width()) * pixels.height() * 4; };
    qint64 used = 0;
    for (Prepared& p : prepared_) {
        if (p.shownBefore != documentsShown_) {
            p.picture = {};
        }
        used += p.picture.picture.isNull() ? 0 : bytes(p.picture.picture.size());
    }
    if (used == 0 ||
        used + bytes(viewport()->size() * viewport()->devicePixelRatioF()) <= kPictureBytes) {
        page.picture = DrawPicture(*page.document);
    }
}

BrowserControl::Picture BrowserControl::DrawPicture(QTextDocument& document) const {
    const QWidget& area = *viewport();
    if (area.width() <= 0 || area.height() <= 0) {
        return {};  // a view not laid out yet
    }
    const qreal ratio = area.devicePixelRatioF();
    QPixmap picture(area.size() * ratio);
    picture.setDevicePixelRatio(ratio);
    QPainter painter(&picture);
    painter.fillRect(area.rect(), area.palette().brush(area.backgroundRole()));
    painter.setClipRect(area.rect());
    QAbstractTextDocumentLayout::PaintContext context;
    context.palette = palette();
    context.clip = area.rect();
    document.documentLayout()->draw(&painter, context);
    return {std::move(picture), palette().cacheKey()};
}

bool BrowserControl::PaintPicture(const QPaintEvent& event) {
    const QWidget& area = *viewport();
    const bool stillShown =
        verticalScrollBar()->value() == 0 && horizontalScrollBar()->value() == 0 &&
        shownPicture_.picture.deviceIndependentSize() == area.size() &&
        shownPicture_.picture.devicePixelRatio() == area.devicePixelRatioF() &&
        shownPicture_.palette == palette().cacheKey() && !textCursor().hasSelection();
    if (!stillShown) {
        shownPicture_ = {};
        return false;
    }
    QPainter painter(viewport());
    painter.drawPixmap(0, 0, shownPicture_.picture);
    if (event.region().contains(area.rect())) {
        shownPicture_ = {};  // painted whole; later paints draw the document
    }
    return true;
}

bool BrowserControl::IsPrepared(const QString& html) const {
    const LayoutKey layout = CurrentLayout();
    return std::any_of(prepared_.begin(), prepared_.end(),
                       [&](const Prepared& p) { return p.written == html && p.layout == layout; });
}

void BrowserControl::KeepPrepared(const QStringList& pageKeys) {
    std::erase_if(prepared_, [&](const Prepared& p) { return !pageKeys.contains(p.pageKey); });
}

void BrowserControl::DropPrepared() {
    prepared_.clear();
}

bool BrowserControl::ShowPrepared(const QString& written) {
    const LayoutKey layout = CurrentLayout();
    const auto found = std::find_if(prepared_.begin(), prepared_.end(), [&](const Prepared& p) {
        return p.written == written && p.layout == layout;
    });
    if (found == prepared_.end()) {
        return false;
    }
    QTextDocument* doc = found->document.release();
    Picture picture = std::move(found->picture);
    prepared_.erase(found);
    QTextDocument* old = document();
    const bool ownsOld = old->parent() == this;  // else the view's first, deleted by Qt
    // QTextEdit::setDocument would set the page width again, which makes Qt lay the whole
    // document out anew; the prepared one already has this view's width, so the view's text
    // control takes it as it is and only the scroll bars follow its size.
    if (auto* control = findChild<QWidgetTextControl*>(QString(), Qt::FindDirectChildrenOnly)) {
        control->setDocument(doc);
        emit control->documentSizeChanged(doc->documentLayout()->documentSize());
    } else {
        setDocument(doc);
    }
    viewport()->update();
    if (ownsOld) {
        delete old;
    }
    shownPicture_ = std::move(picture);
    // Whatever changes the document from now on (a link painted) makes the picture stale.
    connect(doc, &QTextDocument::contentsChange, this, [this, doc] {
        if (document() == doc) {
            shownPicture_ = {};
        }
    });
    return true;
}

void BrowserControl::paintEvent(QPaintEvent* event) {
    if (PaintsPictureNext() && PaintPicture(*event)) {
        return;
    }
    JustifyBetweenWords(*document());
    QTextBrowser::paintEvent(event);
}

void BrowserControl::resizeEvent(QResizeEvent* event) {
    const bool newWidth = event->oldSize().width() != event->size().width();
    if (newWidth) {
        // Centred lines fit the new width afresh (the view lays its document out again).
        for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
            if (!block.layout()->formats().isEmpty()) {
                block.layout()->clearFormats();
            }
        }
    }
    shownPicture_ = {};
    QTextBrowser::resizeEvent(event);
    if (newWidth) {
        DropPrepared();
        FitCentredLines(*document());
    }
}

QVariant BrowserControl::loadResource(int type, const QUrl& name) {
    if (type != QTextDocument::ImageResource || !name.isLocalFile()) {
        return QTextBrowser::loadResource(type, name);
    }
    struct Decoded {
        QDateTime modified;
        qint64 size = -1;
        QPixmap pixmap;
    };
    static QHash<QString, Decoded> decoded;
    static const bool releasedWithApplication = [] {
        // Pixmaps must not outlive the application object.
        qAddPostRoutine([] { decoded.clear(); });
        return true;
    }();
    Q_UNUSED(releasedWithApplication);
    const QString path = name.toLocalFile();
    const QFileInfo info(path);
    // An image given a size is drawn from a picture made for that size on this screen, one
    // screen pixel for one picture pixel: sharp on high-density screens, and smoothly scaled.
    const qreal ratio = devicePixelRatioF();
    static const QRegularExpression shownSize(QStringLiteral(R"(^(\d+)x(\d+))"));
    const QRegularExpressionMatch shown = shownSize.match(name.fragment());
    const QSize size =
        shown.hasMatch() ? QSize(shown.captured(1).toInt(), shown.captured(2).toInt()) : QSize();
    const bool recoloured =
        !colours_.name.isEmpty() && colours_.image && name.fragment().endsWith(colours_.name);
    const QString key = path + u'#' + name.fragment() + u'@' + QString::number(ratio);
    if (!info.isFile()) {
        decoded.remove(key);
        return QTextBrowser::loadResource(type, name);
    }
    auto it = decoded.find(key);
    if (it != decoded.end() && it->modified == info.lastModified() && it->size == info.size()) {
        return it->pixmap;
    }
    QFile file(path);
    QPixmap pixmap;
    QImage image;
    if (!file.open(QIODevice::ReadOnly) ||
        !(recoloured ? image.loadFromData(file.readAll()) : pixmap.loadFromData(file.readAll()))) {
        decoded.remove(key);
        return QTextBrowser::loadResource(type, name);
    }
    if (recoloured) {
        pixmap = QPixmap::fromImage(InColours(image, colours_));
    }
    if (!size.isEmpty()) {
        pixmap = pixmap.scaled(size * ratio, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        pixmap.setDevicePixelRatio(ratio);
    }
    decoded.insert(key, Decoded{info.lastModified(), info.size(), pixmap});
    return pixmap;
}

std::vector<BrowserControl::Anchor> BrowserControl::AnchorsOf(const QTextDocument& document) {
    std::vector<Anchor> anchors;
    // Anchors whose content runs without a gap up to the current fragment; a nested link splits
    // its parent into fragments, and the parent continues when its target comes back.
    std::vector<size_t> open;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
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

QColor BrowserControl::ShownColour(const QColor& color) const {
    return colours_.name.isEmpty() || !colours_.page
               ? color
               : QColor::fromRgba(colours_.page(color.rgba()));
}

void BrowserControl::SetAnchorColorIn(QTextDocument& document, size_t index, const QColor& color) {
    const std::vector<Anchor> anchors = AnchorsOf(document);
    if (index >= anchors.size()) {
        return;
    }
    const Anchor& anchor = anchors[index];
    // Only the anchor's own text: a link nested inside it keeps its colour.
    std::vector<std::pair<int, int>> ranges;
    for (QTextBlock block = document.findBlock(anchor.start);
         block.isValid() && block.position() < anchor.end; block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            const int start = std::max(fragment.position(), anchor.start);
            const int end = std::min(fragment.position() + fragment.length(), anchor.end);
            const QTextCharFormat format = fragment.charFormat();
            // Text already in that colour is left alone: every edit lays the block out again.
            const bool sameColour = format.hasProperty(QTextFormat::ForegroundBrush) &&
                                    format.foreground().style() == Qt::SolidPattern &&
                                    format.foreground().color() == color;
            if (start < end && format.anchorHref() == anchor.target && !sameColour) {
                ranges.emplace_back(start, end);
            }
        }
    }
    if (ranges.empty()) {
        return;
    }
    QTextCharFormat colour;
    colour.setForeground(color);
    QTextCursor cursor(&document);
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

std::vector<int> BrowserControl::OwnCharacters(const Anchor& anchor) const {
    const QString text = toPlainText();
    std::vector<int> own;
    QTextCursor cursor(document());
    for (int pos = anchor.start; pos < anchor.end && pos < text.size(); ++pos) {
        if (text[pos].isSpace()) {
            continue;
        }
        cursor.setPosition(pos + 1);
        if (cursor.charFormat().anchorHref() == anchor.target) {
            own.push_back(pos);
        }
    }
    return own;
}

QPoint BrowserControl::PositionOfCharacter(int position) {
    const QTextBlock block = document()->findBlock(position);
    if (!block.isValid()) {
        return {};
    }
    const QRectF blockRect = document()->documentLayout()->blockBoundingRect(block);
    const QTextLayout* layout = block.layout();
    const int offset = position - block.position();
    const QTextLine line = layout->lineForTextPosition(offset);
    if (!line.isValid()) {
        return {};
    }
    // The view reads a click as the character whose cursor position the point hits; look along
    // the line for the points that hit `position` (justification and mixed right-to-left text
    // with digits move characters away from their plain cursor positions).
    QAbstractTextDocumentLayout* documentLayout = document()->documentLayout();
    const qreal y = blockRect.top() + line.y() + line.height() / 2;
    const qreal left = blockRect.left() + line.x();
    qreal first = -1;
    qreal last = -1;
    for (qreal x = left; x <= left + line.width(); x += 0.5) {
        if (documentLayout->hitTest(QPointF(x, y), Qt::ExactHit) == position) {
            if (first < 0) {
                first = x;
            }
            last = x;
        } else if (first >= 0) {
            break;
        }
    }
    const qreal x = first >= 0 ? (first + last) / 2 : blockRect.left() + line.cursorToX(offset);
    const QPointF inDocument(x, y);
    return QPoint(qRound(inDocument.x()) - horizontalScrollBar()->value(),
                  qRound(inDocument.y()) - verticalScrollBar()->value());
}

void InstallMushafFontFallback() {
    MushafFontChoice& choice = FontChoice();
    choice = MushafFontChoice();
    choice.installed = QFontDatabase::families().contains(kMushafFamily, Qt::CaseInsensitive);
    if (!choice.installed) {
        QFont::insertSubstitution(kMushafFamily, kStandInFamily);
    }
}

}  // namespace pagora
