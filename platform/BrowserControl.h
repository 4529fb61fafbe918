#pragma once

#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QPoint>
#include <QString>
#include <QTextBrowser>
#include <functional>
#include <memory>
#include <vector>

namespace pagora {

// Colours a page view shows its documents in, in place of the colours the documents name.
struct ShownColours {
    // Tells the recolourings apart (the recoloured images are kept by it); empty for the
    // documents' own colours, when the maps are not used.
    QString name;
    // Each colour a document names for its text, links and backgrounds, and the view's own
    // white and black round and under it.
    std::function<QRgb(QRgb)> page;
    // Each pixel of the images a document shows.
    std::function<QRgb(QRgb)> image;
};

// The page view: a QTextBrowser that behaves like an embedded web-browser control. A document is
// written whole (DocumentClear, DocumentWrite..., DocumentClose renders it), links never navigate
// on their own (every click is reported through BeforeNavigate2 first), and the anchors of the
// shown document can be listed and recoloured. Justified paragraphs are stretched between words
// only, never inside a word or a number, and centred lines never wrap.
class BrowserControl : public QTextBrowser {
    Q_OBJECT
  public:
    explicit BrowserControl(const QString& name, QWidget* parent = nullptr);

    // Which page the view shows (its page key), or empty.
    QString Tag;
    const QString& Name() const { return name_; }

    // Raises BeforeNavigate2 with `url`; unless cancelled, shows the empty page. "about:blank" is
    // the only address that is supported (any other also gives the empty page).
    void Navigate(const QString& url);

    // Clear starts a new document, Write appends text to it, Close renders it (the view keeps
    // showing the previous document until then). Absolute file paths in "src" and "background"
    // attributes name local files.
    void DocumentClear();
    void DocumentWrite(const QString& html);
    void DocumentClose();

    // The colours of the documents shown from now on.
    void SetShownColours(ShownColours colours);
    // Whether `html` would show whole in the view at its present size, with no vertical scroll
    // bar: the document is laid out as the view would lay it out, without showing it.
    bool Fits(const QString& html);

    // Pages prepared ahead of time. PrepareDocument lays out `html` (as DocumentWrite would
    // have given it) in a document of its own, as the view would show it now, and then lets
    // `finish` change it (paint its links); closing a document of the same text later shows the
    // prepared one instead of laying it out again, as long as the view would still lay it out
    // the same way (see LayoutKey). One document is kept per page key, the last one prepared.
    // The pages prepared since the last document was shown also get a picture of the view's
    // first paint of them, as many as fit in a fixed budget of memory, so that the first paint
    // after a turn copies pixels instead of drawing text.
    void PrepareDocument(const QString& pageKey, const QString& html,
                         const std::function<void(QTextDocument&)>& finish = {});
    // Whether closing a document of this text would show a prepared one.
    bool IsPrepared(const QString& html) const;
    // Whether the next paint copies the shown document's picture, drawn when it was prepared,
    // instead of drawing its text (only the first paint after a prepared document is shown,
    // while nothing has changed the document or the view since).
    bool PaintsPictureNext() const { return !shownPicture_.picture.isNull(); }
    // Drops the prepared documents except those of the pages `pageKeys`.
    void KeepPrepared(const QStringList& pageKeys);
    void DropPrepared();
    size_t PreparedCount() const { return prepared_.size(); }

    // The anchors of the shown document in document order, like getElementsByTagName("A").
    struct Anchor {
        QString href;  // "about:blank" followed by the link's target, e.g. "about:blank#num3"
        // Character range from the link's first to its last own character; a link nested inside
        // it may lie within the range or just after it.
        int start = 0;
        int end = 0;
        QString target;  // the link's own target as written, e.g. "#num3"
    };
    std::vector<Anchor> Anchors() const { return AnchorsOf(*document()); }
    static std::vector<Anchor> AnchorsOf(const QTextDocument& document);
    // Sets the inline colour of anchor `index` (as returned by Anchors()), shown in the view's
    // colours; text of a link nested inside it keeps its own colour. An index out of range is
    // ignored.
    void SetAnchorColor(size_t index, const QColor& color) {
        SetAnchorColorIn(*document(), index, ShownColour(color));
    }
    static void SetAnchorColorIn(QTextDocument& document, size_t index, const QColor& color);
    // `color` as this view shows it.
    QColor ShownColour(const QColor& color) const;
    // Colour currently set for anchor `index` by the style sheet or SetAnchorColor; invalid when
    // none is set or the index is out of range.
    QColor AnchorColor(size_t index) const;

    // Screen position (viewport coordinates) of the middle of character `position`, for tests
    // and tools that click on a link.
    QPoint PositionOfCharacter(int position);
    // The characters of the anchor's own text, blanks left out; those of a link nested in it
    // belong to that link.
    std::vector<int> OwnCharacters(const Anchor& anchor) const;

  protected:
    // Images named by local file are decoded once per file (as long as the file is unchanged)
    // and shared by every document and view, instead of once per document. An image that its
    // tag gives a size in pixels (width and height of an <img>, background-size of a
    // background) is drawn at that size with the screen's full resolution.
    QVariant loadResource(int type, const QUrl& name) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  signals:
    // Raised for every link click before anything navigates; `cancel` starts false.
    void BeforeNavigate2(const QString& url, bool& cancel);

  private:
    // Everything besides the text that decides how the view lays a document out: a prepared
    // document is shown only while this is what it was laid out for. Whatever else comes to
    // change a page's layout or look (colours the view applies, a size fitted to the page)
    // belongs here, and in what PrepareDocument gives a prepared document.
    struct LayoutKey {
        int width = 0;
        qreal pixelRatio = 1;
        bool standInFont = false;
        QFont font;
        QString colours;
        bool operator==(const LayoutKey&) const = default;
    };
    LayoutKey CurrentLayout() const;
    // A document as this view paints it, scrolled to the top, in the view's present palette.
    struct Picture {
        QPixmap picture;
        qint64 palette = 0;
    };
    struct Prepared {
        QString pageKey;
        QString written;
        LayoutKey layout;
        std::unique_ptr<QTextDocument> document;
        Picture picture;
        int shownBefore = 0;  // documentsShown_ when it was prepared
    };
    // Shows the prepared document of text `written`, if there is one for the present layout.
    bool ShowPrepared(const QString& written);
    Picture DrawPicture(QTextDocument& document) const;
    void KeepPictureOf(Prepared& page);
    // Paints the shown document's picture if it still shows what painting the document would.
    bool PaintPicture(const QPaintEvent& event);

    // The html as the view's rich text takes it.
    QString ShownHtml(const QString& html) const;

    QString name_;
    QString pending_;
    std::vector<Prepared> prepared_;
    Picture shownPicture_;
    int documentsShown_ = 0;
    ShownColours colours_;
    // Where Fits lays documents out; made on first use.
    QTextDocument* measure_ = nullptr;
};

// Makes "Amiri Quran" stand in for the mushaf font "KFGQPC Uthmanic Script HAFS" when that font
// is not installed. When it is installed but lacks a character that a page shows, the page
// views show every page from then on in "Amiri Quran" and say so once on stderr. Call once
// after the application object exists.
void InstallMushafFontFallback();

}  // namespace pagora
