#include "download/PendingReplacements.h"
#include "net/StandIn.h"
#include "platform/Environment.h"
#include "tests/download/UpdateFixture.h"

namespace download::test {
namespace {

using namespace std::string_literals;

// The file numbers of pending records, in numeric order.
std::vector<std::string> Fids(const std::vector<std::string>& records) {
    std::vector<std::string> fids;
    for (const std::string& record : records)
        fids.push_back(core::GetTagValue(record, "FID"));
    std::sort(fids.begin(), fids.end());
    return fids;
}

// A body that the update list check accepts as far as its form goes.
std::string ListBody(std::string lines, uint32_t trailer = 102001) {
    EXPECT_TRUE(storage::ZipStream(lines));
    platform::AppendLe32(lines, trailer);
    return lines;
}

TEST_F(UpdateTest, RecordForThisInstallationWinsOverTheGeneralOneAndOthersAreIgnored) {
    Install("a.dat", "old");
    std::string other = ClientId() == "FFFFFFFF" ? "FFFFFFFE" : "FFFFFFFF";
    const std::vector<std::string> lines = {
        Record(1, "for everyone", "<LFn>a.dat</LFn>"),
        Record(2, "for me",
               "<LFn>a.dat</LFn><User>CID</User><CID>" + platform::LowerAscii(ClientId()) +
                   "</CID>"),
        Record(3, "for someone else", "<LFn>b.dat</LFn><User>cid</User><CID>" + other + "</CID>"),
        "<LFn>no-number.dat</LFn><FCrc>00000000</FCrc>",
    };
    ASSERT_TRUE(update_.SelectUpdates(lines));
    ASSERT_EQ(Fids(update_.PendingList()), std::vector<std::string>{"00000002"});
    const std::string& pending = update_.PendingList()[0];
    EXPECT_EQ(core::GetTagValue(pending, "UO"), "1");
    EXPECT_EQ(core::GetTagValue(pending, "LFNC"),
              platform::HexNumber(storage::StrCRC(platform::LowerAscii(folders_ / "a.dat"))));
    EXPECT_TRUE(pending.ends_with(lines[1]));
    EXPECT_EQ(update_.UpdateMode(), "Hint");

    // Without the record for this installation the general one stays.
    ASSERT_TRUE(update_.SelectUpdates({lines[0], lines[2]}));
    EXPECT_EQ(Fids(update_.PendingList()), std::vector<std::string>{"00000001"});
    EXPECT_EQ(core::GetTagValue(update_.PendingList()[0], "UO"), "4");
}

TEST_F(UpdateTest, CurrentFilesDropOutMissingOnesCountAndTheMannerSetsTheMode) {
    Install("current.dat", "same");
    std::string current = Record(1, "same", "<LFn>current.dat</LFn>");
    // The CRC is compared ignoring case.
    const std::string crc = core::GetTagValue(current, "FCrc");
    current.replace(current.find(crc), crc.size(), platform::LowerAscii(crc));
    const std::string missing = Record(2, "new", "<LFn>missing.dat</LFn><UM>Hint</UM>");
    ASSERT_TRUE(update_.SelectUpdates({current, missing}));
    EXPECT_EQ(Fids(update_.PendingList()), std::vector<std::string>{"00000002"});
    EXPECT_EQ(update_.UpdateMode(), "Hint");

    ASSERT_TRUE(
        update_.SelectUpdates({current, missing, Record(3, "x", "<LFn>c.dat</LFn><UM>auto</UM>")}));
    EXPECT_EQ(Fids(update_.PendingList()), (std::vector<std::string>{"00000002", "00000003"}));
    EXPECT_EQ(update_.UpdateMode(), "Auto");

    EXPECT_FALSE(update_.SelectUpdates({current}));
    EXPECT_TRUE(update_.PendingList().empty());
}

TEST_F(UpdateTest, LocalFolderPlaceholdersStayInsideTheProgramFolder) {
    auto folder = [this](const std::string& lfp) {
        return update_.ResolveLocalPath("<LFp>" + lfp + "</LFp>");
    };
    EXPECT_EQ(folder("[app]data"), folders_ / "data/");
    EXPECT_EQ(folder("[APP]data\\sub\\"), folders_ / "data/sub/");
    EXPECT_EQ(folder(""), folders_.Path());
    EXPECT_EQ(folder("[App]"), folders_.Path());
    EXPECT_EQ(folder("data"), folders_ / "data/");
    for (const char* refused : {"[SYS]", "[sysroot]", "[SysRoot]Windows\\", "/etc", "\\", "..\\x",
                                "[APP]..\\..\\", "data\\[APP]", "a\\.\\b"})
        EXPECT_EQ(folder(refused), "") << refused;
}

TEST_F(UpdateTest, QuietRecordIsInstalledDuringTheCheckAndNeverListed) {
    Install("quiet.dat", "old quiet");
    Offer(1, "new quiet", "<LFn>quiet.dat</LFn><LFp>[APP]</LFp><UM>Quiet</UM>");
    Offer(2, "new data", "<LFn>data.dat</LFn><LFp>[app]data</LFp><UM>Hint</UM>");
    ASSERT_TRUE(update_.CheckForUpdates());
    EXPECT_TRUE(update_.ListReceived());
    EXPECT_EQ(ReadFile(folders_ / "quiet.dat"), "new quiet");
    EXPECT_EQ(ReadFile(User("fu.d/00000001.fu")), "new quiet");
    const std::string record = Record(2, "new data", "");
    EXPECT_EQ(update_.DownloadList(),
              std::vector<std::string>{"<CID>" + ClientId() +
                                       "</CID><SID>00018E71</SID><FC>00000009</FC>"
                                       "<FID>00000002</FID><Title>data.dat</Title>" +
                                       core::GetTagValue(record, "FS", false, true) + "<FCRC>" +
                                       core::GetTagValue(record, "FCrc") + "</FCRC>"});
    EXPECT_EQ(update_.UpdateMode(), "Hint");
    EXPECT_FALSE(fs::exists(folders_ / "data/data.dat"));

    // The next start finds the quiet file current and asks for nothing more.
    service_->ClearCounts();
    ASSERT_TRUE(update_.CheckForUpdates());
    EXPECT_EQ(service_->PageRequests(), 1);
}

TEST_F(UpdateTest, QuietCopyWithAnotherCrcIsNeverInstalled) {
    Install("quiet.dat", "old quiet");
    Offer(1, "new quiet", "<LFn>quiet.dat</LFn><UM>Quiet</UM>");
    // The service's file changed after the list was made: the copy that
    // arrives is not the one the list describes.
    const std::string record = Record(1, "new quiet", "<LFn>quiet.dat</LFn><UM>Quiet</UM>");
    WriteFile(Data() + "/updates/00000001", "NEW QUIET");
    EXPECT_FALSE(update_.SelectUpdates({record}));
    EXPECT_EQ(ReadFile(folders_ / "quiet.dat"), "old quiet");
}

TEST_F(UpdateTest, ListBodiesWithoutTheTrailerOrThatDoNotUnzipGiveNoUpdate) {
    Install("a.dat", "old");
    ASSERT_TRUE(update_.SelectUpdates({Record(1, "new", "<LFn>a.dat</LFn>")}));
    const std::vector<std::string> pending = update_.PendingList();

    net::test::CannedService canned;
    SetServiceBase(canned.Base());
    const std::string line = Record(1, "new", "<LFn>a.dat</LFn>") + "\r\n";
    std::string junkZip = "\x10\0\0\0not zlib at all"s;
    platform::AppendLe32(junkZip, 102001);
    std::string hugeLength = "\xFF\xFF\xFF\x7F" + ListBody(line).substr(4);
    for (const std::string& body : {""s, "\x71\x8E\x01"s, ListBody(line, 102002), junkZip,
                                    hugeLength, "<Result>Error</Result>"s}) {
        canned.Reply(200, body);
        EXPECT_FALSE(update_.CheckForUpdates()) << body.size();
        EXPECT_FALSE(update_.ListReceived());
        EXPECT_EQ(update_.PendingList(), pending);
    }
    canned.Reply(200, ListBody(line));
    EXPECT_TRUE(update_.CheckForUpdates());
    EXPECT_TRUE(update_.ListReceived());

    // No service at all.
    SetServiceBase("http://127.0.0.1:1/qv/");
    EXPECT_FALSE(update_.CheckForUpdates());
    EXPECT_FALSE(update_.ListReceived());
}

TEST_F(UpdateTest, HostileListWritesNothingOutsideTheProgramFolder) {
    const std::vector<std::string> before = OutsideFiles();
    fs::create_directory_symlink(outside_, folders_ / "out");
    fs::create_symlink(outside_ + "x", folders_ / "evil");
    const std::string outsideName = outside_ + "x";
    const std::vector<std::string> hostile = {
        "<LFn>..\\..\\x</LFn>",
        "<LFn>" + outsideName + "</LFn>",
        "<LFp>" + outside_ + "</LFp><LFn>x</LFn>",
        "<LFp>[SYS]</LFp><LFn>x</LFn>",
        "<LFp>[SysRoot]</LFp><LFn>" + outsideName.substr(1) + "</LFn>",
        "<LFp>[APP]..\\" + fs::path(outside_).parent_path().filename().string() +
            "</LFp><LFn>x</LFn>",
        "<LFn>out\\x</LFn>",
        "<LFn>out\\new</LFn>",
        "<LFn>evil</LFn>",
        "<LFn>fu.dat</LFn>",
    };
    uint32_t fid = 1;
    for (const std::string& fields : hostile) {
        Offer(fid++, "hostile", fields + "<UM>Quiet</UM>");
        Offer(fid++, "hostile", fields + "<UM>Hint</UM>");
    }
    Offer(fid, "fine", "<LFn>fine.dat</LFn><UM>Quiet</UM>");

    EXPECT_FALSE(update_.CheckForUpdates());
    EXPECT_TRUE(update_.ListReceived());
    EXPECT_EQ(ReadFile(folders_ / "fine.dat"), "fine");
    EXPECT_EQ(OutsideFiles(), before);
    EXPECT_EQ(CountContaining(Log(), "record refused"), 2 * hostile.size());
    EXPECT_EQ(update_.RefusedRecords(), 2 * hostile.size());
    EXPECT_FALSE(update_.ApplyUpdates());
    EXPECT_EQ(OutsideFiles(), before);
}

TEST_F(UpdateTest, LinkPlantedAfterTheCheckIsNotFollowedByTheReplacement) {
    const std::vector<std::string> before = OutsideFiles();
    Offer(1, "late", "<LFn>sub\\x</LFn>");
    ASSERT_TRUE(update_.CheckForUpdates());
    WriteFile(update_.CopyPath(update_.PendingList()[0]), "late");
    fs::create_directory_symlink(outside_, folders_ / "sub");
    EXPECT_FALSE(update_.ApplyUpdates());
    EXPECT_EQ(OutsideFiles(), before);
    EXPECT_FALSE(fs::exists(update_.PendingFile()));
}

TEST_F(UpdateTest, ApplyReplacesAtomicallyKeepingPermissionBits) {
    Install("tool", "old tool", 0750);
    Install("data/words.dat", "old words", 0640);
    Install("bad.dat", "old bad");
    const std::vector<std::string> lines = {
        Record(1, "new tool", "<LFn>tool</LFn>"),
        Record(2, "new words", "<LFn>words.dat</LFn><LFp>[APP]data\\</LFp>"),
        Record(3, "new bad", "<LFn>bad.dat</LFn>"),
        Record(4, "never fetched", "<LFn>later.dat</LFn>"),
    };
    ASSERT_TRUE(update_.SelectUpdates(lines));
    ASSERT_EQ(update_.PendingList().size(), 4u);
    WriteFile(User("fu.d/00000001.fu"), "new tool");
    WriteFile(User("fu.d/00000002.fu"), "new words");
    WriteFile(User("fu.d/00000003.fu"), "damaged");

    EXPECT_FALSE(update_.ApplyUpdates());
    EXPECT_FALSE(fs::exists(update_.PendingFile()));
    EXPECT_EQ(ReadFile(folders_ / "tool"), "new tool");
    EXPECT_EQ(Mode(folders_ / "tool"), 0750u);
    EXPECT_EQ(ReadFile(folders_ / "data/words.dat"), "new words");
    EXPECT_EQ(Mode(folders_ / "data/words.dat"), 0640u);
    EXPECT_EQ(ReadFile(folders_ / "bad.dat"), "old bad");
    EXPECT_TRUE(AnyContains(Log(), "does not have the CRC of bad.dat"));
    // No temporary file is left beside the targets.
    for (const auto& entry : fs::recursive_directory_iterator(folders_ / "data"))
        EXPECT_EQ(entry.path().filename(), "words.dat");
}

TEST_F(UpdateTest, RunningProgramAndFailedReplacementsAreLeftToTheUpdater) {
    Install("quendic", "old program", 0755);
    Install("blocker", "a file where a folder should be");
    Install("plain.dat", "old plain");
    update_.SetRunningProgram(folders_ / "quendic");
    const UpdateTarget running = update_.Target("<FID>1</FID><LFn>quendic</LFn>");
    EXPECT_TRUE(running.RunningProgram);
    EXPECT_TRUE(running.ProgramFile);
    ASSERT_TRUE(update_.SelectUpdates({
        Record(1, "new program", "<LFn>quendic</LFn>"),
        Record(2, "new inner", "<LFn>blocker\\inner.dat</LFn>"),
        Record(3, "new plain", "<LFn>plain.dat</LFn>"),
    }));
    WriteFile(User("fu.d/00000001.fu"), "new program");
    WriteFile(User("fu.d/00000002.fu"), "new inner");
    WriteFile(User("fu.d/00000003.fu"), "new plain");

    EXPECT_TRUE(update_.ApplyUpdates());
    EXPECT_EQ(ReadFile(folders_ / "quendic"), "old program");
    EXPECT_EQ(ReadFile(folders_ / "plain.dat"), "new plain");
    PendingReplacements::ReadResult left = PendingReplacements::Read(update_.PendingFile());
    ASSERT_EQ(left.State, PendingReplacements::Status::Ok) << left.Problem;
    ASSERT_EQ(left.Items.size(), 2u);
    std::sort(left.Items.begin(), left.Items.end(),
              [](const Replacement& a, const Replacement& b) { return a.NewFile > b.NewFile; });
    EXPECT_EQ(left.Items[0].NewFile, User("fu.d/00000002.fu"));
    EXPECT_EQ(left.Items[0].OldFile, folders_ / "blocker/inner.dat");
    EXPECT_EQ(left.Items[1].NewFile, User("fu.d/00000001.fu"));
    EXPECT_EQ(left.Items[1].OldFile, folders_ / "quendic");

    // Once every file is current nothing is left and no list is written.
    fs::remove(update_.PendingFile());
    fs::remove(folders_ / "blocker");
    update_.SetRunningProgram("/nonexistent/quendic");
    EXPECT_FALSE(update_.ApplyUpdates());
    EXPECT_FALSE(fs::exists(update_.PendingFile()));
}

TEST_F(UpdateTest, ReadOnlyProgramFolderSkipsProgramFilesOnceAndUpdatesDataInTheUserFolder) {
    platform::Environment environment = platform::CurrentEnvironment();
    environment.UserFolder = folders_ / "user/";
    environment.ProgramFolderWritable = false;
    platform::SetEnvironment(environment);
    Install("tool", "old tool", 0755);
    Install("helper", "old helper", 0755);
    Install("quiet.dat", "old quiet");
    Install("hint.dat", "old hint");
    Offer(1, "new tool", "<LFn>tool</LFn><UM>Quiet</UM>");
    Offer(2, "new helper", "<LFn>helper</LFn>");
    Offer(3, "new quiet", "<LFn>quiet.dat</LFn><UM>Quiet</UM>");
    Offer(4, "new hint", "<LFn>hint.dat</LFn>");

    ASSERT_TRUE(update_.CheckForUpdates());
    EXPECT_EQ(update_.SkippedProgramFiles(), 2u);
    EXPECT_EQ(CountContaining(Log(), "package manager"), 1u);
    EXPECT_EQ(ReadFile(folders_ / "tool"), "old tool");
    EXPECT_EQ(ReadFile(folders_ / "quiet.dat"), "old quiet");
    EXPECT_EQ(ReadFile(folders_ / "user/quiet.dat"), "new quiet");
    ASSERT_EQ(Fids(update_.PendingList()), std::vector<std::string>{"00000004"});
    EXPECT_EQ(update_.Target(update_.PendingList()[0]).Path, folders_ / "user/hint.dat");

    WriteFile(folders_ / "user/fu.d/00000004.fu", "new hint");
    EXPECT_FALSE(update_.ApplyUpdates());
    EXPECT_EQ(ReadFile(folders_ / "hint.dat"), "old hint");
    EXPECT_EQ(ReadFile(folders_ / "user/hint.dat"), "new hint");
    // The data file the program reads is now the user folder's.
    EXPECT_FALSE(update_.SelectUpdates({Record(4, "new hint", "<LFn>hint.dat</LFn>")}));
}

} // namespace
} // namespace download::test
