#include "platform/Registry.h"

#include "ProgramRun.h"
#include "TestFolders.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using platform::RegRoot;
using platform::RegValue;

// Every test gets its own registry file in a folder that does not exist yet.
class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        file_ = std::filesystem::path(folders_.Path()) / "sub" / "registry";
        platform::Environment environment = platform::CurrentEnvironment();
        environment.RegistryFile = file_.string();
        platform::SetEnvironment(environment);
    }

    void WriteRaw(const std::string& bytes) {
        std::filesystem::create_directories(file_.parent_path());
        std::ofstream(file_, std::ios::binary) << bytes;
    }

    testsupport::TestFolders folders_;
    std::filesystem::path file_;
};

TEST_F(RegistryTest, FileIsTheEnvironmentsRegistryFile) {
    EXPECT_EQ(platform::RegistryFile(), file_.string());
}

TEST_F(RegistryTest, TypesRoundTrip) {
    const std::string key = "Software\\Marvane\\102";
    const std::string awkward = std::string("a\tb\nc\r\\d\x01 \xC4\xE3", 12);
    ASSERT_TRUE(platform::RegWriteValue(RegRoot::CurrentUser, key, "S", false, true,
                                        RegValue(awkward), platform::RegString));
    ASSERT_TRUE(platform::RegWriteValue(RegRoot::CurrentUser, key, "E", false, true,
                                        RegValue(std::string("%HOME%\\x")),
                                        platform::RegExpandString));
    ASSERT_TRUE(platform::RegWriteValue(RegRoot::CurrentUser, key, "00000001", false, true,
                                        RegValue(uint32_t{0xDEADBEEF}), platform::RegNumber));
    ASSERT_TRUE(platform::RegWriteValue(RegRoot::CurrentUser, key, "B4", false, true,
                                        RegValue(std::string("\x01\x02\x00\x00", 4)),
                                        platform::RegBinary));
    ASSERT_TRUE(platform::RegWriteValue(RegRoot::CurrentUser, key, "B3", false, true,
                                        RegValue(std::string("a\0b", 3)), platform::RegBinary));
    // A number given as text for a number value.
    ASSERT_TRUE(platform::RegWriteValue(RegRoot::CurrentUser, key, "IID", false, true,
                                        RegValue(std::string("123")), platform::RegNumber));
    EXPECT_FALSE(platform::RegWriteValue(RegRoot::CurrentUser, key, "Bad", false, true,
                                         RegValue(std::string("12x")), platform::RegNumber));

    RegValue value;
    ASSERT_TRUE(platform::RegReadValue(RegRoot::CurrentUser, key, "S", value));
    EXPECT_EQ(std::get<std::string>(value), awkward);
    ASSERT_TRUE(platform::RegReadValue(RegRoot::CurrentUser, key, "E", value));
    EXPECT_EQ(std::get<std::string>(value), "%HOME%\\x");
    ASSERT_TRUE(platform::RegReadValue(RegRoot::CurrentUser, key, "00000001", value));
    EXPECT_EQ(std::get<uint32_t>(value), 0xDEADBEEFu);
    ASSERT_TRUE(platform::RegReadValue(RegRoot::CurrentUser, key, "B4", value));
    EXPECT_EQ(std::get<uint32_t>(value), 0x0201u);
    ASSERT_TRUE(platform::RegReadValue(RegRoot::CurrentUser, key, "b3", value));
    EXPECT_EQ(std::get<std::string>(value), std::string("a\0b", 3));
    ASSERT_TRUE(platform::RegReadValue(RegRoot::CurrentUser, key, "IID", value));
    EXPECT_EQ(std::get<uint32_t>(value), 123u);
    EXPECT_FALSE(platform::RegValueExists(RegRoot::CurrentUser, key, "Bad"));

    // Keys match ignoring case; the two roots are separate.
    EXPECT_TRUE(platform::RegValueExists(RegRoot::CurrentUser, "SOFTWARE\\marvane\\102", "s"));
    EXPECT_FALSE(platform::RegValueExists(RegRoot::ClassesRoot, key, "S"));

    // Overwriting changes the type too.
    ASSERT_TRUE(platform::RegWriteValue(RegRoot::CurrentUser, key, "S", false, false,
                                        RegValue(uint32_t{7}), platform::RegNumber));
    ASSERT_TRUE(platform::RegReadValue(RegRoot::CurrentUser, key, "S", value));
    EXPECT_EQ(std::get<uint32_t>(value), 7u);
}

