#include "window/SearchPanel.h"

#include <QAbstractListModel>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTextLayout>
#include <QVBoxLayout>
#include <algorithm>
#include <vector>

#include "reader/search/SearchIndex.h"

namespace pagora {

namespace {

enum Role { kVerseTextRole = Qt::UserRole, kMarksRole };

const QColor kMarkColour(0xFF, 0xD8, 0x6B);

QFont VerseFont(const QFont& base) {
    QFont font(QStringLiteral("KFGQPC Uthmanic Script HAFS"));
    font.setPixelSize(std::max(18, QFontInfo(base).pixelSize() * 8 / 5));
    return font;
}

// Paints a result as two lines: sura, verse and page, then the verse text, from a few words
// before its first mark, in the mushaf font with the marks highlighted.
class ResultDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override {
        const int height = option.fontMetrics.height() +
                           QFontMetrics(VerseFont(option.font)).height() + 3 * kMargin;
        return {200, height};
    }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem background = option;
        initStyleOption(&background, index);
        background.text.clear();
        const QWidget* widget = option.widget;
        QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
        style->drawControl(QStyle::CE_ItemViewItem, &background, painter, widget);

        const bool selected = option.state & QStyle::State_Selected;
        const QColor ink =
            option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
        const QRect area = option.rect.adjusted(kMargin, kMargin, -kMargin, -kMargin);
        painter->save();
        painter->setPen(ink);
        painter->setFont(option.font);
        painter->drawText(area, Qt::AlignTop | Qt::AlignLeading,
                          index.data(Qt::DisplayRole).toString());

        const QFont verseFont = VerseFont(option.font);
        QString text = index.data(kVerseTextRole).toString();
        QList<int> marks = index.data(kMarksRole).value<QList<int>>();
        Excerpt(text, marks, QFontMetrics(verseFont), area.width());

        QTextLayout layout(text, verseFont);
        QTextOption textOption(Qt::AlignRight);
        textOption.setTextDirection(Qt::RightToLeft);
        textOption.setWrapMode(QTextOption::NoWrap);
        layout.setTextOption(textOption);
        QList<QTextLayout::FormatRange> ranges;
        for (qsizetype k = 0; k + 1 < marks.size(); k += 2) {
            QTextLayout::FormatRange range;
            range.start = marks[k];
            range.length = marks[k + 1] - marks[k];
            range.format.setBackground(kMarkColour);
            range.format.setForeground(QColor(Qt::black));
            ranges << range;
        }
        layout.setFormats(ranges);
        layout.beginLayout();
        QTextLine line = layout.createLine();
        line.setLineWidth(area.width());
        layout.endLayout();
        const int top = area.top() + option.fontMetrics.height() + kMargin;
        layout.draw(painter, QPointF(area.left(), top));
        painter->restore();
    }

  private:
    static constexpr int kMargin = 4;

    // Cuts `text` down to what fits into `width` around its first mark: from a few words before
    // it, with an ellipsis where text was left out. `marks` (begin, end pairs) follow the cut.
    static void Excerpt(QString& text, QList<int>& marks, const QFontMetrics& metrics, int width) {
        constexpr int kWordsBefore = 3;
        int from = marks.isEmpty() ? 0 : marks.front();
        for (int words = 0; from > 0; --from) {
            if (text[from - 1].isSpace() && ++words > kWordsBefore) {
                break;
            }
        }
        const QString lead = from > 0 ? QStringLiteral("\u2026 ") : QString();
        // Shaping the whole of a long verse only to cut it would be wasted: no glyph is narrower
        // than two pixels.
        QString excerpt = lead + text.mid(from, std::max(1, width / 2));
        excerpt = metrics.elidedText(excerpt, Qt::ElideRight, width);
        const int shift = static_cast<int>(lead.size()) - from;
        const int last = static_cast<int>(excerpt.size());
        QList<int> kept;
        for (qsizetype k = 0; k + 1 < marks.size(); k += 2) {
            const int begin = std::max(marks[k] + shift, 0);
            const int end = std::min(marks[k + 1] + shift, last);
            if (begin < end) {
                kept << begin << end;
            }
        }
        text = excerpt;
        marks = kept;
    }
};

}  // namespace

// The verses found for the current text.
class SearchResultModel : public QAbstractListModel {
  public:
    using QAbstractListModel::QAbstractListModel;

