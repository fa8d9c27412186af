#include "platform/Process.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>
#include <unistd.h>

namespace {

using Words = std::vector<std::string>;

class ProcessTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = std::filesystem::temp_directory_path() /
                  ("quendic-proc-" + std::to_string(getpid()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
    }
    void TearDown() override { std::filesystem::remove_all(folder_); }

    // An executable script that writes each of its arguments on a line of
    // `output` (appending), after sleeping `delay` seconds.
    std::string RecorderScript(const std::string& output, const std::string& delay = "0") {
        auto path = folder_ / "record.sh";
        std::ofstream(path) << "#!/bin/sh\nsleep " << delay
                            << "\nfor a in \"$@\"; do printf '%s\\n' \"$a\" >> '" << output
                            << "'; done\n";
        std::filesystem::permissions(path, std::filesystem::perms::owner_all);
        return path.string();
    }

    static std::string ReadFile(const std::filesystem::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    // Waits up to 10 s for `path` to hold `lines` lines.
    static std::string WaitForLines(const std::filesystem::path& path, size_t lines) {
        for (int i = 0; i < 1000; ++i) {
            std::string text = ReadFile(path);
            if (static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) >= lines)
                return text;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return ReadFile(path);
    }

    std::filesystem::path folder_;
};

TEST(SplitCommandLineTest, QuotesGroupAndEmptyQuotedWordsCount) {
    EXPECT_EQ(platform::SplitCommandLine("  a  b\tc "), (Words{"a", "b", "c"}));
    EXPECT_EQ(platform::SplitCommandLine("\"/opt/my q/fu\" \"\xA1\xBEquendic\xA1\xBF\" \""),
              (Words{"/opt/my q/fu", "\xA1\xBEquendic\xA1\xBF", ""}));
    EXPECT_EQ(platform::SplitCommandLine("a\"b c\"d \"\" e"), (Words{"ab cd", "", "e"}));
    EXPECT_EQ(platform::SplitCommandLine("C:\\x\\y 'z w'"), (Words{"C:\\x\\y", "'z", "w'"}));
    EXPECT_EQ(platform::SplitCommandLine(""), Words{});
    EXPECT_EQ(platform::SplitCommandLine("   "), Words{});
}

TEST_F(ProcessTest, RunProgramPassesWordsAndWaits) {
    auto output = folder_ / "args.txt";
    std::string script = RecorderScript(output.string(), "0.2");
    ASSERT_TRUE(
        platform::RunProgram("\"" + script + "\" \"two words\" ; $(touch x) \"", true, true));
    // Waited: the output is complete on return. Nothing went through a shell.
    EXPECT_EQ(ReadFile(output), "two words\n;\n$(touch\nx)\n\n");
    EXPECT_FALSE(std::filesystem::exists(folder_ / "x"));
}

TEST_F(ProcessTest, RunProgramWithoutWaitReturnsAtOnce) {
    auto output = folder_ / "args.txt";
    std::string script = RecorderScript(output.string(), "0.5");
    auto before = std::chrono::steady_clock::now();
    ASSERT_TRUE(platform::RunProgram(script + " later", false, false));
    auto took = std::chrono::steady_clock::now() - before;
    EXPECT_FALSE(std::filesystem::exists(output));
    EXPECT_LT(took, std::chrono::milliseconds(450));
    EXPECT_EQ(WaitForLines(output, 1), "later\n");
}

TEST_F(ProcessTest, MissingProgramFails) {
    EXPECT_FALSE(platform::RunProgram("/no/such/program arg", true, true));
    EXPECT_FALSE(platform::RunProgram("/no/such/program arg", true, false));
    EXPECT_FALSE(platform::RunProgram("quendic-no-such-program-xyz", true, false));
    EXPECT_FALSE(platform::RunProgram("", true, true));
    EXPECT_FALSE(platform::RunProgram("\"\"", true, true));
}

TEST_F(ProcessTest, RunCommandUsesShellAndWaits) {
    auto output = folder_ / "out.txt";
    ASSERT_TRUE(platform::RunCommand("sleep 0.2; echo done > '" + output.string() + "'", true));
    EXPECT_EQ(ReadFile(output), "done\n");
    // The shell started, so the call succeeded even though the command failed.
    EXPECT_TRUE(platform::RunCommand("exit 3", true));
}

TEST_F(ProcessTest, OpenUrlUsesBrowserAndAddsScheme) {
    auto output = folder_ / "urls.txt";
    std::string script = RecorderScript(output.string());
    setenv("BROWSER", script.c_str(), 1);
    ASSERT_TRUE(platform::OpenUrl("example.test/a b"));
    EXPECT_EQ(WaitForLines(output, 1), "http://example.test/a b\n");
    ASSERT_TRUE(platform::OpenUrl("HTTPS://example.test/x"));
    EXPECT_EQ(WaitForLines(output, 2), "http://example.test/a b\nHTTPS://example.test/x\n");

    // "%s" stands for the address; only the first of a ":" list is used.
    std::filesystem::remove(output);
    std::string withPlaceholder = script + " --url=%s:/no/such/browser";
    setenv("BROWSER", withPlaceholder.c_str(), 1);
    ASSERT_TRUE(platform::OpenUrl("q.test"));
    EXPECT_EQ(WaitForLines(output, 1), "--url=http://q.test\n");

    setenv("BROWSER", "/no/such/browser", 1);
    EXPECT_FALSE(platform::OpenUrl("q.test"));
    unsetenv("BROWSER");
}

} // namespace
