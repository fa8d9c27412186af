#include "service/qt/TForm_Help.h"

#include "display/qt/TFrame_DocView.h"
#include "service/HelpText.h"
#include "widgets/Application.h"
#include "widgets/ChromeArt.h"
#include "widgets/HoverLabel.h"
#include "widgets/Label3D.h"
#include "widgets/WindowChrome.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace service {

namespace {
constexpr int kHeaderHeight = 48; // pixels
} // namespace

TFrame_Help::TFrame_Help(QWidget* parent) : QWidget(parent) {
    setFixedHeight(kHeaderHeight);
    setAutoFillBackground(true);
    QPalette headerPalette = palette();
    headerPalette.setColor(QPalette::Window, QColor(0xf3, 0xf7, 0xfd));
    setPalette(headerPalette);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(16, 0, 16, 0);
    layout->setSpacing(24);

    myLabel3d_SoftWareName = new widgets::Label3D(this);
    QFont nameFont = myLabel3d_SoftWareName->font();
    nameFont.setPointSize(nameFont.pointSize() + 3);
    nameFont.setBold(true);
    myLabel3d_SoftWareName->setFont(nameFont);
    layout->addWidget(myLabel3d_SoftWareName);

    Label_SoftWareVer = new QLabel(this);
    QPalette versionPalette = Label_SoftWareVer->palette();
    versionPalette.setColor(QPalette::WindowText, widgets::chrome_art::kNavy);
    Label_SoftWareVer->setPalette(versionPalette);
    layout->addWidget(Label_SoftWareVer);
    layout->addStretch(1);
}

TForm_Help::TForm_Help(QWidget* parent) : QDialog(parent) {
    Chrome = new widgets::WindowChrome(this);
    Chrome->SetTitle(widgets::ApplicationTitle() + QStringLiteral(" ---> ") +
                     QStringLiteral("[帮助]"));
    auto* layout = new QVBoxLayout(Chrome->Body());
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    Frame_Help1 = new TFrame_Help(Chrome->Body());
    layout->addWidget(Frame_Help1);
    Frame_DocView1 = new display::TFrame_DocView(Chrome->Body());
    layout->addWidget(Frame_DocView1, 1);
    widgets::PlaceOnScreen(this);
}

void TForm_Help::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!shown_) {
        shown_ = true;
        FormShow();
    }
}

void TForm_Help::FormShow() {
    Frame_DocView1->Label_Title->setText(QStringLiteral("软件帮助"));
    Frame_DocView1->Panel_Title->hide();
    Frame_Help1->myLabel3d_SoftWareName->setText(QStringLiteral("软件名称：") +
                                                 widgets::ApplicationTitle());
    Frame_Help1->Label_SoftWareVer->setText(QStringLiteral("软件版本：2.00"));
    std::vector<std::string> lines;
    ReadHelpText(lines);
    Frame_DocView1->ShowDocument(lines);
}

bool ShowHelp(QWidget* parent) {
    TForm_Help help(parent);
    help.exec();
    return true;
}

} // namespace service