TEST_F(RegistryTest, MissingKeyOrValue) {
    RegValue value = std::string("untouched");
    EXPECT_FALSE(platform::RegReadValue(RegRoot::CurrentUser, "Software\\None", "X", value));
    EXPECT_EQ(std::get<std::string>(value), "untouched");
    EXPECT_FALSE(platform::RegValueExists(RegRoot::CurrentUser, "Software\\None", "X"));
    EXPECT_FALSE(std::filesystem::exists(file_)); // reading creates nothing

    ASSERT_TRUE(platform::WriteParam("UN", "someone"));
    EXPECT_FALSE(
        platform::RegReadValue(RegRoot::CurrentUser, "SoftWare\\Marvane\\Param", "UX", value));
    EXPECT_EQ(platform::ReadParam("UX"), "");
    EXPECT_EQ(platform::ReadParam("un"), "someone");
    EXPECT_FALSE(platform::RegDeleteValue(RegRoot::CurrentUser, "SoftWare\\Marvane\\Param", "UX"));
    EXPECT_TRUE(platform::RegDeleteValue(RegRoot::CurrentUser, "SoftWare\\Marvane\\Param", "UN"));
    EXPECT_EQ(platform::ReadParam("UN"), "");
}

TEST_F(RegistryTest, SetOnlyAndCreateSemantics) {
    const std::string key = "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings";
    // Without create a missing key cannot be written, with either access.
    EXPECT_FALSE(platform::RegWriteValue(RegRoot::CurrentUser, key, "MaxConnectionsPerServer", true,
                                         false, RegValue(uint32_t{10}), platform::RegNumber));
    EXPECT_FALSE(platform::RegWriteValue(RegRoot::CurrentUser, key, "MaxConnectionsPerServer",
                                         false, false, RegValue(uint32_t{10}),
                                         platform::RegNumber));
    // An unknown type writes nothing but opens (creates) the key.
    EXPECT_TRUE(platform::RegWriteValue(RegRoot::CurrentUser, key, "X", false, true,
                                        RegValue(uint32_t{1}), 9));
    EXPECT_FALSE(platform::RegValueExists(RegRoot::CurrentUser, key, "X"));
    EXPECT_TRUE(platform::RegWriteValue(RegRoot::CurrentUser, key, "MaxConnectionsPerServer", true,
                                        false, RegValue(uint32_t{10}), platform::RegNumber));
    // A parent of an existing key exists as well.
    EXPECT_TRUE(platform::RegWriteValue(RegRoot::CurrentUser, "software\\microsoft", "Y", true,
                                        false, RegValue(std::string("y")), platform::RegString));
    EXPECT_FALSE(platform::RegWriteValue(RegRoot::CurrentUser, "software\\micro", "Y", true, false,
                                         RegValue(std::string("y")), platform::RegString));
    // Default value of a classes-root key.
    EXPECT_TRUE(platform::RegWriteValue(RegRoot::ClassesRoot, "htmlfile\\shell\\open\\command", "",
                                        false, true, RegValue(std::string("\"/usr/bin/b\" %1")),
                                        platform::RegString));
    RegValue value;
    ASSERT_TRUE(
        platform::RegReadValue(RegRoot::ClassesRoot, "htmlfile\\shell\\open\\command", "", value));
    EXPECT_EQ(std::get<std::string>(value), "\"/usr/bin/b\" %1");
}

