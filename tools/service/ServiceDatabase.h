#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace standin {

// One chat message as kept.
struct ChatRecord {
    int64_t Rid = 0;
    std::string Name;    // GBK
    std::string Time;    // "yyyy-mm-dd hh:nn:ss"
    std::string Message; // GBK
    uint32_t Client = 0; // the user's client number (a desk answer: the user answered)
    bool Desk = false;   // written by the service desk, not by the user
};

// The service's SQLite database: installation reports and chat messages, the
// users' and the service desk's answers. Several processes may use one file
// (the server and the desk's reply command).
// WAL journal, prepared statements only; every call holds one mutex, so the
// server's handler threads may share one object. Texts are kept as the bytes
// that arrived (blobs), never converted.
class ServiceDatabase {
public:
    // Opens (creating when missing) the database file. Check IsOpen().
    explicit ServiceDatabase(const std::string& path);
    ~ServiceDatabase();
    ServiceDatabase(const ServiceDatabase&) = delete;
    ServiceDatabase& operator=(const ServiceDatabase&) = delete;

    bool IsOpen() const { return db_ != nullptr; }
    const std::string& Error() const { return error_; }

    bool AddInstall(uint32_t clientId, uint32_t iid, uint32_t pid, uint32_t programCrc,
                    const std::string& address, const std::string& time);
    int64_t CountInstalls(uint32_t clientId);

    // The new message's record id: larger than every earlier one, never
    // reused. Nothing when it could not be stored. A desk answer (`desk`) is
    // kept with the client it answers and reaches that client's polls.
    std::optional<int64_t> AddChat(uint32_t clientId, const std::string& name,
                                   const std::string& message, const std::string& address,
                                   const std::string& time, bool desk = false);

    // The client's messages with a record id above `afterRid`, in record id
    // order, at most `limit` of them.
    std::vector<ChatRecord> ChatAfter(uint32_t clientId, int64_t afterRid, int limit);

    // The latest `limit` messages of every client, in record id order.
    std::vector<ChatRecord> RecentChat(int limit);

    // The client of the latest message a user wrote; nothing before the first.
    std::optional<uint32_t> LatestUserClient();

private:
    bool Prepare();
    bool AddDeskColumn();
    void Close();

    std::mutex mutex_;
    sqlite3* db_ = nullptr;                 // guarded by mutex_
    sqlite3_stmt* addInstall_ = nullptr;    // guarded by mutex_
    sqlite3_stmt* countInstalls_ = nullptr; // guarded by mutex_
    sqlite3_stmt* addChat_ = nullptr;       // guarded by mutex_
    sqlite3_stmt* chatAfter_ = nullptr;     // guarded by mutex_
    sqlite3_stmt* recentChat_ = nullptr;    // guarded by mutex_
    sqlite3_stmt* latestUser_ = nullptr;    // guarded by mutex_
    std::string error_;
};

} // namespace standin
