#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace service {

// One recommendation of the service: the text shown and an optional address.
struct Notice {
    std::string Text; // GBK
    std::string Url;
};

// The conversation of the online service window without the window: the
// records it shows, the history file, the user name setting and the
// recommendations. Records are tagged-text lines (GBK) with "RID" (decimal,
// only on records that came from the service), "Name", "Time" and "Msg".
//
// Requests to the service are made elsewhere (ChatRequests); their results
// are handed in here. Used by one thread; the history file may be shared with
// other windows and programs (every write goes through core::UpdateListFile).
class ChatSession {
public:
    // Records of the history put into Shown at start, newest first.
    static constexpr size_t kShownAtStart = 5;
    // The longest user name, in characters.
    static constexpr size_t kMaxNameChars = 20;

    // `historyPath` is the native path of the history file ("sol.dat").
    explicit ChatSession(std::string historyPath);

    const std::string& HistoryPath() const { return historyPath_; }

    // Reads the history file (zipped list file) into History, and its last
    // kShownAtStart records into Shown, the very last first. A missing or
    // unreadable file gives an empty history.
    void LoadHistory();

    // The records of this session, in display order.
    const std::vector<std::string>& Shown() const { return shown_; }
    // The history as loaded at start.
    const std::vector<std::string>& History() const { return history_; }
    bool ShowingHistory() const { return showingHistory_; }
    // What the conversation view shows: History while ShowingHistory, else
    // Shown.
    const std::vector<std::string>& Displayed() const {
        return showingHistory_ ? history_ : shown_;
    }
    // The history button: switches between Shown and History.
    void ToggleHistory() { showingHistory_ = !showingHistory_; }

    // The record id to poll after: the largest "RID" in Shown, else in
    // History; 0 when neither has one. (Shown starts newest first, so its
    // last record is not its latest.)
    int32_t LastRID() const;

    // What the window does with the text of its input.
    enum class Input {
        Empty,   // nothing but blanks: nothing is sent
        TooLong, // over the protocol's limit: refused, the input keeps it
        Ready,   // `message` holds the trimmed text to send
    };
    static Input PrepareMessage(std::string_view input, std::string& message);
    // The longest message in bytes (the message field's limit).
    static size_t MaxMessageBytes();

    // Records a message after its send request: `reply` is what
    // TShakeHand::SendChatMessage returned. The local record is "Name",
    // "Msg", "Time" in that order, the time being the reply's "Time" or
    // "发送失败！" without one; it goes to the end of the history file and of
    // Shown, and ShowingHistory is cleared. True when the reply had a "Time"
    // (the message reached the service).
    bool AddSent(std::string_view name, std::string_view message, std::string_view reply);

    // Applies the lines of a successful poll. Every line with a "RID" that
    // this session has not shown yet is added to Shown, and to the history
    // file unless it holds that RID already (another window may have stored
    // it). The service's copy of a message sent from here (same "Name",
    // "Msg" and "Time" as a local record without "RID") takes that record's
    // place instead of standing a second time. ShowingHistory is cleared.
    // The number of records that are new to Shown.
    size_t AddPolled(const std::vector<std::string>& lines);

    // False once a write to the history file failed; the records are still
    // shown.
    bool HistoryWritable() const { return historyWritable_; }

    // The user's name: the program setting "UN", else the computer name cut
    // to kMaxNameChars characters, else "用户".
    static std::string LoadUserName();

    enum class Rename {
        TooLong,   // over kMaxNameChars characters: nothing changes
        Unchanged, // empty, or the same name in any letter case
        Renamed,   // `name` is the new name, stored as "UN"
    };
    // `answer` is trimmed first; `name` is the current name.
    static Rename RenameUser(std::string_view answer, std::string& name);

    // The recommendations of a TShakeHand::GetNotices reply: one per line that
    // has a "TXT", in order; Links() lists the addresses of those that have a
    // "Url", in the same order. An empty reply gives none.
    void SetNotices(std::string_view reply);
    const std::vector<Notice>& Notices() const { return notices_; }
    const std::vector<std::string>& Links() const { return links_; }
    // The address of link k; empty when k is outside Links().
    std::string Link(int k) const;

private:
    std::string historyPath_;
    std::vector<std::string> shown_;
    std::vector<std::string> history_;
    bool showingHistory_ = false;
    bool historyWritable_ = true;
    std::vector<Notice> notices_;
    std::vector<std::string> links_;
};

} // namespace service
