#include "service/ChatSession.h"

#include "core/TaggedText.h"
#include "core/Utilities.h"
#include "net/TShakeHand.h"
#include "platform/Gbk.h"
#include "platform/Registry.h"
#include "platform/SystemInfo.h"
#include "platform/Text.h"

#include <charconv>
#include <optional>
#include <unordered_set>

namespace service {

namespace {

constexpr char kSendFailed[] = "\xB7\xA2\xCB\xCD\xCA\xA7\xB0\xDC\xA3\xA1"; // 发送失败！
constexpr char kDefaultUserName[] = "\xD3\xC3\xBB\xA7";                    // 用户
constexpr char kUserNameSetting[] = "UN";

std::string Rid(std::string_view record) {
    return core::GetTagValue(record, "RID");
}

// The record id as a number; nothing for a missing one or one that is not a
// decimal number of 32 bits.
std::optional<int32_t> RidNumber(std::string_view record) {
    const std::string text = Rid(record);
    int32_t number = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return number;
}

std::optional<int32_t> LargestRid(const std::vector<std::string>& records) {
    std::optional<int32_t> largest;
    for (const std::string& record : records)
        if (std::optional<int32_t> rid = RidNumber(record); rid && (!largest || *rid > *largest))
            largest = rid;
    return largest;
}

// True when `local` is the record written here for the message that the
// service sent back as `polled`.
bool IsLocalCopyOf(std::string_view local, std::string_view polled) {
    return Rid(local).empty() &&
           core::GetTagValue(local, "Msg") == core::GetTagValue(polled, "Msg") &&
           core::GetTagValue(local, "Time") == core::GetTagValue(polled, "Time") &&
           core::GetTagValue(local, "Name") == core::GetTagValue(polled, "Name");
}

// Puts `polled` in the place of the earliest local copy of it in `records`
// (the service numbers messages in the order they were sent); false when
// there is none.
bool ReplaceLocalCopy(std::vector<std::string>& records, const std::string& polled) {
    for (std::string& record : records) {
        if (IsLocalCopyOf(record, polled)) {
            record = polled;
            return true;
        }
    }
    return false;
}

bool ShowsRid(const std::vector<std::string>& records, std::string_view rid) {
    for (const std::string& record : records)
        if (Rid(record) == rid)
            return true;
    return false;
}

// The first `count` characters of GBK text.
std::string FirstChars(std::string_view text, size_t count) {
    size_t end = 0;
    for (size_t n = 0; n < count && end < text.size(); ++n)
        end += platform::GbkCharLength(text, end);
    return std::string(text.substr(0, end));
}

} // namespace

ChatSession::ChatSession(std::string historyPath) : historyPath_(std::move(historyPath)) {}

void ChatSession::LoadHistory() {
    history_ = core::LoadListFile(historyPath_, true);
    shown_.clear();
    for (auto record = history_.rbegin();
         record != history_.rend() && shown_.size() < kShownAtStart; ++record)
        shown_.push_back(*record);
}

int32_t ChatSession::LastRID() const {
    if (std::optional<int32_t> rid = LargestRid(shown_))
        return *rid;
    return LargestRid(history_).value_or(0);
}

size_t ChatSession::MaxMessageBytes() {
    return net::TShakeHand::kMaxChatMessageBytes;
}

ChatSession::Input ChatSession::PrepareMessage(std::string_view input, std::string& message) {
    const std::string_view trimmed = platform::Trimmed(input);
    if (trimmed.empty())
        return Input::Empty;
    if (!net::TShakeHand::ChatMessageFits(trimmed))
        return Input::TooLong;
    message = std::string(trimmed);
    return Input::Ready;
}

bool ChatSession::AddSent(std::string_view name, std::string_view message, std::string_view reply) {
    const std::string time = core::GetTagValue(reply, "Time");
    const std::string record =
        core::MakeTagField(core::FieldSafe(name), "Name") +
        core::MakeTagField(core::FieldSafe(message), "Msg") +
        core::MakeTagField(time.empty() ? kSendFailed : core::FieldSafe(time), "Time");
    if (!core::AppendListFile(record, historyPath_, true))
        historyWritable_ = false;
    shown_.push_back(record);
    showingHistory_ = false;
    return !time.empty();
}

size_t ChatSession::AddPolled(const std::vector<std::string>& lines) {
    std::vector<std::string> received;
    size_t added = 0;
    for (const std::string& line : lines) {
        const std::string rid = Rid(line);
        if (rid.empty() || ShowsRid(shown_, rid))
            continue;
        received.push_back(line);
        if (!ReplaceLocalCopy(shown_, line)) {
            shown_.push_back(line);
            ++added;
        }
    }
    showingHistory_ = false;
    if (received.empty())
        return added;

    bool changed = false;
    const bool written = core::UpdateListFile(
        historyPath_, true, [&received, &changed](std::vector<std::string>& stored) {
            std::unordered_set<std::string> storedRids;
            for (const std::string& record : stored)
                if (std::string rid = Rid(record); !rid.empty())
                    storedRids.insert(std::move(rid));
            for (const std::string& record : received) {
                if (!storedRids.insert(Rid(record)).second)
                    continue; // another window stored it
                if (!ReplaceLocalCopy(stored, record))
                    stored.push_back(record);
                changed = true;
            }
            return changed;
        });
    if (changed && !written)
        historyWritable_ = false;
    return added;
}

std::string ChatSession::LoadUserName() {
    std::string name = platform::ReadParam(kUserNameSetting);
    if (name.empty())
        name = FirstChars(platform::ComputerName(), kMaxNameChars);
    if (name.empty())
        name = kDefaultUserName;
    return name;
}

ChatSession::Rename ChatSession::RenameUser(std::string_view answer, std::string& name) {
    const std::string_view trimmed = platform::Trimmed(answer);
    if (platform::GbkCharCount(trimmed) > kMaxNameChars)
        return Rename::TooLong;
    if (trimmed.empty() || platform::EqualIgnoringAsciiCase(trimmed, name))
        return Rename::Unchanged;
    name = std::string(trimmed);
    platform::WriteParam(kUserNameSetting, name);
    return Rename::Renamed;
}

void ChatSession::SetNotices(std::string_view reply) {
    notices_.clear();
    links_.clear();
    for (const std::string& line : platform::SplitLines(reply)) {
        std::string text = core::GetTagValue(line, "TXT");
        if (text.empty())
            continue;
        std::string url = core::GetTagValue(line, "Url");
        if (!url.empty())
            links_.push_back(url);
        notices_.push_back({std::move(text), std::move(url)});
    }
}

std::string ChatSession::Link(int k) const {
    if (k < 0 || static_cast<size_t>(k) >= links_.size())
        return {};
    return links_[static_cast<size_t>(k)];
}

} // namespace service
