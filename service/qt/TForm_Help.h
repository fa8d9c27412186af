#pragma once

#include <QDialog>

namespace display {
class TFrame_DocView;
}

namespace widgets {
class Label3D;
class WindowChrome;
} // namespace widgets

class QLabel;

namespace service {

// The header of the help window: the product name and version.
class TFrame_Help : public QWidget {
    Q_OBJECT
public:
    explicit TFrame_Help(QWidget* parent = nullptr);

    widgets::Label3D* myLabel3d_SoftWareName = nullptr;
    QLabel* Label_SoftWareVer = nullptr;
};

// The modal help window: the chrome titled application title + " ---> " +
// "[帮助]", three quarters of the screen and centred, the header
// Frame_Help1 and the document frame Frame_DocView1 with the help document of
// sd.102 (empty when there is none).
class TForm_Help : public QDialog {
    Q_OBJECT
public:
    explicit TForm_Help(QWidget* parent = nullptr);

    widgets::WindowChrome* Chrome = nullptr; // owned by the window
    TFrame_Help* Frame_Help1 = nullptr;
    display::TFrame_DocView* Frame_DocView1 = nullptr;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormShow();
    bool shown_ = false;
};

// Creates the help window, shows it modally, destroys it; always true.
bool ShowHelp(QWidget* parent = nullptr);

} // namespace service
