#include "download/PendingReplacements.h"
#include "platform/RunLock.h"
#include "tests/download/UpdateFixture.h"

#include <thread>

namespace download::test {
namespace {

using namespace std::chrono_literals;
using namespace std::string_literals;

// "【" and "】" in GBK, as the program writes them.
const std::string kOpen = "\xA1\xBE";
const std::string kClose = "\xA1\xBF";

// fu in the program folder of the test, with "prog" for it to restart: a
// script that notes every start in the user folder.
class UpdaterTest : public UpdateTest {
protected:
    UpdaterTest() {
        fs::copy_file(FU_PATH, folders_ / "fu");
        Install("prog", "#!/bin/sh\necho started >>\"$QUENDIC_USER_HOME/prog-starts\"\n", 0755);
    }

    ChildRun Fu(const std::string& options = "--no-restart") {
        return Child(folders_ / "fu", "'" + kOpen + "prog" + kClose + "' '' " + options);
    }
    // Starts fu without waiting for it.
    void FuInBackground(const std::string& options) {
        const std::string command = folders_.ShellAssignments() + " '" + (folders_ / "fu") + "' '" +
                                    kOpen + "prog" + kClose + "' '' " + options +
                                    " >/dev/null 2>&1 &";
        ASSERT_EQ(std::system(command.c_str()), 0);
    }
    static bool WaitFor(const std::function<bool()>& done) {
        for (int i = 0; i < 300 && !done(); ++i)
            std::this_thread::sleep_for(50ms);
        return done();
    }
    // Lines of fu.dat: copy and target.
    static std::string Line(const std::string& copy, const std::string& target) {
        return core::MakeTagField(copy, "NFN") + core::MakeTagField(target, "OFN");
    }
    void WriteList(const std::vector<std::string>& lines) {
        storage::Stream stream = core::JoinLines(lines);
        ASSERT_TRUE(storage::ZipStream(stream));
        WriteFile(update_.PendingFile(), stream);
    }
    std::vector<std::string> FuLog() const { return LogTexts(User("fu.log")); }
    std::string Starts() const { return ReadFile(User("prog-starts")); }
};

TEST_F(UpdaterTest, BadCommandLinesAreRefused) {
    for (const std::string& args :
         {std::string(), "prog ''"s, "'" + kOpen + kClose + "'",
          "'" + kOpen + "../prog" + kClose + "'", "'" + kOpen + "prog" + kClose + "' '' --wait=x",
          "'" + kOpen + "prog" + kClose + "' '' -x"})
        EXPECT_EQ(Child(folders_ / "fu", args).Exit, 2) << args;
    // Brackets typed in a UTF-8 terminal work too.
    EXPECT_EQ(Child(folders_ / "fu", "'【prog】' '' --no-restart").Exit, 0);
}

TEST_F(UpdaterTest, MissingEmptyDamagedOrHostileListChangesNothing) {
    Install("target.dat", "old target", 0640);
    WriteFile(User("fu.d/00000001.fu"), "new target");
    fs::create_directory_symlink(outside_, folders_ / "out");
    const std::vector<std::string> before = OutsideFiles();

    ChildRun run = Fu();
    EXPECT_EQ(run.Exit, 0) << run.Err;
    EXPECT_TRUE(AnyContains(FuLog(), "nothing to replace"));

    const std::string copy = User("fu.d/00000001.fu");
    const std::string target = folders_ / "target.dat";
    std::vector<std::vector<std::string>> hostile = {
        {"no fields at all"},
        {core::MakeTagField(copy, "NFN")},
        {Line(outside_ + "x", target)},
        {Line(copy, outside_ + "x")},
        {Line(copy, folders_ / "out/x")},
        {Line(copy, folders_ / "fu.d/../../x")},
        {Line(copy, target), Line(copy, "/etc/passwd")},
        {Line(copy, folders_.Path())},
        {Line(copy, update_.PendingFile())},
        {Line(folders_ / "fu.d/missing.fu", target)},
    };
    const std::vector<std::string> damaged = {""s, "\x10\0\0\0junk"s, "\xFF\xFF\xFF\xFF"s};
    for (const std::string& bytes : damaged) {
        WriteFile(update_.PendingFile(), bytes);
        run = Fu("--no-restart");
        EXPECT_EQ(run.Exit, 1) << run.Err;
        EXPECT_EQ(ReadFile(update_.PendingFile()), bytes);
    }
    for (const std::vector<std::string>& lines : hostile) {
        WriteList(lines);
        const std::string list = ReadFile(update_.PendingFile());
        run = Fu("");
        EXPECT_EQ(run.Exit, 1) << lines[0];
        EXPECT_EQ(ReadFile(update_.PendingFile()), list);
    }
    EXPECT_EQ(ReadFile(target), "old target");
    EXPECT_EQ(OutsideFiles(), before);
    EXPECT_EQ(CountContaining(FuLog(), "is refused"), damaged.size() + hostile.size());
    // Each refused list still brings the program back.
    EXPECT_TRUE(WaitFor([&] { return Starts().size() == hostile.size() * 8; })) << Starts();
}

TEST_F(UpdaterTest, ReplacesEachFileKeepsWhatFailedForTheNextTryAndRestarts) {
    Install("tool", "old tool", 0750);
    Install("data/words.dat", "old words", 0604);
    Install("blocker", "a file where a folder should be");
    WriteFile(User("fu.d/1.fu"), "new tool");
    WriteFile(User("fu.d/2.fu"), "new words");
    WriteFile(User("fu.d/3.fu"), "new inner");
    const std::string failing = Line(User("fu.d/3.fu"), folders_ / "blocker/inner.dat");
    WriteList({Line(User("fu.d/1.fu"), folders_ / "tool"), failing,
               Line(User("fu.d/2.fu"), folders_ / "data/words.dat")});

    ChildRun run = Fu("");
    EXPECT_EQ(run.Exit, 1) << run.Err;
    EXPECT_EQ(ReadFile(folders_ / "tool"), "new tool");
    EXPECT_EQ(Mode(folders_ / "tool"), 0750u);
    EXPECT_EQ(ReadFile(folders_ / "data/words.dat"), "new words");
    EXPECT_EQ(Mode(folders_ / "data/words.dat"), 0604u);
    PendingReplacements::ReadResult left = PendingReplacements::Read(update_.PendingFile());
    ASSERT_EQ(left.Items.size(), 1u);
    EXPECT_EQ(left.Items[0].OldFile, folders_ / "blocker/inner.dat");
    EXPECT_TRUE(AnyContains(FuLog(), "replaced " + (folders_ / "tool")));
    EXPECT_TRUE(WaitFor([&] { return Starts() == "started\n"; })) << Starts();

    fs::remove(folders_ / "blocker");
    run = Fu();
    EXPECT_EQ(run.Exit, 0) << run.Err;
    EXPECT_EQ(ReadFile(folders_ / "blocker/inner.dat"), "new inner");
    EXPECT_FALSE(fs::exists(update_.PendingFile()));
    EXPECT_EQ(Starts(), "started\n"); // --no-restart
}

TEST_F(UpdaterTest, WaitsForEveryInstanceAndGivesUpAfterItsLimit) {
    Install("target.dat", "old target");
    WriteFile(User("fu.d/1.fu"), "new target");
    WriteList({Line(User("fu.d/1.fu"), folders_ / "target.dat")});
    std::optional<platform::RunLock> running = platform::RunLock::Shared("prog", 0ms);
    ASSERT_TRUE(running);

    ChildRun run = Fu("--wait=1");
    EXPECT_EQ(run.Exit, 3);
    EXPECT_EQ(ReadFile(folders_ / "target.dat"), "old target");
    EXPECT_TRUE(fs::exists(update_.PendingFile()));
    EXPECT_TRUE(AnyContains(FuLog(), "did not exit within 1 s"));

    FuInBackground("--wait=30");
    std::this_thread::sleep_for(500ms);
    EXPECT_EQ(ReadFile(folders_ / "target.dat"), "old target");
    running.reset();
    EXPECT_TRUE(WaitFor([&] { return Starts() == "started\n"; })) << Starts();
    EXPECT_EQ(ReadFile(folders_ / "target.dat"), "new target");
    EXPECT_FALSE(fs::exists(update_.PendingFile()));
}

TEST_F(UpdaterTest, ProgramUpdatesItsOwnFileThroughTheServiceAndComesBackAsTheNewVersion) {
    fs::copy_file(PROBE_V1_PATH, folders_ / "probe");
    const std::string newProgram = ReadFile(PROBE_V2_PATH);
    Install("words.dat", "old words");
    Offer(1, newProgram, "<LFn>probe</LFn><UM>Hint</UM>");
    Offer(2, "new words", "<LFn>words.dat</LFn>");
    const mode_t mode = Mode(folders_ / "probe");

    ChildRun run = Child(folders_ / "probe", "");
    EXPECT_EQ(run.Exit, 0) << run.Err;
    // The data file is replaced at once, the program only once it has exited.
    EXPECT_EQ(ReadFile(folders_ / "words.dat"), "new words");
    EXPECT_TRUE(WaitFor([&] {
        return ReadFile(User("probe-runs.txt")).find("v2 current") != std::string::npos;
    })) << ReadFile(User("probe-runs.txt"));
    EXPECT_EQ(ReadFile(User("probe-runs.txt")), "v1 started\nv1 handed over\n"
                                                "v2 started\nv2 current\n");
    EXPECT_EQ(ReadFile(folders_ / "probe"), newProgram);
    EXPECT_EQ(Mode(folders_ / "probe"), mode);
    EXPECT_FALSE(fs::exists(update_.PendingFile()));
    EXPECT_TRUE(AnyContains(FuLog(), "replaced " + (folders_ / "probe")));
}

} // namespace
} // namespace download::test
