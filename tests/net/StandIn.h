#pragma once

#include "core/ServiceData.h"
#include "platform/Environment.h"
#include "storage/TCDF.h"
#include "tools/service/DeskCommands.h"
#include "tools/service/ServiceServer.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

namespace net::test {

namespace fs = std::filesystem;

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

// A fresh folder per test with a program folder (also the user folder), a
// registry file and a service data folder, made the program's environment;
// removed afterwards.
class Sandbox {
public:
    Sandbox() : previous_(platform::CurrentEnvironment()) {
        std::string pattern = (fs::temp_directory_path() / "quendic-net-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr)
            std::abort();
        root_ = pattern;
        fs::create_directories(Home());
        fs::create_directories(Data());
        platform::Environment environment = previous_;
        environment.ProgramFolder = Home();
        environment.UserFolder = Home();
        environment.RegistryFile = root_ + "/registry";
        platform::SetEnvironment(environment);
    }
    ~Sandbox() {
        platform::SetEnvironment(previous_);
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }
    Sandbox(const Sandbox&) = delete;
    Sandbox& operator=(const Sandbox&) = delete;

    std::string Root() const { return root_; }
    std::string Home() const { return root_ + "/home"; }
    std::string Data() const { return root_ + "/data"; }

    // The same environment for a program the test starts, as shell
    // assignments to put before its command line.
    std::string ShellEnvironment() const {
        return "QUENDIC_HOME='" + Home() + "' QUENDIC_USER_HOME='" + Home() +
               "' QUENDIC_REGISTRY='" + root_ + "/registry' ";
    }

    // Makes `base` the service base of sd.102 in the program folder.
    void SetServiceBase(const std::string& base) const {
        storage::TCDF data(core::ServiceDataFile(core::kServiceBaseMember));
        storage::Stream stream = base;
        ASSERT_TRUE(data.AddStream(core::kServiceBaseMember, stream));
    }

private:
    platform::Environment previous_;
    std::string root_;
};

// Entry data file 11/90.dat of the sample service data: 300 bytes, byte i
// is i mod 251.
inline std::string SampleEntryData() {
    std::string bytes;
    for (int i = 0; i < 300; ++i)
        bytes += static_cast<char>(i % 251);
    return bytes;
}

// The update file 00000001 that updates.lst offers as "sd.102".
inline const std::string kSampleUpdate = "a newer help document";

// A small service data folder: 11/90.dat, packages.lst naming it, one
// update, an IP table.
inline void WriteSampleServiceData(const std::string& folder) {
    WriteBytes(folder + "/11/90.dat", SampleEntryData());
    // "<JMMC>词汇数据包 90</JMMC>…" in GBK.
    WriteBytes(folder + "/packages.lst",
               "<JMMC>\xB4\xCA\xBB\xE3\xCA\xFD\xBE\xDD\xB0\xFC 90</JMMC><JMBH>00000090</JMBH>"
               "<FC>0000000B</FC><FID>00000090</FID><FS>0000012C</FS><FCRC>00000000</FCRC>"
               "<LFn>11\\90.dat</LFn>\r\n");
    WriteBytes(folder + "/updates/updates.lst",
               "<FID>00000001</FID><LFn>sd.102</LFn><LFp></LFp><UM>Hint</UM>\r\n"
               "<FID>00000002</FID><LFn>missing.dat</LFn>\r\n" // no file: left out
               "<LFn>no-number.dat</LFn>\r\n");
    WriteBytes(folder + "/updates/00000001", kSampleUpdate);
    // "127." 本机, "10." 局域网 电信.
    WriteBytes(folder + "/ips.txt", "127.\t\xB1\xBE\xBB\xFA\r\n"
                                    "127.0.0.1\t\xB1\xBE\xBB\xFA \xB5\xE7\xD0\xC5\r\n");
}

// quendic-service serving a folder on a free loopback port, without an
// access log, for the life of the object.
class RunningService {
public:
    explicit RunningService(const std::string& dataFolder,
                            std::vector<standin::Mirror> mirrors = {}) {
        standin::ServiceOptions options;
        options.DataFolder = dataFolder;
        options.Port = 0;
        options.Database = dataFolder + "/service.db";
        options.Mirrors = std::move(mirrors);
        options.AccessLog = false;
        server_ = std::make_unique<standin::ServiceServer>(std::move(options));
        started_ = server_->Start();
    }

