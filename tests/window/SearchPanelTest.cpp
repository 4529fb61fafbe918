// The search panel over the real book, driven with keys and the mouse (offscreen).

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QSignalSpy>
#include <QTest>

#include "reader/search/SearchIndex.h"
#include "window/SearchPanel.h"

namespace pagora {
namespace {

using search::IndexedVerse;
using search::SearchIndex;

// Counts the key presses that reach the window holding the panel.
struct KeyRecorder : QObject {
    int keys = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        keys += event->type() == QEvent::KeyPress;
        return false;
    }
};

class SearchPanelTest : public ::testing::Test {
  protected:
    void SetUp() override {
        window_.installEventFilter(&windowKeys_);
        window_.resize(500, 600);
        panel_.resize(500, 600);
        panel_.SetIndex(index_);
        window_.show();
        panel_.Open();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window_));
    }

    QLineEdit& Text() { return *panel_.findChild<QLineEdit*>(QStringLiteral("searchText")); }
    QString Count() { return panel_.findChild<QLabel*>(QStringLiteral("searchCount"))->text(); }
    QListView& List() { return *panel_.findChild<QListView*>(QStringLiteral("searchResults")); }

    // Key by key, as an Arabic keyboard layout sends them.
    void Type(const QString& text) {
        Text().clear();
        for (const QChar c : text) {
            QTest::sendKeyEvent(QTest::Click, &Text(), Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
        ASSERT_EQ(Text().text(), text);
    }

    // The signal's (page, sura, verse) for the verse at `row` of what the index finds.
    QList<QVariant> Chosen(const QString& query, int row) {
        const IndexedVerse& v = index_->Verse(index_->Search(query)[static_cast<size_t>(row)]);
        return {v.page, v.sura, v.verse};
    }

    const SearchIndex* index_ = [] {
        static const SearchIndex index = SearchIndex::Build(QStringLiteral(PAGORA_ARCHIVE_DIR));
        return &index;
    }();
    KeyRecorder windowKeys_;
    QWidget window_;
    SearchPanel& panel_ = *new SearchPanel(&window_);
};

TEST_F(SearchPanelTest, TypingUpdatesCountAndListEnterOrDoubleClickChooseAndEscapeCloses) {
    QSignalSpy chosen(&panel_, &SearchPanel::VerseChosen);
    const QString believers = QString::fromUtf16(u"\u064A\u0627 \u0623\u064A\u0647\u0627");
    Type(believers);
    const int found = static_cast<int>(index_->Search(believers).size());
    ASSERT_GT(found, 100);
    EXPECT_EQ(Count(), QStringLiteral("%1 verses found").arg(found));
    EXPECT_EQ(List().model()->rowCount(), found);

    QTest::keyClick(&Text(), Qt::Key_Return);
    QTest::keyClick(&Text(), Qt::Key_Down);
    QTest::keyClick(&Text(), Qt::Key_Return);
    ASSERT_EQ(chosen.size(), 2);
    EXPECT_EQ(chosen[0], Chosen(believers, 0));
    EXPECT_EQ(chosen[1], Chosen(believers, 1));

    Type(QString::fromUtf16(u"\u0662:\u0662\u0665\u0665"));
    EXPECT_EQ(Count(), QStringLiteral("1 verse found"));

    Type(QStringLiteral("xyz"));
    EXPECT_EQ(Count(), QStringLiteral("No verse found"));
    QTest::keyClick(&Text(), Qt::Key_Return);
    EXPECT_EQ(chosen.size(), 2);
    chosen.clear();

    // A double click chooses too, and Escape closes the panel.
    QSignalSpy closed(&panel_, &SearchPanel::Closed);
    const QString hadha = QString::fromUtf16(u"\u0647\u0630\u0627");
    Type(hadha);
    const QRect third = List().visualRect(List().model()->index(2, 0));
    ASSERT_TRUE(List().viewport()->rect().contains(third));
    // As a mouse sends a double click: a click, then the second press as a double click.
    QTest::mouseClick(List().viewport(), Qt::LeftButton, {}, third.center());
    EXPECT_EQ(chosen.size(), 0);
    QTest::mouseDClick(List().viewport(), Qt::LeftButton, {}, third.center());
    QTest::mouseRelease(List().viewport(), Qt::LeftButton, {}, third.center());
    ASSERT_EQ(chosen.size(), 1);
    EXPECT_EQ(chosen[0], Chosen(hadha, 2));

    // The matched words are painted on their mark colour, the chosen verse on the selection's.
    const QImage shown = List().viewport()->grab().toImage();
    const QColor background = List().palette().color(QPalette::Base);
    int marked = 0;
    int plain = 0;  // of the chosen verse
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x) {
            marked += shown.pixelColor(x, y) == QColor(0xFF, 0xD8, 0x6B);
            plain += third.contains(x, y) && shown.pixelColor(x, y) == background;
        }
    }
    EXPECT_GT(marked, 100);
    EXPECT_LT(plain, third.width() * third.height() / 4);

    QTest::keyClick(&List(), Qt::Key_Escape);
    EXPECT_FALSE(panel_.isVisible());
    EXPECT_EQ(closed.size(), 1);
    panel_.Open();
    EXPECT_TRUE(panel_.isVisible());
    EXPECT_TRUE(Text().hasSelectedText());
    QTest::keyClick(&Text(), Qt::Key_Escape);
    EXPECT_EQ(closed.size(), 2);
}

TEST_F(SearchPanelTest, KeysTypedInThePanelNeverReachTheWindow) {
    QTest::keyClicks(&Text(), QStringLiteral("zx 2:255"));
    for (QWidget* target : {static_cast<QWidget*>(&Text()), static_cast<QWidget*>(&List())}) {
        for (const Qt::Key key : {Qt::Key_Down, Qt::Key_Up, Qt::Key_Left, Qt::Key_Right,
                                  Qt::Key_Return, Qt::Key_F5, Qt::Key_Z}) {
            QTest::keyClick(target, key);
        }
    }
    EXPECT_EQ(windowKeys_.keys, 0);
}

}  // namespace
}  // namespace pagora
