#include "app/TFrame_Dic.h"

#include "app/ResultListModel.h"
#include "widgets/LbSpeedButton.h"

#include <QCheckBox>
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
    layout->addLayout(queryRow);

    ListModel = new ResultListModel(this);
    ListBox1 = new QListView(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setModel(ListModel);
    ListBox1->setUniformItemSizes(true); // row heights are not measured one by one
    ListBox1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListBox1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListBox1->setFont(ListFont(font()));
    layout->addWidget(ListBox1, 1);

    Label_Hint = new QLabel(Utf8("提示：鼠标双击查看词汇详细信息"), this);
    Label_Hint->setObjectName(QStringLiteral("Label_Hint"));
    layout->addWidget(Label_Hint);

    connect(LabeledEdit_Input, &QLineEdit::textChanged, this, &TFrame_Dic::QueryChanged);
    connect(CheckBox_Word, &QCheckBox::clicked, this, &TFrame_Dic::FilterClicked);
    connect(CheckBox_Phrase, &QCheckBox::clicked, this, &TFrame_Dic::FilterClicked);
    connect(ListBox1, &QListView::doubleClicked, this, &TFrame_Dic::OpenFromList);
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

bool TFrame_Dic::eventFilter(QObject* watched, QEvent* event) {
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
