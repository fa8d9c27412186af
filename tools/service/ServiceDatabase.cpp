#include "tools/service/ServiceDatabase.h"

#include <sqlite3.h>

namespace standin {
namespace {

constexpr const char* kSchema =
    "PRAGMA journal_mode=WAL;"
    "PRAGMA synchronous=NORMAL;"
    "CREATE TABLE IF NOT EXISTS installs("
    "  id INTEGER PRIMARY KEY, client INTEGER NOT NULL, iid INTEGER NOT NULL,"
    "  pid INTEGER NOT NULL, program_crc INTEGER NOT NULL, address TEXT NOT NULL,"
    "  time TEXT NOT NULL);"
    "CREATE TABLE IF NOT EXISTS chat("
    "  rid INTEGER PRIMARY KEY AUTOINCREMENT, client INTEGER NOT NULL, name BLOB NOT NULL,"
    "  message BLOB NOT NULL, address TEXT NOT NULL, time TEXT NOT NULL,"
    "  desk INTEGER NOT NULL DEFAULT 0);"
    "CREATE INDEX IF NOT EXISTS chat_by_client ON chat(client, rid);";

// Resets a statement for its next use when it goes out of scope.
class Use {
public:
    explicit Use(sqlite3_stmt* statement) : statement_(statement) {}
    ~Use() {
        sqlite3_reset(statement_);
        sqlite3_clear_bindings(statement_);
    }
    Use(const Use&) = delete;
    Use& operator=(const Use&) = delete;

    void Bind(int index, int64_t value) { sqlite3_bind_int64(statement_, index, value); }
    void BindText(int index, const std::string& text) {
        sqlite3_bind_text(statement_, index, text.data(), static_cast<int>(text.size()),
                          SQLITE_TRANSIENT);
    }
    void BindBlob(int index, const std::string& bytes) {
        // A zero-length blob is stored as one, not as NULL.
        sqlite3_bind_blob(statement_, index, bytes.empty() ? "" : bytes.data(),
                          static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
    }
    int Step() { return sqlite3_step(statement_); }
    int64_t Int(int column) { return sqlite3_column_int64(statement_, column); }
    std::string Bytes(int column) {
        const void* data = sqlite3_column_blob(statement_, column);
        const int size = sqlite3_column_bytes(statement_, column);
        return data ? std::string(static_cast<const char*>(data), static_cast<size_t>(size)) : "";
    }

    // A row of rid, name, time, message, client, desk.
    ChatRecord Chat() {
        return {Int(0), Bytes(1), Bytes(2), Bytes(3), static_cast<uint32_t>(Int(4)), Int(5) != 0};
    }

private:
    sqlite3_stmt* statement_;
};

} // namespace

ServiceDatabase::ServiceDatabase(const std::string& path) {
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.c_str(), &db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                        nullptr) != SQLITE_OK) {
        error_ = db ? sqlite3_errmsg(db) : "out of memory";
        sqlite3_close(db);
        return;
    }
    db_ = db;
    sqlite3_busy_timeout(db_, 5000);
    char* message = nullptr;
    if (sqlite3_exec(db_, kSchema, nullptr, nullptr, &message) != SQLITE_OK || !AddDeskColumn() ||
        !Prepare()) {
        error_ = message ? message : sqlite3_errmsg(db_);
        sqlite3_free(message);
        Close();
    }
}

ServiceDatabase::~ServiceDatabase() {
    Close();
}

void ServiceDatabase::Close() {
    for (sqlite3_stmt* statement :
         {addInstall_, countInstalls_, addChat_, chatAfter_, recentChat_, latestUser_})
        sqlite3_finalize(statement);
    addInstall_ = countInstalls_ = addChat_ = chatAfter_ = recentChat_ = latestUser_ = nullptr;
    sqlite3_close(db_);
    db_ = nullptr;
}

