#include "app/TFrame_Dic.h"

#include "app/ResultListModel.h"
#include "widgets/LbSpeedButton.h"

#include <algorithm>

#include <QCheckBox>
#include <QCoreApplication>
#include <QEvent>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMouseEvent>
#include <QVBoxLayout>

namespace app {

namespace {

QString Utf8(const char* text) {
    return QString::fromUtf8(text);
}

bool IsEnter(const QEvent* event) {
    if (event->type() != QEvent::KeyRelease)
        return false;
    int key = static_cast<const QKeyEvent*>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

// The items are padded to 30 bytes for a font whose Latin letters are one
// unit and Chinese characters two units wide; this is such a font.
QFont ListFont(const QFont& base) {
    QFont font = base;
    font.setFamilies({QStringLiteral("WenQuanYi Micro Hei Mono"),
                      QStringLiteral("Noto Sans Mono CJK SC"), QStringLiteral("DejaVu Sans Mono")});
    font.setStyleHint(QFont::Monospace);
    return font;
}

} // namespace

TFrame_Dic::TFrame_Dic(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Frame_Dic1"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 6, 8, 6);

    auto* queryRow = new QHBoxLayout;
    Label_Input = new QLabel(Utf8("输入"), this);
    LabeledEdit_Input = new QLineEdit(this);
    LabeledEdit_Input->setObjectName(QStringLiteral("LabeledEdit_Input"));
    Label_Input->setBuddy(LabeledEdit_Input);
    CheckBox_Word = new QCheckBox(this);
    CheckBox_Word->setObjectName(QStringLiteral("CheckBox_Word"));
    CheckBox_Word->setChecked(true);
    Label_Word = new QLabel(Utf8("单词"), this);
    CheckBox_Phrase = new QCheckBox(this);
    CheckBox_Phrase->setObjectName(QStringLiteral("CheckBox_Phrase"));
    CheckBox_Phrase->setChecked(false);
    Label_Phrase = new QLabel(Utf8("词组"), this);
    LbSpeedButton_QueryHis = new widgets::LbSpeedButton(this);
    LbSpeedButton_QueryHis->setText(Utf8("历史查询"));
    LbSpeedButton_QueryHis->SetHint(Utf8("扩展查询：可以查出与输入内容相匹配的词汇"));
    LbSpeedButton_QueryHis->hide();
    queryRow->addWidget(Label_Input);
    queryRow->addWidget(LabeledEdit_Input, 1);
    queryRow->addSpacing(8);
    queryRow->addWidget(CheckBox_Word);
    queryRow->addWidget(Label_Word);
    queryRow->addSpacing(4);
    queryRow->addWidget(CheckBox_Phrase);
    queryRow->addWidget(Label_Phrase);
    queryRow->addWidget(LbSpeedButton_QueryHis);
    LbSpeedButton_History = new widgets::LbSpeedButton(this);
    LbSpeedButton_History->setObjectName(QStringLiteral("LbSpeedButton_History"));
    LbSpeedButton_History->setText(Utf8("历史"));
    LbSpeedButton_History->SetHint(Utf8("最近查看的词汇（输入框为空时按↓）"));
    queryRow->addSpacing(4);
    queryRow->addWidget(LbSpeedButton_History);
    layout->addLayout(queryRow);

    ListModel = new ResultListModel(this);
    ListBox1 = new QListView(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setModel(ListModel);
    ListBox1->setUniformItemSizes(true); // row heights are not measured one by one
    ListBox1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListBox1->setFont(ListFont(font()));
    ListModel->SetBaseFont(ListBox1->font());
    layout->addWidget(ListBox1, 1);

    Label_Hint = new QLabel(Utf8("提示：鼠标双击查看词汇详细信息"), this);
    Label_Hint->setObjectName(QStringLiteral("Label_Hint"));
    layout->addWidget(Label_Hint);

    connect(LabeledEdit_Input, &QLineEdit::textChanged, this, &TFrame_Dic::QueryChanged);
    connect(CheckBox_Word, &QCheckBox::clicked, this, &TFrame_Dic::FilterClicked);
    connect(CheckBox_Phrase, &QCheckBox::clicked, this, &TFrame_Dic::FilterClicked);
    connect(ListBox1, &QListView::doubleClicked, this, &TFrame_Dic::OpenFromList);
    connect(LbSpeedButton_History, &QAbstractButton::clicked, this,
            &TFrame_Dic::HistoryRequested);
    Label_Word->installEventFilter(this);
    Label_Phrase->installEventFilter(this);
    LabeledEdit_Input->installEventFilter(this);
    ListBox1->installEventFilter(this);
}

int TFrame_Dic::SelectedIndex() const {
    QModelIndex current = ListBox1->currentIndex();
    if (!current.isValid() || !ListBox1->selectionModel()->isSelected(current))
        return -1;
    return current.row();
}

void TFrame_Dic::SelectRow(int row, int step) {
    const int rows = ListModel->rowCount();
    if (rows == 0)
        return;
    row = std::clamp(row, 0, rows - 1);
    // Step over rows that cannot be selected (notes), else back the other way.
    for (int direction : {step >= 0 ? 1 : -1, step >= 0 ? -1 : 1}) {
        for (int r = row; r >= 0 && r < rows; r += direction) {
            const QModelIndex index = ListModel->index(r);
            if (ListModel->flags(index) & Qt::ItemIsSelectable) {
                ListBox1->setCurrentIndex(index);
                ListBox1->scrollTo(index);
                return;
            }
        }
    }
}

void TFrame_Dic::FocusQuery() {
    // After a modal window the main window may not be active yet.
    window()->activateWindow();
    LabeledEdit_Input->setFocus(Qt::ShortcutFocusReason);
    LabeledEdit_Input->selectAll();
}

int TFrame_Dic::PageRows() const {
    const int rowHeight = ListBox1->sizeHintForRow(0);
    return rowHeight > 0 ? std::max(1, ListBox1->viewport()->height() / rowHeight) : 1;
}

bool TFrame_Dic::MoveSelection(int key) {
    // Down in an empty box lists the history, unless the list shows it.
    const auto& rows = ListModel->Rows();
    if (key == Qt::Key_Down && LabeledEdit_Input->text().trimmed().isEmpty() &&
        (rows.empty() || rows.front().Kind != core::RowKind::History)) {
        emit HistoryRequested();
        return true;
    }
    const int selected = SelectedIndex();
    switch (key) {
    case Qt::Key_Down:
        SelectRow(selected + 1, 1);
        return true;
    case Qt::Key_Up:
        SelectRow(selected < 0 ? 0 : selected - 1, -1);
        return true;
    case Qt::Key_PageDown:
        SelectRow(selected + PageRows(), 1);
        return true;
    case Qt::Key_PageUp:
        SelectRow(selected - PageRows(), -1);
        return true;
    default:
        return false;
    }
}

bool TFrame_Dic::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const bool plain = (key->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier)) == 0;
        if (watched == LabeledEdit_Input && plain && MoveSelection(key->key()))
            return true;
        // Typing while the list has the focus goes on in the query box, not
        // into the list's own search by first letters.
        if (watched == ListBox1 && plain && !key->text().isEmpty() && key->text()[0].isPrint()) {
            LabeledEdit_Input->setFocus(Qt::OtherFocusReason);
            LabeledEdit_Input->deselect();
            LabeledEdit_Input->end(false);
            QCoreApplication::sendEvent(LabeledEdit_Input, event);
            return true;
        }
    }
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        // A click on a label toggles its box, as a click on the box would.
        if (watched == Label_Word)
            CheckBox_Word->click();
        else if (watched == Label_Phrase)
            CheckBox_Phrase->click();
    }
    if (IsEnter(event)) {
        if (watched == ListBox1)
            emit OpenFromList();
        else if (watched == LabeledEdit_Input)
            emit OpenFromQuery();
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace app
