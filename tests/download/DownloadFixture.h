#pragma once

#include "TestFolders.h"
#include "core/ServiceData.h"
#include "core/TaggedText.h"
#include "core/Utilities.h"
#include "download/DLItem.h"
#include "net/TAppLog.h"
#include "platform/ByteOrder.h"
#include "platform/Environment.h"
#include "platform/FileIO.h"
#include "platform/Gbk.h"
#include "platform/Text.h"
#include "storage/StrCRC.h"
#include "storage/TCDF.h"
#include "tests/download/ScriptedService.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <memory>
#include <string>
#include <vector>

namespace download::test {

namespace fs = std::filesystem;

inline std::string Gbk(std::string_view utf8) {
    return platform::Utf8ToGbk(utf8);
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

inline std::string ReadFile(const std::string& path) {
    return platform::ReadWholeFile(path).value_or("(missing)");
}

// The bytes of package `bucket` of `size` bytes: distinct for every bucket
// and position, so a block in the wrong place shows.
inline std::string PackageBytes(uint32_t bucket, uint32_t size) {
    std::string bytes(size, '\0');
    for (uint32_t i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 7 + i / 251 + bucket) % 256);
    return bytes;
}

// The texts of the records of an application log file.
inline std::vector<std::string> LogTexts(const std::string& path) {
    const std::string bytes = platform::ReadWholeFile(path).value_or("");
    std::vector<std::string> texts;
    for (size_t at = 0; at + 16 <= bytes.size();) {
        const size_t length = platform::ReadLe16(bytes, at + 10);
        texts.push_back(bytes.substr(at + 16, length));
        at += 16 + length;
    }
    return texts;
}

inline size_t CountContaining(const std::vector<std::string>& texts, const std::string& part) {
    size_t count = 0;
    for (const std::string& text : texts)
        count += text.find(part) != std::string::npos;
    return count;
}

inline bool AnyContains(const std::vector<std::string>& texts, const std::string& part) {
    for (const std::string& text : texts)
        if (text.find(part) != std::string::npos)
            return true;
    return false;
}

// How a program the test started in a child process ended.
struct ChildRun {
    int Exit = -1;
    std::string Out;
    std::string Err;
};

// A program folder (also the user folder), a registry file, a service data
// folder with packages, and the application log, for one test.
class DownloadTest : public ::testing::Test {
protected:
    DownloadTest() : log_(std::make_unique<net::TAppLog>("net.log")) {
        fs::create_directories(Data());
        service_ = std::make_unique<ScriptedService>(Data());
        SetServiceBase(service_->Base());
    }

    std::string Data() const { return folders_.Path() + "service"; }
    std::string User(const std::string& name) const { return folders_.User(name); }

    // Puts package `bucket` of `size` bytes into the service folder and its
    // line into packages.lst; returns its download list entry.
    std::string AddPackage(uint32_t bucket, uint32_t size) {
        const std::string name = platform::HexNumber(bucket, 2);
        const std::string path = Data() + "/11/" + name + ".dat";
        WriteFile(path, PackageBytes(bucket, size));
        const std::string crc = platform::HexNumber(core::FileCrc(path));
        const std::string fs = platform::HexNumber(size);
        const std::string id = platform::HexNumber(bucket);
        std::ofstream(Data() + "/packages.lst", std::ios::binary | std::ios::app)
            << core::MakeTagField(Gbk("词汇数据包 ") + name, "JMMC")
            << core::MakeTagField(id, "JMBH") << "<FC>0000000B</FC>"
            << core::MakeTagField(id, "FID") << core::MakeTagField(fs, "FS")
            << core::MakeTagField(crc, "FCRC") << "<LFn>11\\" << name << ".dat</LFn>\r\n";
        return "<CID>00000005</CID><SID>00018E71</SID><FC>0000000B</FC>" +
               core::MakeTagField(id, "FID") + core::MakeTagField("Package " + name, "Title") +
               core::MakeTagField(fs, "FS") + core::MakeTagField(crc, "FCRC");
    }

