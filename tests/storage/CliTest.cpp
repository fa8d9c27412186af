// Runs the built quendic-cli on containers made here and checks its exit
// status and the exact bytes it prints.
#include "storage/TCDF.h"

#include "TestFolder.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

namespace storage {
namespace {

class CdfCommandTest : public ::testing::Test {
protected:
    struct Result {
        int status = -1;
        std::string out;
        std::string err;
    };

    // Runs quendic-cli with `arguments` (already quoted for the shell) in the
    // work folder, which is not the program folder.
    Result Run(const std::string& arguments) {
        const std::string command = "cd '" + work.Path() + "' && QUENDIC_HOME='" + home.Path() +
                                    "' '" QUENDIC_CLI_PATH "' " + arguments + " >'" +
                                    (work / "stdout") + "' 2>'" + (work / "stderr") + "'";
        Result r;
        const int raw = std::system(command.c_str());
        r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        r.out = test::ReadFileBytes(work / "stdout");
        r.err = test::ReadFileBytes(work / "stderr");
        return r;
    }

    void MakeContainer() {
        TCDF cdf(work / "c.dat");
        ASSERT_TRUE(cdf.AddInteger(5u, 0x00020001u));
        cdf.SetCodeType(2);
        Stream binary("\x00\xFF\r\n\x1A zipped", 12);
        ASSERT_TRUE(cdf.AddStream("Word", binary));
        cdf.SetCodeType(128);
        cdf.SetNameSeed(3);
        Stream keyed = "seeded";
        ASSERT_TRUE(cdf.AddStream("seeded", keyed));
    }

    test::TestFolder home; // the program folder: must stay unused
    test::TestFolder work;
};

TEST_F(CdfCommandTest, ListPrintsOneLinePerRecord) {
    MakeContainer();
    TCDF cdf;
    const uint32_t word = cdf.NameToId("word");
    cdf.SetNameSeed(3);
    const uint32_t seeded = cdf.NameToId("seeded");
    const auto words = TCDF(work / "c.dat").Records();
    ASSERT_EQ(words.size(), 3u);
    char expected[200];
    std::snprintf(expected, sizeof expected, "0 %08X 4 0 0\n16 %08X %u 0 2\n%u %08X 6 3 128\n",
                  TCDF().NameToId("00000005"), word, words[1].Header.Size,
                  static_cast<unsigned>(words[2].Offset), seeded);
    const Result r = Run("cdf list c.dat");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, expected);
    EXPECT_EQ(r.err, "");
}

TEST_F(CdfCommandTest, ListNotesATornTail) {
    MakeContainer();
    std::string bytes = test::ReadFileBytes(work / "c.dat");
    test::WriteFileBytes(work / "cut.dat", bytes.substr(0, bytes.size() - 2));
    Result r = Run("cdf list cut.dat");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 3);
    EXPECT_NE(r.err.find("cut short"), std::string::npos);

    test::WriteFileBytes(work / "stray.dat", bytes + "abc");
    r = Run("cdf list stray.dat");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 3);
    EXPECT_NE(r.err.find("incomplete record header"), std::string::npos);
}

TEST_F(CdfCommandTest, GetWritesDecodedBytesUnchanged) {
    MakeContainer();
    Result r = Run("cdf get c.dat 5");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, std::string("\x01\x00\x02\x00", 4));
    r = Run("cdf get c.dat --name WORD");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, std::string("\x00\xFF\r\n\x1A zipped", 12));
    r = Run("cdf get c.dat --name seeded --seed 3");
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "seeded");
}

TEST_F(CdfCommandTest, ExitStatusTellsAbsentDamagedAndBadUsage) {
    MakeContainer();
    EXPECT_EQ(Run("cdf get c.dat 6").status, 1);
    EXPECT_EQ(Run("cdf get c.dat --name seeded").status, 1);
    EXPECT_EQ(Run("cdf get missing.dat 5").status, 2);
    EXPECT_EQ(Run("cdf list missing.dat").status, 2);
    // The program folder is not searched for a relative FILE.
    std::filesystem::copy_file(work / "c.dat", home / "only-home.dat");
    EXPECT_EQ(Run("cdf get only-home.dat 5").status, 2);

    for (const char* bad :
         {"cdf", "cdf get c.dat", "cdf get c.dat -1", "cdf get c.dat 0x5",
          "cdf get c.dat 4294967296", "cdf list", "cdf list a b", "cdf get c.dat --name",
          "cdf get c.dat --name w --seed 256", "cdf frob c.dat", "nosuchcommand"}) {
        const Result r = Run(bad);
        EXPECT_EQ(r.status, 2) << bad;
        EXPECT_NE(r.err.find("usage:"), std::string::npos) << bad;
        EXPECT_EQ(r.out, "") << bad;
    }
    EXPECT_EQ(Run("cdf --help").status, 0);

    // Damaged: a flipped byte inside the zipped member's data.
    std::string bytes = test::ReadFileBytes(work / "c.dat");
    const auto records = TCDF(work / "c.dat").Records();
    bytes[records[1].Offset + 12 + 6] ^= 0x55;
    test::WriteFileBytes(work / "bad.dat", bytes);
    const Result r = Run("cdf get bad.dat --name word");
    EXPECT_EQ(r.status, 2);
    EXPECT_EQ(r.out, "");
}

} // namespace
} // namespace storage
