#include "download/TFileDL.h"

#include "tests/download/DownloadFixture.h"

#include <condition_variable>

namespace download::test {
namespace {

// Plain files over HTTP on a loopback port:
//   /full     1000 bytes with a Content-Length (HEAD answers it too)
//   /chunked  3000 bytes without a length
//   /short    600 bytes
//   /stall    500 bytes, then nothing until the server goes
//   /silent   no answer at all (not even to HEAD) until the server goes
//   anything else: 404 with a short page
class FileServer {
public:
    FileServer() {
        server_.Get("/full", [](const httplib::Request&, httplib::Response& res) {
            res.set_content(PackageBytes(1, 1000), "application/octet-stream");
        });
        server_.Get("/short", [](const httplib::Request&, httplib::Response& res) {
            res.set_content(PackageBytes(1, 600), "application/octet-stream");
        });
        server_.Get("/chunked", [](const httplib::Request&, httplib::Response& res) {
            res.set_chunked_content_provider("application/octet-stream",
                                             [](size_t offset, httplib::DataSink& sink) {
                                                 if (offset >= 3000) {
                                                     sink.done();
                                                     return true;
                                                 }
                                                 const std::string piece = PackageBytes(2, 1000);
                                                 return sink.write(piece.data(), piece.size());
                                             });
        });
        server_.Get("/stall", [this](const httplib::Request&, httplib::Response& res) {
            res.set_chunked_content_provider(
                "application/octet-stream", [this](size_t offset, httplib::DataSink& sink) {
                    if (offset == 0)
                        return sink.write(std::string(500, 's').data(), 500);
                    while (!released_)
                        std::this_thread::sleep_for(std::chrono::milliseconds(10));
                    return false;
                });
        });
        server_.Get("/silent", [this](const httplib::Request&, httplib::Response&) {
            while (!released_)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
        });
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        while (!server_.is_running())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ~FileServer() {
        released_ = true;
        server_.stop();
        thread_.join();
    }
    std::string Url(const std::string& path) const {
        return "127.0.0.1:" + std::to_string(port_) + path; // "http://" is added
    }

private:
    httplib::Server server_;
    std::thread thread_;
    int port_ = 0;
    std::atomic<bool> released_{false};
};

struct Report {
    uint8_t Stage;
    std::string Caption;
    int64_t Position;
    int64_t Total;
};

class FileDownloadTest : public ::testing::Test {
protected:
    static std::string Item(const std::string& url, const std::string& local,
                            const std::string& extra = {}) {
        return core::MakeTagField(url, "WFN") + core::MakeTagField(local, "LFN") +
               core::MakeTagField("Title " + local, "Title") +
               core::MakeTagField("Sub " + local, "SubTitle") + extra;
    }

    // Runs the items to their end; true when all succeeded.
    bool Run(const std::vector<std::string>& items) {
        TFileDL worker;
        worker.SetOnProgress(
            [this](uint8_t stage, const std::string& caption, int64_t position, int64_t total) {
                std::lock_guard lock(mutex_);
                reports_.push_back({stage, caption, position, total});
            });
        int finishes = 0;
        bool succeeded = false;
        worker.SetOnFinish([&](bool ok) {
            ++finishes;
            succeeded = ok;
        });
        worker.Start(items);
        worker.Join();
        EXPECT_EQ(finishes, 1);
        return succeeded;
    }

    std::vector<Report> Stage(uint8_t stage) const {
        std::vector<Report> selected;
        for (const Report& report : reports_)
            if (report.Stage == stage)
                selected.push_back(report);
        return selected;
    }

