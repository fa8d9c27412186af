#include "study/qt/TForm_EnFollowMP3.h"

#include "display/qt/TRichTextView.h"
#include "platform/Gbk.h"
#include "platform/qt/QtMediaPlayer.h"
#include "study/qt/StudyArt.h"
#include "widgets/HoverLabel.h"
#include "widgets/LbSpeedButton.h"
#include "widgets/WindowChrome.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QScreen>
#include <QTimer>

namespace study {
namespace {

std::shared_ptr<display::TTextStyleTable> MakeStyleTable() {
    auto table = std::make_shared<display::TTextStyleTable>();
    display::TTextStyle spoken;
    spoken.FontName = "Arial";
    spoken.Size = 16;
    // Same weight in both styles, so the line does not reflow as it is read.
    spoken.Color = display::TColor::FromRgb(0xC0392B);
    display::TTextStyle unspoken = spoken;
    unspoken.Color = display::TColor::FromRgb(0x1F3F7A);
    table->TextStyles = {spoken, unspoken};
    table->Color = display::TColor::FromRgb(0xFFFFFF);
    return table;
}

QLabel* MakeLabel(QWidget* parent) {
    auto* label = new QLabel(parent);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::white);
    palette.setColor(QPalette::Disabled, QPalette::WindowText, QColor(0xb8, 0xc8, 0xe8));
    label->setPalette(palette);
    return label;
}

int WindowsKeyCode(int qtKey) {
    switch (qtKey) {
    case Qt::Key_Escape:
        return FollowAlong::kKeyEscape;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return FollowAlong::kKeyEnter;
    case Qt::Key_Space:
        return FollowAlong::kKeySpace;
    default:
        return 0;
    }
}

} // namespace

TForm_EnFollowMP3::TForm_EnFollowMP3(const std::string& record, platform::MediaPlayer& player,
                                     QWidget* parent)
    : QDialog(parent, Qt::FramelessWindowHint | Qt::Dialog) {
    setModal(true);
    widgets::ChromeOptions options;
    options.edges = {};
    options.cornerWidth = 5;
    options.cornerHeight = 5;
    options.footStrip = false;
    chrome_ = new widgets::WindowChrome(this, options);
    chrome_->MinimizeButton()->hide();
    chrome_->MaximizeButton()->hide();
    chrome_->CloseButton()->hide();
    chrome_->TitlePanel()->installEventFilter(this);

    Label_Title = chrome_->TitleLabel();
    Label_Pause = MakeLabel(chrome_->TitlePanel());
    Label_Exit = MakeLabel(chrome_->TitlePanel());
    Label_Pause->setText(QString::fromUtf8("[空格键暂停]"));
    Label_Pause->setEnabled(false);
    Label_Exit->setText(QString::fromUtf8("[回车键结束]"));
    for (QLabel* label : {Label_Pause, Label_Exit}) {
        label->setCursor(Qt::PointingHandCursor);
        label->installEventFilter(this);
    }
    chrome_->TitleLayout()->addWidget(Label_Pause);
    chrome_->TitleLayout()->addSpacing(16);
    chrome_->TitleLayout()->addWidget(Label_Exit);
    chrome_->TitleLayout()->addSpacing(12);

    StyleTable1 = MakeStyleTable();
    RichText1 = MakeStudyView(chrome_->Body(), StyleTable1, 12);
    RichText1->SetAllowSelection(false);
    setFocusPolicy(Qt::StrongFocus);

    Timer1 = new QTimer(this);
    Timer1->setInterval(FollowAlong::kTimerIntervalMs);
    connect(Timer1, &QTimer::timeout, this, [this] { follow_->Tick(); });

    FollowAlong::Hooks hooks;
    // The play action runs from the event loop once the timer event is over.
    hooks.QueuePlayAction = [this] {
        QMetaObject::invokeMethod(
            this, [this] { follow_->PlayAction(); }, Qt::QueuedConnection);
    };
    hooks.ShowProgress = [this](const ProgressText& progress) { ShowProgress(progress); };
    hooks.PauseLabelChanged = [this] { UpdatePauseLabel(); };
    hooks.Finish = [this](bool ok) { Finish(ok); };
    follow_.emplace(player, ParseFollowRecord(record), std::move(hooks));
    chrome_->SetTitle(QString::fromStdString(platform::GbkToUtf8(follow_->Request().Title)));
}

TForm_EnFollowMP3::~TForm_EnFollowMP3() {
    Timer1->stop();
    follow_.reset();
}

void TForm_EnFollowMP3::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // A window restored from minimised is shown again (spontaneously); the
    // reading goes on where it was.
    if (!event->spontaneous())
        FormShow();
}

void TForm_EnFollowMP3::FormShow() {
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    setGeometry(screen.x(), screen.y() + screen.height() - kHeight - kBottomGap, screen.width(),
                kHeight);
    chrome_->SetRoundRegion(5, 5);
    Label_Pause->setText(QString::fromUtf8("[空格键暂停]"));
    Label_Exit->setText(QString::fromUtf8("[回车键结束]"));
    follow_->Start();
    Timer1->start();
    setFocus();
}

void TForm_EnFollowMP3::UpdatePauseLabel() {
    Label_Pause->setText(QString::fromUtf8(
        follow_->Caption() == FollowAlong::PauseCaption::Pause ? "[空格键暂停]" : "[空格键继续]"));
    Label_Pause->setEnabled(follow_->PauseEnabled());
}

void TForm_EnFollowMP3::ShowProgress(const ProgressText& progress) {
    study::ShowProgress(RichText1->Document(), progress);
    RichText1->Format();
}

void TForm_EnFollowMP3::Finish(bool ok) {
    Timer1->stop();
    if (ok)
        accept();
    else
        QDialog::reject();
}

void TForm_EnFollowMP3::reject() {
    // Every way of closing other than the end of the last pause is a cancel.
    if (follow_ && !follow_->Finished())
        follow_->Cancel();
    else
        QDialog::reject();
}

void TForm_EnFollowMP3::keyPressEvent(QKeyEvent* event) {
    // Keys act on release; a dialog would otherwise close on the press.
    if (WindowsKeyCode(event->key()) != 0) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TForm_EnFollowMP3::keyReleaseEvent(QKeyEvent* event) {
    const int key = WindowsKeyCode(event->key());
    if (key != 0 && !event->isAutoRepeat()) {
        follow_->KeyReleased(key);
        event->accept();
        return;
    }
    QDialog::keyReleaseEvent(event);
}

bool TForm_EnFollowMP3::eventFilter(QObject* watched, QEvent* event) {
    if (watched == chrome_->TitlePanel() && event->type() == QEvent::MouseButtonDblClick)
        return true; // the strip is never maximised
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (watched == Label_Pause && Label_Pause->isEnabled()) {
            follow_->TogglePause();
            return true;
        }
        if (watched == Label_Exit) {
            follow_->Cancel();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

bool ShowEnFollowMP3(const std::string& record, platform::MediaPlayer* player, QWidget* parent) {
    std::unique_ptr<platform::QtMediaPlayer> ownPlayer;
    if (player == nullptr) {
        ownPlayer = std::make_unique<platform::QtMediaPlayer>();
        player = ownPlayer.get();
    }
    if (!player->HasAudioOutput()) {
        // Reading along with no sound is no use; say why nothing plays.
        QMessageBox::information(parent, QString::fromUtf8("Quenlo英语词典"),
                                 QString::fromUtf8(kNoSoundOutput));
        return false;
    }
    TForm_EnFollowMP3 form(record, *player, parent);
    return form.exec() == QDialog::Accepted;
}

} // namespace study
