#include "net/TSHParam.h"

#include "net/StandIn.h"
#include "platform/Paths.h"
#include "platform/Registry.h"
#include "storage/StrCRC.h"

#include <gtest/gtest.h>

#include <set>
#include <thread>

namespace net {
namespace {

using platform::RegRoot;
using platform::RegValue;

constexpr char kMakerKey[] = "Software\\Marvane";
constexpr char kProductKey[] = "Software\\Marvane\\102";

bool StoreNumber(const char* key, const char* name, uint32_t number) {
    return platform::RegWriteValue(RegRoot::CurrentUser, key, name, false, true, RegValue(number),
                                   platform::RegNumber);
}

TEST(TSHParamTest, ClientNumberIsMadeOnceAndKept) {
    test::Sandbox sandbox;
    TSHParam param;
    const uint32_t first = param.GetClientId();
    RegValue stored;
    ASSERT_TRUE(platform::RegReadValue(RegRoot::CurrentUser, kMakerKey, "00000001", stored));
    EXPECT_EQ(std::get<uint32_t>(stored), first);
    EXPECT_EQ(param.GetClientId(), first);
    EXPECT_EQ(DecodeParamBlock(param.BuildParams(kOpPackageList)).Values.ClientId, first);

    // Deleting the value makes a new number, which is then kept.
    ASSERT_TRUE(StoreNumber(kMakerKey, "00000001", 0x12345678));
    EXPECT_EQ(param.GetClientId(), 0x12345678u);
    ASSERT_TRUE(platform::RegDeleteValue(RegRoot::CurrentUser, kMakerKey, "00000001"));
    const uint32_t renewed = DecodeParamBlock(param.BuildParams(kOpNotices)).Values.ClientId;
    EXPECT_NE(renewed, 0x12345678u);
    EXPECT_EQ(param.GetClientId(), renewed);

    // A value that is no number is replaced like a missing one.
    ASSERT_TRUE(platform::RegWriteValue(RegRoot::CurrentUser, kMakerKey, "00000001", false, true,
                                        RegValue(std::string("junk")), platform::RegString));
    const uint32_t replaced = param.GetClientId();
    ASSERT_TRUE(platform::RegReadValue(RegRoot::CurrentUser, kMakerKey, "00000001", stored));
    EXPECT_EQ(std::get<uint32_t>(stored), replaced);
}

TEST(TSHParamTest, ThreadsThatFindNoClientNumberAgreeOnOne) {
    test::Sandbox sandbox;
    std::vector<uint32_t> seen(8);
    std::vector<std::thread> threads;
    for (size_t i = 0; i < seen.size(); ++i)
        threads.emplace_back([&seen, i] { seen[i] = TSHParam().GetClientId(); });
    for (std::thread& t : threads)
        t.join();
    EXPECT_EQ(std::set<uint32_t>(seen.begin(), seen.end()).size(), 1u);
}

TEST(TSHParamTest, NewClientNumberIsTheCrcOfANumberAndTheTime) {
    // StrCRC of "000003E7" + a date: one of 1000 texts per second, so a
    // number made now is found among the CRCs of this second's texts.
    const uint32_t made = TSHParam::NewClientId();
    const std::time_t now = std::time(nullptr);
    std::set<uint32_t> possible;
    for (std::time_t t = now - 1; t <= now; ++t) {
        std::tm local{};
        localtime_r(&t, &local);
        char date[32];
        std::strftime(date, sizeof date, "%Y-%m-%d %H:%M:%S", &local);
        for (unsigned n = 0; n < 1000; ++n) {
            char number[16];
            std::snprintf(number, sizeof number, "%08X", n);
            possible.insert(storage::StrCRC(std::string(number) + date));
        }
    }
    EXPECT_TRUE(possible.count(made));
}

TEST(TSHParamTest, InstallationValuesComeFromTheRegistry) {
    test::Sandbox sandbox;
    TSHParam param;
    // Nothing stored: "1400000000" and "1500000000".
    const std::string missing = param.BuildParams(kOpReportInstall);
    EXPECT_NE(missing.find("14000000001500000000"), std::string::npos);

    ASSERT_TRUE(StoreNumber(kProductKey, "IID", 4711));
    ASSERT_TRUE(platform::RegWriteValue(RegRoot::CurrentUser, kProductKey, "PID", false, true,
                                        RegValue(std::string("815")), platform::RegString));
    EXPECT_EQ(TSHParam::ReadIID(), 4711u);
    EXPECT_EQ(TSHParam::ReadPID(), 815u);
    const ParamValues values = DecodeParamBlock(param.BuildParams(kOpReportInstall)).Values;
    EXPECT_EQ(values.IID, 4711u);
    EXPECT_EQ(values.PID, 815u);
    EXPECT_EQ(values.ProgramCrc, storage::FileCrc32(platform::ProgramFile()));
    EXPECT_NE(values.ProgramCrc, 0u);

    // A 4-byte binary value is a number; text that is no number gives 0.
    ASSERT_TRUE(platform::RegWriteValue(RegRoot::CurrentUser, kProductKey, "IID", false, true,
                                        RegValue(std::string("\x01\x02\x00\x00", 4)),
                                        platform::RegBinary));
    EXPECT_EQ(TSHParam::ReadIID(), 0x0201u);
    ASSERT_TRUE(platform::RegWriteValue(RegRoot::CurrentUser, kProductKey, "PID", false, true,
                                        RegValue(std::string("12ab")), platform::RegString));
    EXPECT_EQ(TSHParam::ReadPID(), 0u);
}

TEST(TSHParamTest, OperationsWithoutALayoutGetThePackageListFields) {
    test::Sandbox sandbox;
    TSHParam param;
    const std::string block = param.BuildParams(57);
    const DecodedBlock decoded = DecodeParamBlock(block);
    ASSERT_EQ(decoded.Error, BlockError::None);
    EXPECT_EQ(decoded.Values.Operation, 57u);
    EXPECT_EQ(block.size(), 5 * 10 + 32u);
}

} // namespace
} // namespace net
