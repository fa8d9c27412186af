#pragma once

#include "net/TShakeHand.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace service {

// The service requests of the online service window, made on a thread of
// their own so that a slow or stalled service never blocks the window.
// Requests run one at a time, in the order they were asked for, through one
// handshake client (notices through a second one). Each result is handed to
// its callback on the request thread; a window forwards it to its own thread
// with a queued call.
//
// The destructor cancels the running request (it ends within about a second),
// drops the requests that have not started, and joins the thread; no callback
// runs after it returns. Ask for requests from one thread only.
class ChatRequests {
public:
    using SendDone = std::function<void(std::string reply)>;
    using PollDone = std::function<void(bool ok, std::vector<std::string> lines)>;
    using NoticesDone = std::function<void(std::string reply)>;

    ChatRequests();
    ~ChatRequests();
    ChatRequests(const ChatRequests&) = delete;
    ChatRequests& operator=(const ChatRequests&) = delete;

    // TShakeHand::SendChatMessage: the whole reply, "" when it failed.
    void Send(std::string userName, std::string message, SendDone done);
    // TShakeHand::PollChat after record `lastRid`.
    void Poll(int32_t lastRid, PollDone done);
    // TShakeHand::GetNotices(1): the reply, "" when it failed.
    void FetchNotices(NoticesDone done);

    // Requests asked for and not finished (the running one included).
    size_t Pending() const;

private:
    using Job = std::function<void()>;
    void Enqueue(Job job);
    void Run();

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Job> jobs_;  // guarded by mutex_
    size_t running_ = 0;    // guarded by mutex_
    bool stopping_ = false; // guarded by mutex_
    std::atomic<bool> cancelled_{false};
    net::TShakeHand client_;  // used on the request thread only
    net::TShakeHand notices_; // used on the request thread only
    std::thread thread_;      // last: starts once everything else exists
};

} // namespace service
