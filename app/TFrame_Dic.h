#pragma once

#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListView;

namespace widgets {
class LbSpeedButton;
}

namespace app {

class ResultListModel;

// The query frame of the main window: the query box, the word and phrase
// check boxes with their labels, the history button, the result list and its
// hint. It only reports; the main window owns the search and answers the
// signals.
//
// The keyboard stays in the query box: Down, Up, PageDown and PageUp there
// move the list's selection (Down on an empty box asks for the history), and
// what is typed while the list has the focus goes on in the query box.
class TFrame_Dic : public QWidget {
    Q_OBJECT
public:
    explicit TFrame_Dic(QWidget* parent = nullptr);

    QLabel* Label_Input = nullptr; // "输入", the query box's label
    QLineEdit* LabeledEdit_Input = nullptr;
    QCheckBox* CheckBox_Word = nullptr; // checked at start
    QLabel* Label_Word = nullptr;       // "单词"
    QCheckBox* CheckBox_Phrase = nullptr;
    QLabel* Label_Phrase = nullptr; // "词组"
    QListView* ListBox1 = nullptr;
    ResultListModel* ListModel = nullptr;                     // ListBox1's items
    QLabel* Label_Hint = nullptr;                             // the list's hint, or an index error
    widgets::LbSpeedButton* LbSpeedButton_QueryHis = nullptr; // always hidden
    widgets::LbSpeedButton* LbSpeedButton_History = nullptr;  // "历史": the words opened

    // The selected row of ListBox1, or -1.
    int SelectedIndex() const;
    // Selects row `row` of ListBox1 (clamped to the rows; rows that cannot be
    // selected are stepped over in the direction of `step`) and shows it.
    void SelectRow(int row, int step = 1);
    // Gives the query box the focus with its text selected.
    void FocusQuery();

signals:
    void QueryChanged();
    void FilterClicked();
    // Double-click, or Enter released, in the list / Enter released in the
    // query box.
    void OpenFromList();
    void OpenFromQuery();
    // The history button, or Down in an empty query box.
    void HistoryRequested();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Down/Up/PageDown/PageUp in the query box; true when the key was used.
    bool MoveSelection(int key);
    // Rows a page of the list shows.
    int PageRows() const;
};

} // namespace app