    bool Started() const { return started_; }
    std::string Base() const { return server_->BaseUrl(); }
    int Port() const { return server_->Port(); }
    void Stop() { server_->Stop(); }

private:
    std::unique_ptr<standin::ServiceServer> server_;
    bool started_ = false;
};

// Binds `server` (its handlers set) to a free loopback port and runs it on
// `thread`; returns the port once it accepts connections.
inline int ListenOnLoopback(httplib::Server& server, std::thread& thread) {
    const int port = server.bind_to_any_port("127.0.0.1");
    thread = std::thread([&server] { server.listen_after_bind(); });
    while (!server.is_running())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return port;
}

// A loopback server that answers every request to its service page with a
// set reply, counts the requests and keeps the last block it was sent.
class CannedService {
public:
    CannedService() {
        server_.Get("/canned/sh.asp", [this](const httplib::Request& req, httplib::Response& res) {
            ++requests_;
            std::lock_guard<std::mutex> lock(mutex_);
            lastBlock_ = req.get_param_value("p");
            res.status = status_;
            res.set_content(body_, "text/html");
        });
        port_ = ListenOnLoopback(server_, thread_);
    }
    ~CannedService() {
        server_.stop();
        thread_.join();
    }

    void Reply(int status, std::string body) {
        std::lock_guard<std::mutex> lock(mutex_);
        status_ = status;
        body_ = std::move(body);
    }
    std::string Base() const { return "http://127.0.0.1:" + std::to_string(port_) + "/canned/"; }
    int Requests() const { return requests_; }
    std::string LastBlock() {
        std::lock_guard<std::mutex> lock(mutex_);
        return lastBlock_;
    }

private:
    httplib::Server server_;
    std::thread thread_;
    int port_ = 0;
    std::atomic<int> requests_{0};
    std::mutex mutex_;
    int status_ = 200;      // guarded by mutex_
    std::string body_;      // guarded by mutex_
    std::string lastBlock_; // guarded by mutex_
};

// A loopback service page that does not answer: every request waits until
// Release() (or the object's end).
class StalledService {
public:
    StalledService() {
        server_.Get("/stalled/sh.asp", [this](const httplib::Request&, httplib::Response& res) {
            std::unique_lock<std::mutex> lock(mutex_);
            ++requests_;
            arrived_.notify_all();
            released_.wait(lock, [this] { return release_; });
            res.set_content("<Result>OK</Result><Time>late</Time>", "text/html");
        });
        port_ = ListenOnLoopback(server_, thread_);
    }
    ~StalledService() {
        Release();
        server_.stop();
        thread_.join();
    }
    StalledService(const StalledService&) = delete;
    StalledService& operator=(const StalledService&) = delete;

    std::string Base() const { return "http://127.0.0.1:" + std::to_string(port_) + "/stalled/"; }
    void Release() {
        std::lock_guard<std::mutex> lock(mutex_);
        release_ = true;
        released_.notify_all();
    }
    int Requests() {
        std::lock_guard<std::mutex> lock(mutex_);
        return requests_;
    }
    // Waits until `count` requests have arrived; false if they do not come
    // at all (a bound against a hanging test, not a measurement).
    bool WaitForRequests(int count) {
        std::unique_lock<std::mutex> lock(mutex_);
        return arrived_.wait_for(lock, std::chrono::seconds(60),
                                 [&] { return requests_ >= count; });
    }

private:
    httplib::Server server_;
    std::thread thread_;
    int port_ = 0;
    std::mutex mutex_;
    std::condition_variable arrived_;
    std::condition_variable released_;
    int requests_ = 0;     // guarded by mutex_
    bool release_ = false; // guarded by mutex_
};

// A test with quendic-service answering on the sample service data for its
// whole length, and the program's service base pointing at it.
class WithService : public ::testing::Test {
protected:
    void SetUp() override {
        WriteSampleServiceData(sandbox_.Data());
        service_ = std::make_unique<RunningService>(sandbox_.Data());
        ASSERT_TRUE(service_->Started());
        sandbox_.SetServiceBase(service_->Base());
    }

    std::string Database() const { return sandbox_.Data() + "/service.db"; }

    Sandbox sandbox_;
    std::unique_ptr<RunningService> service_;
};

// Runs one of quendic-service's desk commands in-process: its exit status and
// everything it wrote.
inline std::pair<int, std::string> RunDesk(const std::vector<std::string>& args) {
    char* text = nullptr;
    size_t size = 0;
    std::FILE* out = open_memstream(&text, &size);
    const int status = standin::RunDeskCommand(args, out, out);
    std::fclose(out);
    std::string output(text, size);
    std::free(text);
    return {status, output};
}

} // namespace net::test
