#include "service/qt/TForm_SoftOnline.h"

#include "display/qt/QtConvert.h"
#include "display/qt/TRichTextView.h"
#include "platform/Gbk.h"
#include "platform/Paths.h"
#include "platform/Process.h"
#include "platform/Text.h"
#include "service/ChatDocument.h"
#include "service/ChatRequests.h"
#include "widgets/Application.h"
#include "widgets/ChromeArt.h"
#include "widgets/HoverLabel.h"
#include "widgets/LbSpeedButton.h"
#include "widgets/WindowChrome.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <QVBoxLayout>

#include <limits>

namespace service {

namespace {

constexpr int kRefreshSeconds = 5;
constexpr int kRightWidth = 220; // the recommendations panel, pixels
constexpr int kStripWidth = 4;   // Panel15, pixels
constexpr int kViewMargin = 8;   // left and right margins of both views
constexpr int kInputLeft = 8;    // the input's left in its row
constexpr int kInputRowHeight = 34;
constexpr int kBulletSize = 12;

QString FromGbk(std::string_view gbk) {
    return QString::fromStdString(platform::GbkToUtf8(gbk));
}

std::string ToGbk(const QString& text) {
    return platform::Utf8ToGbk(text.toStdString());
}

// A blue dot: the bullet of a recommendation with a link.
display::PicturePtr BulletPicture() {
    QImage image(kBulletSize, kBulletSize, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(widgets::chrome_art::kTitleBottom);
    painter.drawEllipse(QRectF(2.5, 2.5, 7, 7));
    painter.end();
    return display::PictureFromImage(image);
}

QWidget* MakePanel(QWidget* parent, const QColor& colour) {
    auto* panel = new QWidget(parent);
    panel->setAutoFillBackground(true);
    QPalette palette = panel->palette();
    palette.setColor(QPalette::Window, colour);
    panel->setPalette(palette);
    return panel;
}

} // namespace

TFrame_SoftOnline::TFrame_SoftOnline(QWidget* parent)
    : QWidget(parent),
      StyleTable1(std::make_shared<display::TTextStyleTable>(ConversationStyleTable())),
      StyleTable2(std::make_shared<display::TTextStyleTable>(NoticeStyleTable())) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    Panel_Body = new QWidget(this);
    auto* body = new QVBoxLayout(Panel_Body);
    body->setContentsMargins(0, 0, 0, 0);
    body->setSpacing(0);
    RichText1 = new display::TRichTextView(Panel_Body);
    RichText1->SetStyle(StyleTable1);
    RichText1->SetLeftMargin(kViewMargin);
    RichText1->SetRightMargin(kViewMargin);
    RichText1->SetBackgroundBitmap(widgets::chrome_art::DocumentBackgroundTile());
    RichText1->SetAllowSelection(true);
    Background1 = display::PictureFromImage(RichText1->BackgroundBitmap().toImage());
    body->addWidget(RichText1, 1);

    QWidget* tools = MakePanel(Panel_Body, widgets::chrome_art::kFrameFill);
    auto* toolRow = new QHBoxLayout(tools);
    toolRow->setContentsMargins(kInputLeft, 2, kInputLeft, 2);
    Label_Name = new widgets::HoverLabel(tools);
    Label_Name->SetColors(widgets::chrome_art::kNavy, widgets::chrome_art::kLinkBlue);
    Label_Name->setToolTip(QStringLiteral("点击更改名称"));
    Label_Name->setCursor(Qt::PointingHandCursor);
    toolRow->addWidget(Label_Name);
    toolRow->addStretch(1);
    LbSpeedButton_Refresh = new widgets::LbSpeedButton(tools);
    LbSpeedButton_Refresh->setText(QStringLiteral("刷新&R"));
    LbSpeedButton_Refresh->hide();
    toolRow->addWidget(LbSpeedButton_Refresh);
    LbSpeedButton_HisMsg = new widgets::LbSpeedButton(tools);
    LbSpeedButton_HisMsg->setText(QStringLiteral("聊天记录"));
    toolRow->addWidget(LbSpeedButton_HisMsg);
    LbSpeedButton_ShowRight = new widgets::LbSpeedButton(tools);
    LbSpeedButton_ShowRight->setText(QStringLiteral("推荐"));
    LbSpeedButton_ShowRight->SetHint(QStringLiteral("显示或隐藏推荐"));
    toolRow->addWidget(LbSpeedButton_ShowRight);
    body->addWidget(tools);

    Panel_Input = new QWidget(Panel_Body);
    Panel_Input->setFixedHeight(kInputRowHeight);
    Edit_Input = new QLineEdit(Panel_Input);
    LbSpeedButton_Send = new widgets::LbSpeedButton(Panel_Input);
    LbSpeedButton_Send->setText(QStringLiteral("发送&S"));
    LbSpeedButton_Send->resize(LbSpeedButton_Send->sizeHint().width() + 12,
                               Edit_Input->sizeHint().height());
    Panel_Input->installEventFilter(this);
    body->addWidget(Panel_Input);
    layout->addWidget(Panel_Body, 1);