TEST_F(RegistryTest, CorruptFileReadsAsAbsentAndIsRepaired) {
    const char raw[] = "QUENDIC-REGISTRY 1\n"
                       "V\tHKCU\tK\tGood\t1\tyes\n"
                       "V\tHKCU\tK\tBadNumber\t3\t12ab\n"
                       "V\tHKCU\tK\tBadHex\t4\tABC\n"
                       "V\tHKCU\tK\tBadEscape\t1\tx\\q\n"
                       "V\tHKCU\tK\tCutEscape\t1\tx\\x4\n"
                       "V\tHKXX\tK\tBadRoot\t1\tx\n"
                       "V\tHKCU\tK\tShort\n"
                       "\xFF\xFE garbage \0\0 line\n"
                       "V\tHKCU\tK\tLast\t3\t99";
    WriteRaw(std::string(raw, sizeof raw - 1));
    RegValue value;
    ASSERT_TRUE(platform::RegReadValue(RegRoot::CurrentUser, "K", "Good", value));
    EXPECT_EQ(std::get<std::string>(value), "yes");
    for (const char* name : {"BadNumber", "BadHex", "BadEscape", "CutEscape", "Short"})
        EXPECT_FALSE(platform::RegValueExists(RegRoot::CurrentUser, "K", name)) << name;
    ASSERT_TRUE(platform::RegReadValue(RegRoot::CurrentUser, "K", "Last", value));
    EXPECT_EQ(std::get<uint32_t>(value), 99u);

    ASSERT_TRUE(platform::WriteParam("New", "1"));
    EXPECT_EQ(platform::ReadParam("New"), "1");
    ASSERT_TRUE(platform::RegReadValue(RegRoot::CurrentUser, "K", "Good", value));

    // Random bytes never crash the reader.
    std::string noise;
    for (int i = 0; i < 4096; ++i)
        noise += static_cast<char>((i * 7919 + 13) % 256);
    WriteRaw(noise);
    EXPECT_FALSE(platform::RegValueExists(RegRoot::CurrentUser, "K", "Good"));
    EXPECT_TRUE(platform::WriteParam("After", "noise"));
    EXPECT_EQ(platform::ReadParam("After"), "noise");
}

TEST_F(RegistryTest, StrayTemporaryOfAKilledWriterIsRemoved) {
    WriteRaw("");
    const std::filesystem::path stray = file_.string() + ".x1Y2z3";
    std::ofstream(stray) << "half";
    ASSERT_TRUE(platform::WriteParam("A", "1"));
    EXPECT_FALSE(std::filesystem::exists(stray));
    EXPECT_EQ(platform::ReadParam("A"), "1");
}

// Reading a value parses the file once, not once per read, and a file of many
// keys parses in time linear in its lines.
class ScaleTest : public RegistryTest {};

TEST_F(ScaleTest, LargeRegistryStoreReadsQuickly) {
    std::string raw = "QUENDIC-REGISTRY 1\n";
    for (int i = 0; i < 40000; ++i)
        raw += "V\tHKCU\tSoftWare\\\\K" + std::to_string(i) + "\tName\t1\tv" + std::to_string(i) +
               "\n";
    for (int i = 0; i < 40000; ++i)
        raw += "V\tHKCU\tSoftWare\\\\Marvane\\\\Param\tP" + std::to_string(i) + "\t1\tp\n";
    WriteRaw(raw);
    for (int i = 0; i < 40000; i += 97) {
        RegValue value;
        ASSERT_TRUE(platform::RegReadValue(RegRoot::CurrentUser, "SOFTWARE\\k" + std::to_string(i),
                                           "name", value));
        EXPECT_EQ(std::get<std::string>(value), "v" + std::to_string(i));
        EXPECT_EQ(platform::ReadParam("p" + std::to_string(i)), "p");
    }
    ASSERT_TRUE(platform::WriteParam("P7", "changed"));
    EXPECT_EQ(platform::ReadParam("P7"), "changed");
}

TEST_F(RegistryTest, ConcurrentWriterProcessesLoseNothing) {
    constexpr int kWriters = 2;
    constexpr int kValues = 200;
    ASSERT_TRUE(testsupport::RunInChildProcesses(kWriters, [](int w) {
        bool ok = true;
        for (int i = 0; i < kValues; ++i)
            ok = platform::WriteParam("W" + std::to_string(w) + "_" + std::to_string(i),
                                      std::to_string(i * 3 + w)) &&
                 ok;
        return ok;
    }));
    for (int w = 0; w < kWriters; ++w)
        for (int i = 0; i < kValues; ++i)
            ASSERT_EQ(platform::ReadParam("W" + std::to_string(w) + "_" + std::to_string(i)),
                      std::to_string(i * 3 + w))
                << w << " " << i;
    // No temporary files are left beside the store.
    for (const auto& entry : std::filesystem::directory_iterator(file_.parent_path())) {
        auto name = entry.path().filename().string();
        EXPECT_TRUE(name == "registry" || name == "registry.lock") << name;
    }
}

} // namespace