// Databases made before desk answers were kept lack the column.
bool ServiceDatabase::AddDeskColumn() {
    sqlite3_stmt* columns = nullptr;
    if (sqlite3_prepare_v2(db_, "SELECT COUNT(*) FROM pragma_table_info('chat') WHERE name = 'desk'",
                           -1, &columns, nullptr) != SQLITE_OK)
        return false;
    const bool has = sqlite3_step(columns) == SQLITE_ROW && sqlite3_column_int(columns, 0) > 0;
    sqlite3_finalize(columns);
    return has || sqlite3_exec(db_, "ALTER TABLE chat ADD COLUMN desk INTEGER NOT NULL DEFAULT 0",
                               nullptr, nullptr, nullptr) == SQLITE_OK;
}

bool ServiceDatabase::Prepare() {
    const auto prepare = [this](const char* sql, sqlite3_stmt*& statement) {
        return sqlite3_prepare_v2(db_, sql, -1, &statement, nullptr) == SQLITE_OK;
    };
    return prepare("INSERT INTO installs(client, iid, pid, program_crc, address, time) "
                   "VALUES(?, ?, ?, ?, ?, ?)",
                   addInstall_) &&
           prepare("SELECT COUNT(*) FROM installs WHERE client = ?", countInstalls_) &&
           prepare("INSERT INTO chat(client, name, message, address, time, desk) "
                   "VALUES(?, ?, ?, ?, ?, ?)",
                   addChat_) &&
           prepare("SELECT rid, name, time, message, client, desk FROM chat "
                   "WHERE client = ? AND rid > ? ORDER BY rid LIMIT ?",
                   chatAfter_) &&
           prepare("SELECT rid, name, time, message, client, desk FROM "
                   "(SELECT * FROM chat ORDER BY rid DESC LIMIT ?) ORDER BY rid",
                   recentChat_) &&
           prepare("SELECT client FROM chat WHERE desk = 0 ORDER BY rid DESC LIMIT 1",
                   latestUser_);
}

bool ServiceDatabase::AddInstall(uint32_t clientId, uint32_t iid, uint32_t pid, uint32_t programCrc,
                                 const std::string& address, const std::string& time) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!db_)
        return false;
    Use use(addInstall_);
    use.Bind(1, clientId);
    use.Bind(2, iid);
    use.Bind(3, pid);
    use.Bind(4, programCrc);
    use.BindText(5, address);
    use.BindText(6, time);
    return use.Step() == SQLITE_DONE;
}

int64_t ServiceDatabase::CountInstalls(uint32_t clientId) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!db_)
        return 0;
    Use use(countInstalls_);
    use.Bind(1, clientId);
    return use.Step() == SQLITE_ROW ? use.Int(0) : 0;
}

std::optional<int64_t> ServiceDatabase::AddChat(uint32_t clientId, const std::string& name,
                                                const std::string& message,
                                                const std::string& address,
                                                const std::string& time, bool desk) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!db_)
        return std::nullopt;
    Use use(addChat_);
    use.Bind(1, clientId);
    use.BindBlob(2, name);
    use.BindBlob(3, message);
    use.BindText(4, address);
    use.BindText(5, time);
    use.Bind(6, desk ? 1 : 0);
    if (use.Step() != SQLITE_DONE)
        return std::nullopt;
    return sqlite3_last_insert_rowid(db_);
}

std::vector<ChatRecord> ServiceDatabase::ChatAfter(uint32_t clientId, int64_t afterRid, int limit) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<ChatRecord> records;
    if (!db_)
        return records;
    Use use(chatAfter_);
    use.Bind(1, clientId);
    use.Bind(2, afterRid);
    use.Bind(3, limit);
    while (use.Step() == SQLITE_ROW)
        records.push_back(use.Chat());
    return records;
}

std::vector<ChatRecord> ServiceDatabase::RecentChat(int limit) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<ChatRecord> records;
    if (!db_)
        return records;
    Use use(recentChat_);
    use.Bind(1, limit);
    while (use.Step() == SQLITE_ROW)
        records.push_back(use.Chat());
    return records;
}

std::optional<uint32_t> ServiceDatabase::LatestUserClient() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!db_)
        return std::nullopt;
    Use use(latestUser_);
    if (use.Step() != SQLITE_ROW)
        return std::nullopt;
    return static_cast<uint32_t>(use.Int(0));
}

} // namespace standin