    Panel15 = MakePanel(this, widgets::chrome_art::kFrameFill);
    Panel15->setFixedWidth(kStripWidth);
    layout->addWidget(Panel15);

    Panel_Right = new QWidget(this);
    Panel_Right->setFixedWidth(kRightWidth);
    auto* right = new QVBoxLayout(Panel_Right);
    right->setContentsMargins(0, 0, 0, 0);
    right->setSpacing(0);
    QWidget* rightTitle = MakePanel(Panel_Right, widgets::chrome_art::kFrameFill);
    auto* rightTitleRow = new QHBoxLayout(rightTitle);
    rightTitleRow->setContentsMargins(kViewMargin, 4, kViewMargin, 4);
    Label_TJRJ = new QLabel(QStringLiteral("推荐"), rightTitle);
    QFont titleFont = Label_TJRJ->font();
    titleFont.setBold(true);
    Label_TJRJ->setFont(titleFont);
    QPalette titlePalette = Label_TJRJ->palette();
    titlePalette.setColor(QPalette::WindowText, widgets::chrome_art::kNavy);
    Label_TJRJ->setPalette(titlePalette);
    rightTitleRow->addWidget(Label_TJRJ);
    right->addWidget(rightTitle);
    RichText2 = new display::TRichTextView(Panel_Right);
    RichText2->SetStyle(StyleTable2);
    RichText2->SetLeftMargin(kViewMargin);
    RichText2->SetRightMargin(kViewMargin);
    RichText2->SetAllowSelection(false);
    right->addWidget(RichText2, 1);
    layout->addWidget(Panel_Right);

    auto images = std::make_shared<display::TImageList>();
    images->Width = images->Height = kBulletSize;
    images->Images.push_back(BulletPicture());
    ImageList1 = images;
}

void TFrame_SoftOnline::PlaceInput() {
    const int sendWidth = LbSpeedButton_Send->width();
    const int height = Edit_Input->sizeHint().height();
    const int top = (Panel_Input->height() - height) / 2;
    Edit_Input->setGeometry(
        kInputLeft, top, std::max(0, Panel_Input->width() - sendWidth - kInputLeft - 10), height);
    LbSpeedButton_Send->setGeometry(Edit_Input->geometry().right() + 1 + 5, top, sendWidth, height);
}

bool TFrame_SoftOnline::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Panel_Input && event->type() == QEvent::Resize)
        PlaceInput();
    return QWidget::eventFilter(watched, event);
}

TForm_SoftOnline::TForm_SoftOnline(QWidget* parent)
    : QDialog(parent),
      session_(std::make_unique<ChatSession>(platform::UserFileForWriting("sol.dat"))),
      requests_(std::make_unique<ChatRequests>()),
      linkOpener_([](const std::string& url) { return platform::OpenUrl(url); }) {
    Chrome = new widgets::WindowChrome(this);
    Chrome->SetTitle(widgets::ApplicationTitle() + QStringLiteral(" ---> ") +
                     QStringLiteral("[在线客服]"));
    auto* layout = new QVBoxLayout(Chrome->Body());
    layout->setContentsMargins(0, 0, 0, 0);
    Frame_SoftOnline1 = new TFrame_SoftOnline(Chrome->Body());
    layout->addWidget(Frame_SoftOnline1);
    widgets::PlaceOnScreen(this);

    Timer_Refresh = new QTimer(this);
    Timer_Refresh->setInterval(kRefreshSeconds * 1000);
    connect(Timer_Refresh, &QTimer::timeout, this, &TForm_SoftOnline::Poll);

    TFrame_SoftOnline* frame = Frame_SoftOnline1;
    connect(frame->LbSpeedButton_Send, &QAbstractButton::clicked, this, &TForm_SoftOnline::Send);
    connect(frame->Edit_Input, &QLineEdit::returnPressed, this, &TForm_SoftOnline::Send);
    connect(frame->LbSpeedButton_Refresh, &QAbstractButton::clicked, this, &TForm_SoftOnline::Poll);
    connect(frame->LbSpeedButton_HisMsg, &QAbstractButton::clicked, this, [this] {
        session_->ToggleHistory();
        ShowMessages();
    });
    connect(frame->LbSpeedButton_ShowRight, &QAbstractButton::clicked, this,
            &TForm_SoftOnline::ToggleRight);
    connect(frame->RichText2, &display::TRichTextView::OnJump, this, [this](int k) {
        const std::string url = session_->Link(k);
        if (!url.empty())
            linkOpener_(url);
    });
    frame->Label_Name->installEventFilter(this);

    session_->LoadHistory();
}

TForm_SoftOnline::~TForm_SoftOnline() {
    // Cancels and joins before anything its callbacks name goes away.
    requests_.reset();
}

void TForm_SoftOnline::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!shown_) {
        shown_ = true;
        FormShow();
    }
}

void TForm_SoftOnline::FormShow() {
    Frame_SoftOnline1->Label_Name->setText(FromGbk(ChatSession::LoadUserName()));
    Poll();
    LoadLinks();
    ShowMessages();
    Frame_SoftOnline1->Edit_Input->setFocus();
}

