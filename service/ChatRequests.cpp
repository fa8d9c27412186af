#include "service/ChatRequests.h"

namespace service {

ChatRequests::ChatRequests() {
    client_.SetCancelFlag(&cancelled_);
    notices_.SetCancelFlag(&cancelled_);
    thread_ = std::thread([this] { Run(); });
}

ChatRequests::~ChatRequests() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
        jobs_.clear();
    }
    cancelled_ = true;
    wake_.notify_all();
    thread_.join();
}

void ChatRequests::Send(std::string userName, std::string message, SendDone done) {
    Enqueue([this, userName = std::move(userName), message = std::move(message),
             done = std::move(done)] { done(client_.SendChatMessage(userName, message)); });
}

void ChatRequests::Poll(int32_t lastRid, PollDone done) {
    Enqueue([this, lastRid, done = std::move(done)] {
        std::vector<std::string> lines;
        const bool ok = client_.PollChat(lastRid, lines);
        done(ok, std::move(lines));
    });
}

void ChatRequests::FetchNotices(NoticesDone done) {
    Enqueue([this, done = std::move(done)] { done(notices_.GetNotices(1)); });
}

size_t ChatRequests::Pending() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return jobs_.size() + running_;
}

void ChatRequests::Enqueue(Job job) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (stopping_)
            return;
        jobs_.push_back(std::move(job));
    }
    wake_.notify_one();
}

void ChatRequests::Run() {
    std::unique_lock<std::mutex> lock(mutex_);
    while (true) {
        wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
        if (stopping_)
            return;
        Job job = std::move(jobs_.front());
        jobs_.pop_front();
        running_ = 1;
        lock.unlock();
        job();
        lock.lock();
        running_ = 0;
    }
}

} // namespace service