    void Show(const search::SearchIndex* index, const QString& query) {
        beginResetModel();
        index_ = index;
        query_ = query;
        found_ = index != nullptr ? index->Search(query) : std::vector<size_t>();
        endResetModel();
    }

    const search::IndexedVerse* Verse(int row) const {
        return row >= 0 && row < rowCount() ? &index_->Verse(found_[static_cast<size_t>(row)])
                                            : nullptr;
    }

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(found_.size());
    }

    QVariant data(const QModelIndex& index, int role) const override {
        const search::IndexedVerse* verse = Verse(index.row());
        if (verse == nullptr) {
            return {};
        }
        const size_t i = found_[static_cast<size_t>(index.row())];
        switch (role) {
            case Qt::DisplayRole:
                return QStringLiteral("%1, verse %2, page %3")
                    .arg(index_->SuraName(verse->sura))
                    .arg(verse->verse)
                    .arg(verse->page);
            case Qt::ToolTipRole:
            case kVerseTextRole:
                return index_->Text(i).toString();
            case kMarksRole: {
                QList<int> marks;
                for (const auto& [begin, end] : index_->MarkedParts(i, query_)) {
                    marks << begin << end;
                }
                return QVariant::fromValue(marks);
            }
            default:
                return {};
        }
    }

  private:
    const search::SearchIndex* index_ = nullptr;
    QString query_;
    std::vector<size_t> found_;
};

SearchPanel::SearchPanel(QWidget* parent)
    : QWidget(parent),
      text_(new QLineEdit(this)),
      count_(new QLabel(this)),
      list_(new QListView(this)),
      model_(new SearchResultModel(this)) {
    text_->setObjectName(QStringLiteral("searchText"));
    text_->setPlaceholderText(QStringLiteral("Words of a verse, or sura:verse (2:255)"));
    text_->setClearButtonEnabled(true);
    count_->setObjectName(QStringLiteral("searchCount"));
    list_->setObjectName(QStringLiteral("searchResults"));
    list_->setModel(model_);
    list_->setItemDelegate(new ResultDelegate(list_));
    list_->setUniformItemSizes(true);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text_);
    layout->addWidget(count_);
    layout->addWidget(list_, 1);

    connect(text_, &QLineEdit::textChanged, this, &SearchPanel::UpdateResults);
    connect(text_, &QLineEdit::returnPressed, this,
            [this] { Choose(std::max(list_->currentIndex().row(), 0)); });
    connect(list_, &QListView::activated, this,
            [this](const QModelIndex& index) { Choose(index.row()); });
    text_->installEventFilter(this);
    list_->installEventFilter(this);
}

SearchPanel::~SearchPanel() = default;

void SearchPanel::SetIndex(const search::SearchIndex* index) {
    index_ = index;
    UpdateResults();
}

void SearchPanel::Open() {
    show();
    raise();
    text_->setFocus(Qt::ShortcutFocusReason);
    text_->selectAll();
}

void SearchPanel::UpdateResults() {
    model_->Show(index_, text_->text());
    const int found = model_->rowCount();
    if (text_->text().trimmed().isEmpty()) {
        count_->clear();
    } else if (found == 0) {
        count_->setText(QStringLiteral("No verse found"));
    } else {
        count_->setText(found == 1 ? QStringLiteral("1 verse found")
                                   : QStringLiteral("%1 verses found").arg(found));
    }
    if (found > 0) {
        list_->setCurrentIndex(model_->index(0));
    }
}

void SearchPanel::Choose(int row) {
    if (const search::IndexedVerse* verse = model_->Verse(row)) {
        emit VerseChosen(verse->page, verse->sura, verse->verse);
    }
}

void SearchPanel::Close() {
    hide();
    emit Closed();
}

void SearchPanel::keyPressEvent(QKeyEvent* event) {
    event->accept();
}

bool SearchPanel::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) {
        return false;
    }
    switch (static_cast<QKeyEvent*>(event)->key()) {
        case Qt::Key_Escape:
            Close();
            return true;
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            // Moving through the results without leaving the text field.
            if (watched == text_) {
                QApplication::sendEvent(list_, event);
                return true;
            }
            return false;
        default:
            return false;
    }
}

}  // namespace pagora
