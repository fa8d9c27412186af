// The service desk's commands: answers reach the user they are meant for, the
// list shows the conversation, bad usage is refused, and a database made
// before desk answers were kept is brought up to date.
#include "tools/service/DeskCommands.h"

#include "core/TaggedText.h"
#include "net/StandIn.h"
#include "net/TShakeHand.h"
#include "platform/Gbk.h"
#include "tools/service/ServiceDatabase.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include <cstdio>

namespace standin {
namespace {

using net::test::RunDesk;
using Lines = std::vector<std::string>;

class DeskCommandsTest : public net::test::WithService {
protected:
    net::TShakeHand client_;
};

TEST_F(DeskCommandsTest, AnswersReachTheUserTheyAreFor) {
    ASSERT_FALSE(client_.SendChatMessage(platform::Utf8ToGbk("小明"), "question").empty());
    char other[9];
    std::snprintf(other, sizeof other, "%08X", client_.GetClientId() ^ 1u);
    ASSERT_EQ(RunDesk({"reply", "--db", Database(), "--to", other, "not", "for", "you"}).first, 0);
    // Without --to the answer goes to whoever wrote last; "--" ends the options.
    const auto [status, output] =
        RunDesk({"reply", "--data", sandbox_.Data(), "--", "--for", "you"});
    ASSERT_EQ(status, 0) << output;

    Lines lines;
    ASSERT_TRUE(client_.PollChat(0, lines));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(core::GetTagValue(lines[1], "Msg"), "--for you");
    EXPECT_EQ(core::GetTagValue(lines[1], "Name"), platform::Utf8ToGbk("客服"));
    EXPECT_EQ(output.substr(0, output.find(' ')), core::GetTagValue(lines[1], "RID"));

    const auto [listed, list] = RunDesk({"chat", "--db", Database(), "--last", "2"});
    EXPECT_EQ(listed, 0);
    EXPECT_EQ(std::count(list.begin(), list.end(), '\n'), 2) << list;
    EXPECT_NE(list.find(std::string(" ") + other + " "), std::string::npos) << list;
    EXPECT_NE(list.find(" *客服: --for you\n"), std::string::npos) << list;
}

TEST_F(DeskCommandsTest, BadUsageAndNobodyToAnswer) {
    const std::string db = Database();
    for (const Lines& args :
         {Lines{"reply", "--db", db},       // nothing to say
          Lines{"reply", "--db", db, "  "}, // blanks only
          Lines{"reply", "hello"},          // no database
          Lines{"reply", "--db", db, "--to", "xyz", "a"},
          Lines{"reply", "--db", db, "--name", " ", "a"},
          Lines{"reply", "--db", db, "--last", "3", "a"}, Lines{"chat", "--db", db, "--last", "0"},
          Lines{"chat", "--db", db, "extra"}, Lines{"chat", "--db"}})
        EXPECT_EQ(RunDesk(args).first, 2) << args.size();
    EXPECT_EQ(RunDesk({"reply", "--db", sandbox_.Root() + "/no/such/s.db", "hi"}).first, 1);
    // Nobody has written yet.
    EXPECT_EQ(RunDesk({"reply", "--db", db, "hello?"}).first, 1);
    EXPECT_EQ(RunDesk({"chat", "--db", db}), std::make_pair(0, std::string()));
}

TEST(ServiceDatabase, AnOlderDatabaseGainsTheDeskColumnAndKeepsItsMessages) {
    net::test::Sandbox sandbox;
    const std::string path = sandbox.Root() + "/old.db";
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db,
                           "CREATE TABLE chat(rid INTEGER PRIMARY KEY AUTOINCREMENT, client "
                           "INTEGER NOT NULL, name BLOB NOT NULL, message BLOB NOT NULL, address "
                           "TEXT NOT NULL, time TEXT NOT NULL);"
                           "INSERT INTO chat(client, name, message, address, time) "
                           "VALUES(7, 'me', 'old', '127.0.0.1', '2020-01-01 00:00:00');",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(db);

    ServiceDatabase database(path);
    ASSERT_TRUE(database.IsOpen()) << database.Error();
    EXPECT_EQ(database.LatestUserClient(), 7u);
    ASSERT_TRUE(database.AddChat(7, "desk", "new", "desk", "2020-01-01 00:00:01", true));
    const std::vector<ChatRecord> records = database.ChatAfter(7, 0, 10);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].Message, "old");
    EXPECT_FALSE(records[0].Desk);
    EXPECT_TRUE(records[1].Desk);
    EXPECT_EQ(database.LatestUserClient(), 7u);
}

} // namespace
} // namespace standin