bool TForm_SoftOnline::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Frame_SoftOnline1->Label_Name && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        ChangeName();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TForm_SoftOnline::ShowMessages() {
    display::TRichTextView* view = Frame_SoftOnline1->RichText1;
    view->Clear();
    service::ShowMessages(session_->Displayed(), view->Document(), Frame_SoftOnline1->Background1);
    view->Format();
    view->SetVScrollPos(std::numeric_limits<int>::max());
    view->viewport()->update();
}

void TForm_SoftOnline::Send() {
    if (sending_)
        return;
    QLineEdit* input = Frame_SoftOnline1->Edit_Input;
    std::string message;
    switch (ChatSession::PrepareMessage(ToGbk(input->text()), message)) {
    case ChatSession::Input::Empty:
        return;
    case ChatSession::Input::TooLong:
        QMessageBox::information(this, widgets::ApplicationTitle(),
                                 QStringLiteral("消息太长了！一条消息最多%1个字节（%2个汉字）。")
                                     .arg(ChatSession::MaxMessageBytes())
                                     .arg(ChatSession::MaxMessageBytes() / 2));
        return;
    case ChatSession::Input::Ready:
        break;
    }
    const std::string name(platform::Trimmed(ToGbk(Frame_SoftOnline1->Label_Name->text())));
    SetSending(true);
    ++pending_;
    requests_->Send(name, message, [this, name, message](std::string reply) {
        QMetaObject::invokeMethod(
            this, [this, name, message, reply] { SendDone(name, message, reply); },
            Qt::QueuedConnection);
    });
}

void TForm_SoftOnline::SendDone(const std::string& name, const std::string& message,
                                const std::string& reply) {
    --pending_;
    SetSending(false);
    if (session_->AddSent(name, message, reply)) {
        refreshDelay_ = kRefreshSeconds;
        Timer_Refresh->setInterval(refreshDelay_ * 1000);
        if (!Timer_Refresh->isActive())
            Timer_Refresh->start();
    }
    ShowMessages();
    Frame_SoftOnline1->Edit_Input->clear();
    Frame_SoftOnline1->Edit_Input->setFocus();
}

void TForm_SoftOnline::SetSending(bool sending) {
    sending_ = sending;
    Frame_SoftOnline1->Edit_Input->setReadOnly(sending);
    Frame_SoftOnline1->LbSpeedButton_Send->setEnabled(!sending);
}

void TForm_SoftOnline::Poll() {
    if (polling_)
        return;
    polling_ = true;
    ++pending_;
    requests_->Poll(session_->LastRID(), [this](bool ok, std::vector<std::string> lines) {
        QMetaObject::invokeMethod(
            this, [this, ok, lines = std::move(lines)] { PollDone(ok, lines); },
            Qt::QueuedConnection);
    });
}

void TForm_SoftOnline::PollDone(bool ok, const std::vector<std::string>& lines) {
    --pending_;
    polling_ = false;
    if (!ok)
        return;
    session_->AddPolled(lines);
    ShowMessages();
    refreshDelay_ = kRefreshSeconds;
    Timer_Refresh->setInterval(refreshDelay_ * 1000);
}

void TForm_SoftOnline::LoadLinks() {
    ++pending_;
    requests_->FetchNotices([this](std::string reply) {
        QMetaObject::invokeMethod(
            this, [this, reply = std::move(reply)] { NoticesDone(reply); }, Qt::QueuedConnection);
    });
}

void TForm_SoftOnline::NoticesDone(const std::string& reply) {
    --pending_;
    session_->SetNotices(reply);
    TFrame_SoftOnline* frame = Frame_SoftOnline1;
    frame->RichText2->Clear();
    ShowNotices(session_->Notices(), frame->RichText2->Document(), frame->ImageList1, nullptr);
    frame->RichText2->Format();
    if (session_->Notices().empty()) {
        frame->Panel_Right->hide();
        frame->Panel15->hide();
        frame->LbSpeedButton_ShowRight->hide();
    }
}

void TForm_SoftOnline::ToggleRight() {
    const bool show = !Frame_SoftOnline1->Panel_Right->isVisible();
    Frame_SoftOnline1->Panel_Right->setVisible(show);
    Frame_SoftOnline1->Panel15->setVisible(show);
}

void TForm_SoftOnline::ChangeName() {
    widgets::HoverLabel* label = Frame_SoftOnline1->Label_Name;
    bool ok = false;
    const QString answer =
        QInputDialog::getText(this, QStringLiteral("更改名称"), QStringLiteral("新名称    "),
                              QLineEdit::Normal, label->text(), &ok);
    if (!ok)
        return;
    std::string name = ToGbk(label->text());
    switch (ChatSession::RenameUser(ToGbk(answer), name)) {
    case ChatSession::Rename::TooLong:
        QMessageBox::information(this, widgets::ApplicationTitle(),
                                 QStringLiteral("新名称太长了！"));
        break;
    case ChatSession::Rename::Renamed:
        label->setText(FromGbk(name));
        break;
    case ChatSession::Rename::Unchanged:
        break;
    }
}

bool ShowSoftOnline(QWidget* parent) {
    TForm_SoftOnline online(parent);
    online.exec();
    return true;
}

} // namespace service
