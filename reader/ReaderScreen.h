#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <optional>

#include "reader/Theme.h"

namespace pagora {

// The three page views of the main window.
enum class View { SinglePage, PageOne, PageTwo };
inline constexpr std::array<View, 3> kAllViews = {View::SinglePage, View::PageOne, View::PageTwo};

// The control name of a view: "wbSinglePage", "wbPageOne" (the right-hand page of a spread) or
// "wbPageTwo" (the left-hand page).
QString ViewName(View view);

// One page at a time, or two facing pages with the odd page on the right.
enum class PageMode { Single, Double };

// What the footer reports about the shown page(s).
struct Captions {
    QString pageNumber;  // "17", or "4 3" for a spread: the left page first
    QString textSize;
    QString suras;       // lblPage1: the suras of the single page, or of the left page
    QString rightSuras;  // lblPage2: the suras of the right page of a spread
    bool showRightSuras = false;
    bool operator==(const Captions&) const = default;
};

// What the reader shows; the main window implements it over its widgets, tests with a recorder.
class ReaderScreen {
  public:
    virtual ~ReaderScreen() = default;
    // Replaces the whole document of `view` (which now holds page `pageKey`, or nothing when the
    // key is empty).
    virtual void WriteDocument(View view, const QString& pageKey, const QString& document) = 0;
    // Paints the number links of the document in `view`: those whose item text equals `item`
    // red, every other one blue. Returns whether some number link matched.
    virtual bool PaintNumberLinks(View view, const QString& item) = 0;
    // Scrolls the link of `view` whose target is `target` ("#num2", "#aya3") into sight.
    virtual void ScrollToLink(View view, const QString& target) = 0;
    // Makes the page area of `mode` the visible one.
    virtual void ShowMode(PageMode mode) = 0;
    virtual void ShowCaptions(const Captions& captions) = 0;
    // Colours the window and the page views for `theme`; the documents written from then on
    // show in its colours.
    virtual void ShowTheme(Theme theme) = 0;
    // Fit mode on or off: the page views' scroll bars show only when needed while it is on.
    // Comes before the documents of a page turn are written.
    virtual void ShowFitPage(bool fit) = 0;
    // Whether `document` would show whole in `view`, as it is sized now, without a vertical
    // scroll bar.
    virtual bool Fits(View view, const QString& document) = 0;

    // Pages prepared ahead of a turn: a screen may lay `document` out for `view` in advance
    // (with the number link of `markedItem` painted red and the others blue, as PaintNumberLinks
    // does, when given), so that writing the same document later shows it at once. A screen
    // that prepares nothing keeps these defaults.
    virtual void PrepareDocument(View view, const QString& pageKey, const QString& document,
                                 const std::optional<QString>& markedItem) {
        (void)view, (void)pageKey, (void)document, (void)markedItem;
    }
    // Whether `document` is prepared for `view` as the view would show it now.
    virtual bool HasPreparedDocument(View view, const QString& document) const {
        (void)view, (void)document;
        return true;
    }
    // Drops the prepared documents of `view` except those of the pages `pageKeys`.
    virtual void KeepPreparedPages(View view, const QStringList& pageKeys) {
        (void)view, (void)pageKeys;
    }
    // Drops every prepared document (the number links to paint have changed).
    virtual void DropPreparedDocuments() {}
};

}  // namespace pagora
