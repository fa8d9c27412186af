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
// check boxes with their labels, the result list and its hint. It only
// reports; the main window owns the search and answers the signals.
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

    // The selected row of ListBox1, or -1.
    int SelectedIndex() const;

signals:
    void QueryChanged();
    void FilterClicked();
    // Double-click, or Enter released, in the list / Enter released in the
    // query box.
    void OpenFromList();
    void OpenFromQuery();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace app
