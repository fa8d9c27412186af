#include "tests/download/UpdateFixture.h"

#include <thread>

namespace download::test {
namespace {

using namespace std::chrono_literals;

// quendic-cli update in a child process, against the service on loopback.
class CliUpdateTest : public UpdateTest {
protected:
    ChildRun Cli(const std::string& args) { return Child(QUENDIC_CLI_PATH, args); }
};

TEST_F(CliUpdateTest, CheckListsWithoutChangingThenUpdateBringsEveryFileCurrent) {
    Install("words.dat", "old words");
    Install("notes.txt", "old notes");
    Install("help.dat", "current help");
    Offer(1, "new words", "<LFn>words.dat</LFn><UM>Auto</UM>");
    Offer(2, "new notes", "<LFn>notes.txt</LFn><UM>Quiet</UM>");
    Offer(3, "current help", "<LFn>help.dat</LFn>");

    ChildRun run = Cli("update --check");
    EXPECT_EQ(run.Exit, 1) << run.Err;
    // In the order of the pending list, which goes by the checksum of the
    // target's path.
    std::vector<std::string> lines = platform::SplitLines(run.Out);
    std::sort(lines.begin(), lines.end());
    EXPECT_EQ(lines, (std::vector<std::string>{folders_ / "notes.txt" + "\t9\tQuiet",
                                               folders_ / "words.dat" + "\t9\tAuto"}));
    EXPECT_EQ(ReadFile(folders_ / "notes.txt"), "old notes");
    EXPECT_EQ(ReadFile(folders_ / "words.dat"), "old words");

    run = Cli("update");
    EXPECT_EQ(run.Exit, 0) << run.Err;
    EXPECT_EQ(ReadFile(folders_ / "notes.txt"), "new notes");
    EXPECT_EQ(ReadFile(folders_ / "words.dat"), "new words");
    EXPECT_NE(run.Err.find("every file is current"), std::string::npos) << run.Err;
    EXPECT_FALSE(fs::exists(update_.PendingFile()));

    run = Cli("update --check");
    EXPECT_EQ(run.Exit, 0) << run.Err;
    EXPECT_EQ(run.Out, "");
    EXPECT_EQ(Cli("update --now").Exit, 2);
}

TEST_F(CliUpdateTest, WithoutAUsableListNothingChanges) {
    Install("words.dat", "old words");
    Offer(1, "new words", "<LFn>words.dat</LFn>");
    SetServiceBase("http://127.0.0.1:1/qv/");
    ChildRun run = Cli("update");
    EXPECT_EQ(run.Exit, 2);
    EXPECT_NE(run.Err.find("no usable update list"), std::string::npos) << run.Err;
    EXPECT_EQ(Cli("update --check").Exit, 2);
    EXPECT_EQ(ReadFile(folders_ / "words.dat"), "old words");
}

TEST_F(CliUpdateTest, OwnProgramFileIsReplacedByFuAfterTheCommandHasExited) {
    fs::copy_file(QUENDIC_CLI_PATH, folders_ / "quendic-cli");
    fs::copy_file(FU_PATH, folders_ / "fu");
    // A program that still runs: the old one with a byte more.
    const std::string newProgram = ReadFile(QUENDIC_CLI_PATH) + "\n";
    Offer(1, newProgram, "<LFn>quendic-cli</LFn>");
    const mode_t mode = Mode(folders_ / "quendic-cli");

    ChildRun run = Child(folders_ / "quendic-cli", "update");
    EXPECT_EQ(run.Exit, 0) << run.Err;
    EXPECT_NE(run.Err.find("fu replaces the rest"), std::string::npos) << run.Err;
    for (int i = 0; i < 200 && fs::exists(update_.PendingFile()); ++i)
        std::this_thread::sleep_for(50ms);
    EXPECT_FALSE(fs::exists(update_.PendingFile()));
    EXPECT_EQ(ReadFile(folders_ / "quendic-cli"), newProgram);
    EXPECT_EQ(Mode(folders_ / "quendic-cli"), mode);

    run = Child(folders_ / "quendic-cli", "update --check");
    EXPECT_EQ(run.Exit, 0) << run.Err;
}

} // namespace
} // namespace download::test