    testsupport::TestFolders folders_;
    FileServer server_;
    std::mutex mutex_;
    std::vector<Report> reports_;
};

TEST_F(FileDownloadTest, WithoutASizeTheSecondWayShowsANominalTotalAndEndsFull) {
    ASSERT_TRUE(Run({Item(server_.Url("/chunked"), "word.dat", "<GetWFS>false</GetWFS>")}));
    EXPECT_EQ(ReadFile(folders_.User("word.dat")).size(), 3000u);
    // The first way gave up before reporting anything.
    ASSERT_EQ(Stage(0).size(), 1u);
    const std::vector<Report> bytes = Stage(1);
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes.front().Total, TFileDL::kNominalSize);
    EXPECT_EQ(bytes[bytes.size() - 2].Position, 3000);
    EXPECT_EQ(bytes.back().Position, 100);
    EXPECT_EQ(bytes.back().Total, 100);
    EXPECT_EQ(bytes.back().Caption, "Sub word.dat");
}

TEST_F(FileDownloadTest, SizeIsAskedFromTheServerWhenNotGiven) {
    ASSERT_TRUE(Run({Item(server_.Url("/full"), "full.dat")}));
    EXPECT_EQ(ReadFile(folders_.User("full.dat")), PackageBytes(1, 1000));
    EXPECT_EQ(Stage(1).back().Total, 1000);
    EXPECT_EQ(Stage(1).back().Position, 1000);
}

TEST_F(FileDownloadTest, ShortReplyFailsBothWaysAndLaterItemsAreNotTouched) {
    EXPECT_FALSE(Run({Item(server_.Url("/short"), "a.dat", "<WFS>000003E8</WFS>"),
                      Item(server_.Url("/full"), "b.dat")}));
    const std::vector<Report> items = Stage(0);
    ASSERT_EQ(items.size(), 2u); // item 1, once for each way
    EXPECT_EQ(items[0].Position, 1);
    EXPECT_EQ(items[1].Position, 1);
    EXPECT_EQ(items[1].Total, 2);
    EXPECT_EQ(ReadFile(folders_.User("a.dat")).size(), 600u); // the partial file stays
    EXPECT_FALSE(fs::exists(folders_.User("b.dat")));

    // An error page is never the file, even when no size is known.
    reports_.clear();
    EXPECT_FALSE(Run({Item(server_.Url("/missing"), "c.dat", "<GetWFS>False</GetWFS>")}));
}

TEST_F(FileDownloadTest, ItemsCountOnTheOverallBarAndTildeExtensionsAreRenamed) {
    const std::string nested = folders_.User("sub/folder/x.dat"); // folders are made
    ASSERT_TRUE(Run({Item(server_.Url("/full"), "word.mp~3", "<WFS>3E8</WFS>"),
                     Item(server_.Url("/full"), nested), Item(server_.Url("/full"), "third.dat")}));
    const std::vector<Report> items = Stage(0);
    ASSERT_EQ(items.size(), 3u);
    for (int64_t i = 0; i < 3; ++i) {
        EXPECT_EQ(items[static_cast<size_t>(i)].Position, i + 1);
        EXPECT_EQ(items[static_cast<size_t>(i)].Total, 3);
    }
    EXPECT_EQ(items[0].Caption, "Title word.mp~3");
    EXPECT_EQ(ReadFile(folders_.User("word.mp3")), PackageBytes(1, 1000));
    EXPECT_FALSE(fs::exists(folders_.User("word.mp~3")));
    EXPECT_TRUE(fs::exists(nested));
    EXPECT_EQ(TFileDL::WithoutTilde("/a.b/c~d"), "/a.b/c~d"); // no extension
    EXPECT_EQ(TFileDL::WithoutTilde("/a/b.~t~x~"), "/a/b.tx");
}

TEST_F(FileDownloadTest, CancelDuringATransferLeavesThePartialFile) {
    TFileDL worker;
    std::mutex mutex;
    std::condition_variable arrived;
    int64_t received = 0;
    std::promise<bool> finished;
    worker.SetOnProgress([&](uint8_t stage, const std::string&, int64_t position, int64_t) {
        std::lock_guard lock(mutex);
        if (stage == 1)
            received = position;
        arrived.notify_all();
    });
    worker.SetOnFinish([&](bool ok) { finished.set_value(ok); });
    worker.Start({Item(server_.Url("/stall"), "partial.dat", "<WFS>3E8</WFS>")});
    {
        std::unique_lock lock(mutex);
        arrived.wait(lock, [&] { return received == 500; });
    }
    worker.Terminate();
    std::future<bool> result = finished.get_future();
    ASSERT_EQ(result.wait_for(std::chrono::seconds(20)), std::future_status::ready);
    EXPECT_FALSE(result.get());
    worker.Join();
    EXPECT_EQ(ReadFile(folders_.User("partial.dat")), std::string(500, 's'));
}

TEST_F(FileDownloadTest, CancelReachesAServerThatNeverTellsTheSize) {
    // Without "WFS" the first way asks the server for the size; a server
    // that never answers must not hold the cancel up.
    TFileDL worker;
    std::promise<void> asking;
    std::once_flag once;
    std::promise<bool> finished;
    worker.SetOnProgress([&](uint8_t stage, const std::string&, int64_t, int64_t) {
        if (stage == 0)
            std::call_once(once, [&] { asking.set_value(); });
    });
    worker.SetOnFinish([&](bool ok) { finished.set_value(ok); });
    worker.Start({Item(server_.Url("/silent"), "silent.dat")});
    asking.get_future().wait();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    worker.Terminate();
    std::future<bool> result = finished.get_future();
    ASSERT_EQ(result.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_FALSE(result.get());
}

} // namespace
} // namespace download::test