    // Puts the entry package of `word` into the service's entry data file of
    // its bucket, behind other bytes, and the word's location record into the
    // program folder's "voc.dif". package_ and offset_ tell what and where.
    void Publish(const std::string& word) {
        const std::string build = User("package.build");
        {
            storage::TCDF package(build);
            storage::Stream record = core::MakeTagField(
                core::MakeTagField(word, "Name") + core::MakeTagField("meaning", "CN"), "Voc");
            ASSERT_TRUE(package.AddStream(0u, record));
        }
        package_ = ReadFile(build);
        fs::remove(build);
        const uint32_t hash = storage::WordHash(word);
        const std::string lead(1234, 'x');
        WriteFile(Data() + "/11/" + platform::HexNumber(hash >> 24, 2) + ".dat", lead + package_);
        offset_ = static_cast<uint32_t>(lead.size());
        std::string location;
        for (uint32_t value : {hash, offset_, static_cast<uint32_t>(package_.size())})
            for (int i = 0; i < 4; ++i)
                location += static_cast<char>(value >> (8 * i));
        storage::TCDF dif(folders_ / "voc.dif");
        dif.SetNameSeed(0);
        ASSERT_TRUE(dif.AddStream(hash >> 24, location));
    }

    // Makes `base` the service base (member 102000000 of sd.102).
    void SetServiceBase(const std::string& base) const {
        storage::TCDF data(core::ServiceDataFile(core::kServiceBaseMember));
        storage::Stream stream = base;
        ASSERT_TRUE(data.AddStream(core::kServiceBaseMember, stream));
    }

    // Points the IP lookup at `address` and lists this machine there as
    // `place` (GBK, holding the network's name).
    void UseIpLookup(const std::string& address, const std::string& place) const {
        WriteFile(Data() + "/ips.txt", "127.0.0.1\t" + place + "\r\n");
        platform::Environment environment = platform::CurrentEnvironment();
        environment.IpLookupAddress = address;
        platform::SetEnvironment(environment);
    }

    static DownloadListEntry Entry(const std::string& record) {
        std::optional<DownloadListEntry> entry = DownloadListEntry::Parse(record);
        EXPECT_TRUE(entry);
        return entry.value_or(DownloadListEntry{});
    }

    static std::vector<std::string> Servers(std::initializer_list<std::string> urls) {
        std::vector<std::string> servers;
        for (const std::string& url : urls)
            servers.push_back(core::MakeTagField(url, "Url"));
        return servers;
    }

    // Starts the item and waits for its end.
    InstallResult Run(DLItem& item, const std::vector<std::string>& servers) {
        std::promise<InstallResult> finished;
        std::future<InstallResult> result = finished.get_future();
        if (!item.Start(servers, log_.get(),
                        [&finished](const InstallResult& r) { finished.set_value(r); })) {
            ADD_FAILURE() << "the item did not start";
            return {};
        }
        if (result.wait_for(std::chrono::seconds(120)) != std::future_status::ready) {
            ADD_FAILURE() << "the item did not finish";
            item.Stop();
        }
        item.Wait();
        return result.get();
    }

    std::vector<std::string> Log() const { return LogTexts(log_->FileName()); }

    // Runs `program` with `args` (shell words) in this test's folders and
    // waits for it. `prefix` runs before it in the same shell (a ulimit, say).
    ChildRun Child(const std::string& program, const std::string& args,
                   const std::string& prefix = {}) {
        const std::string out = User("child.out");
        const std::string err = User("child.err");
        const std::string command = prefix + folders_.ShellAssignments() + " '" + program + "' " +
                                    args + " >'" + out + "' 2>'" + err + "'";
        const int status = std::system(command.c_str());
        ChildRun run;
        run.Exit = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        run.Out = ReadFile(out);
        run.Err = ReadFile(err);
        fs::remove(out);
        fs::remove(err);
        return run;
    }

    // Block files of any item left in the user folder.
    std::vector<std::string> BlockFilesLeft() const {
        std::vector<std::string> left;
        for (const auto& file : fs::directory_iterator(folders_.UserPath())) {
            const std::string name = file.path().filename().string();
            if (name.size() > 9 && name[8] == '.' &&
                std::isdigit(static_cast<unsigned char>(name[9])))
                left.push_back(name);
        }
        return left;
    }

    testsupport::TestFolders folders_;
    std::unique_ptr<net::TAppLog> log_;
    std::unique_ptr<ScriptedService> service_;
    std::string package_;
    uint32_t offset_ = 0;
};

} // namespace download::test
