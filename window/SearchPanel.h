#pragma once

#include <QWidget>

namespace pagora::search {
class SearchIndex;
}

class QKeyEvent;
class QLabel;
class QLineEdit;
class QListView;

namespace pagora {

class SearchResultModel;

// Searching the book: a text field, the number of verses found and the list of those verses,
// updated as the user types. Each verse shows its sura's name, its number and page, and its
// text with the matched part marked. Enter in the text field chooses the selected verse (the
// first one unless the user moved with Up and Down), as do Enter and a double click in the list;
// Escape closes the panel.
class SearchPanel : public QWidget {
    Q_OBJECT
  public:
    explicit SearchPanel(QWidget* parent = nullptr);
    ~SearchPanel() override;

    // The verses to search, not owned; null until the index is built. Searches the current
    // text again.
    void SetIndex(const search::SearchIndex* index);
    // Shows the panel with the focus in the text field and its text selected.
    void Open();

  signals:
    void VerseChosen(int page, int sura, int verse);
    // Escape hid the panel.
    void Closed();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    // Keys typed into the panel stay there: none reaches the window's page keys.
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void UpdateResults();
    void Choose(int row);
    void Close();

    const search::SearchIndex* index_ = nullptr;
    QLineEdit* text_;
    QLabel* count_;
    QListView* list_;
    SearchResultModel* model_;
};

}  // namespace pagora
