#pragma once

#include "display/Picture.h"
#include "display/TImageList.h"
#include "display/TTextStyleTable.h"
#include "service/ChatSession.h"

#include <QDialog>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QLabel;
class QLineEdit;
class QTimer;

namespace display {
class TRichTextView;
}

namespace widgets {
class HoverLabel;
class LbSpeedButton;
class WindowChrome;
} // namespace widgets

namespace service {

class ChatRequests;

// The panel of the online service window. Left: the conversation RichText1
// over a row with the user's name (Label_Name, hint "点击更改名称"), "聊天记录"
// and the button that shows or hides the recommendations, and the input row
// (Edit_Input and "发送&S"). Right: Panel15, a thin companion strip, and
// Panel_Right with the title "推荐" over the recommendations RichText2.
class TFrame_SoftOnline : public QWidget {
    Q_OBJECT
public:
    explicit TFrame_SoftOnline(QWidget* parent = nullptr);

    QWidget* Panel_Body = nullptr;  // the left part
    QWidget* Panel_Input = nullptr; // the input row, laid out by PlaceInput
    display::TRichTextView* RichText1 = nullptr;
    display::TRichTextView* RichText2 = nullptr;
    QLineEdit* Edit_Input = nullptr;
    widgets::LbSpeedButton* LbSpeedButton_Send = nullptr;
    widgets::LbSpeedButton* LbSpeedButton_HisMsg = nullptr;
    widgets::LbSpeedButton* LbSpeedButton_ShowRight = nullptr;
    widgets::LbSpeedButton* LbSpeedButton_Refresh = nullptr; // hidden
    widgets::HoverLabel* Label_Name = nullptr;
    QLabel* Label_TJRJ = nullptr;
    QWidget* Panel_Right = nullptr;
    QWidget* Panel15 = nullptr;

    // Styles of RichText1 and RichText2, shared with the views.
    std::shared_ptr<display::TTextStyleTable> StyleTable1;
    std::shared_ptr<display::TTextStyleTable> StyleTable2;
    // Image 0 is the bullet of a recommendation with a link.
    display::ImageListPtr ImageList1;
    // RichText1's background, for the spacers.
    display::PicturePtr Background1;

    // The input takes the row's width - the send button's width - its left -
    // 10 pixels; the send button sits 5 pixels right of it.
    void PlaceInput();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

// The modal online service window, titled application title + " ---> " +
// "[在线客服]": the conversation with the service desk, kept in the history
// file "sol.dat" of the user folder, and the service's recommendations.
//
// Requests to the service run on the thread of a ChatRequests the window owns;
// their results are applied on the window's thread by queued calls, so a slow
// or stalled service never blocks the window. While a message is being sent
// the input keeps it and takes no other; closing the window cancels what is
// still running. Timer_Refresh (5000 ms) starts with the first message that
// reached the service and then polls every RefreshDelay() seconds while the
// window is open; a poll is not asked for while one is running.
class TForm_SoftOnline : public QDialog {
    Q_OBJECT
public:
    // Opens an address of the recommendations; the default is
    // platform::OpenUrl.
    using LinkOpener = std::function<bool(const std::string& url)>;

    explicit TForm_SoftOnline(QWidget* parent = nullptr);
    ~TForm_SoftOnline() override;

    widgets::WindowChrome* Chrome = nullptr; // owned by the window
    TFrame_SoftOnline* Frame_SoftOnline1 = nullptr;
    QTimer* Timer_Refresh = nullptr;

    const ChatSession& Session() const { return *session_; }
    int RefreshDelay() const { return refreshDelay_; }
    void SetLinkOpener(LinkOpener opener) { linkOpener_ = std::move(opener); }
    // Requests asked for whose results have not been applied yet.
    int PendingRequests() const { return pending_; }

    // Shows the session's records (History while ShowingHistory, else
    // Shown) in RichText1, scrolled to the end.
    void ShowMessages();
    // The send button and Enter in the input.
    void Send();
    // Asks for the records after the latest one known (FormShow, the timer,
    // the hidden refresh button).
    void Poll();
    // Asks for the recommendations (FormShow).
    void LoadLinks();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormShow();
    void SendDone(const std::string& name, const std::string& message, const std::string& reply);
    void PollDone(bool ok, const std::vector<std::string>& lines);
    void NoticesDone(const std::string& reply);
    void ChangeName();
    void ToggleRight();
    void SetSending(bool sending);

    std::unique_ptr<ChatSession> session_;
    std::unique_ptr<ChatRequests> requests_; // ended first: it calls back into the window
    LinkOpener linkOpener_;
    int refreshDelay_ = 5; // seconds between polls
    int pending_ = 0;
    bool polling_ = false;
    bool sending_ = false;
    bool shown_ = false;
};

// Creates the online service window, shows it modally, destroys it; always
// true.
bool ShowSoftOnline(QWidget* parent = nullptr);

} // namespace service
