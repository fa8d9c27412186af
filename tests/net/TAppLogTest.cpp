#include "net/TAppLog.h"

#include "net/StandIn.h"
#include "platform/ByteOrder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <thread>

namespace net {
namespace {

struct Record {
    double Days = 0;
    std::string Text;
};

// The records of a log file; fails the test on a torn or malformed one.
std::vector<Record> ReadRecords(const std::string& bytes) {
    std::vector<Record> records;
    size_t at = 0;
    while (at < bytes.size()) {
        EXPECT_LE(at + 16, bytes.size()) << "torn header";
        if (at + 16 > bytes.size())
            break;
        EXPECT_EQ(bytes[at + 8], 0);
        EXPECT_EQ(bytes[at + 9], 0);
        EXPECT_EQ(platform::ReadLe32(bytes, at + 12), 0u);
        const uint16_t length = platform::ReadLe16(bytes, at + 10);
        EXPECT_LE(at + 16 + length, bytes.size()) << "torn text";
        if (at + 16 + length > bytes.size())
            break;
        Record record;
        const uint64_t bits =
            platform::ReadLe32(bytes, at) | uint64_t{platform::ReadLe32(bytes, at + 4)} << 32;
        std::memcpy(&record.Days, &bits, sizeof bits);
        record.Text = bytes.substr(at + 16, length);
        records.push_back(record);
        at += 16 + length;
    }
    return records;
}

TEST(TAppLogTest, RecordLayout) {
    // 1970-01-01 12:00 is 25569.5 days after 1899-12-30.
    const std::string record = TAppLog::MakeRecord(25569.5, "abc");
    ASSERT_EQ(record.size(), 19u);
    double days = 0;
    const uint64_t bits = platform::ReadLe32(record, 0) | uint64_t{platform::ReadLe32(record, 4)}
                                                              << 32;
    std::memcpy(&days, &bits, sizeof days);
    EXPECT_EQ(days, 25569.5);
    EXPECT_EQ(record.substr(8), std::string("\0\0\x03\0\0\0\0\0abc", 11));
    EXPECT_EQ(TAppLog::MakeRecord(1, "").size(), 16u);

    // Over 65535 bytes: cut where no character is split.
    const std::string text = std::string(65534, 'x') + "\xC4\xE3";
    EXPECT_EQ(TAppLog::MakeRecord(1, text).size(), 16 + 65534u);
}

TEST(TAppLogTest, NowIsLocalDaysSince1899) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    const double expected = 25569.0 + (static_cast<double>(now) + local.tm_gmtoff) / 86400.0;
    EXPECT_NEAR(TAppLog::Now(), expected, 5.0 / 86400.0);
}

TEST(TAppLogTest, WritesRecordsAndStartsAfreshAbove3MiB) {
    test::Sandbox sandbox;
    const std::string path = sandbox.Home() + "/big.log";
    test::WriteBytes(path, std::string(3145729, 'x'));
    {
        TAppLog log("big.log");
        ASSERT_TRUE(log.IsOpen());
        EXPECT_EQ(log.FileName(), path);
        log.Add("");
        log.Add("\xB5\xDA"
                "0\xB4\xCE");
    }
    const std::vector<Record> records = ReadRecords(test::ReadBytes(path));
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].Text, "");
    EXPECT_EQ(records[1].Text, "\xB5\xDA"
                               "0\xB4\xCE");
    EXPECT_NEAR(records[0].Days, TAppLog::Now(), 60.0 / 86400.0);

    // Exactly 3 MiB is kept.
    test::WriteBytes(path, std::string(3145728, 'x'));
    {
        TAppLog log(path);
        log.Add("a");
    }
    EXPECT_EQ(test::ReadBytes(path).size(), 3145728u + 17u);
}

TEST(TAppLogTest, PathsAndFailures) {
    test::Sandbox sandbox;
    // A relative name with stored separators lands in the program folder.
    {
        TAppLog log("logs\\net.log");
        EXPECT_EQ(log.FileName(), sandbox.Home() + "/logs/net.log");
        EXPECT_TRUE(log.IsOpen());
        // A second log on the same file while this one is open stays silent.
        TAppLog second("logs/net.log");
        EXPECT_FALSE(second.IsOpen());
        second.Add("lost");
        log.Add("kept");
    }
    EXPECT_EQ(ReadRecords(test::ReadBytes(sandbox.Home() + "/logs/net.log")).size(), 1u);

    // No name: the program's own name with ".log".
    EXPECT_EQ(TAppLog().FileName(), sandbox.Home() + "/net_tests.log");

    // A file that cannot be made leaves the log silent.
    test::WriteBytes(sandbox.Home() + "/plain", "x");
    TAppLog blocked("plain/sub/x.log");
    EXPECT_FALSE(blocked.IsOpen());
    blocked.Add("nothing happens");
}

TEST(TAppLogTest, ConcurrentAddsKeepEveryRecordWhole) {
    test::Sandbox sandbox;
    constexpr int kThreads = 8;
    constexpr int kEach = 200;
    {
        TAppLog log("threads.log");
        std::vector<std::thread> threads;
        for (int t = 0; t < kThreads; ++t)
            threads.emplace_back([&log, t] {
                for (int i = 0; i < kEach; ++i)
                    log.Add(std::string(static_cast<size_t>(1 + (i * 37 + t) % 500),
                                        static_cast<char>('a' + t)));
            });
        for (std::thread& thread : threads)
            thread.join();
    }
    const std::vector<Record> records =
        ReadRecords(test::ReadBytes(sandbox.Home() + "/threads.log"));
    ASSERT_EQ(records.size(), static_cast<size_t>(kThreads * kEach));
    for (const Record& record : records)
        EXPECT_EQ(record.Text.find_first_not_of(record.Text[0]), std::string::npos);
}

} // namespace
} // namespace net
