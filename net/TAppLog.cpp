#include "net/TAppLog.h"

#include "platform/ByteOrder.h"
#include "platform/Gbk.h"
#include "platform/Paths.h"

#include <chrono>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <unistd.h>

namespace net {
namespace {

std::string DefaultLogName() {
    std::string name = platform::ProgramFile();
    const size_t slash = name.rfind('/');
    if (slash != std::string::npos)
        name.erase(0, slash + 1);
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0)
        name.erase(dot);
    if (name.empty())
        name = "quendic";
    return name + ".log";
}

// Days from 1970-01-01 to the civil date (proleptic Gregorian).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

} // namespace

TAppLog::TAppLog(std::string_view fileName)
    : fileName_(
          platform::UserFileForWriting(fileName.empty() ? DefaultLogName() : std::string(fileName))) {
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::path(fileName_).parent_path();
    if (!folder.empty())
        std::filesystem::create_directories(folder, error);
    platform::FileHandle file =
        platform::FileHandle::Open(fileName_, O_RDWR | O_CREAT | O_APPEND, 0644);
    if (!file.Lock(LOCK_EX | LOCK_NB))
        return;
    const std::optional<uint64_t> length = file.Length();
    if (!length)
        return;
    if (*length > kMaxOpenSize && ::ftruncate(file.Fd(), 0) != 0)
        return;
    file_ = std::move(file);
}

std::string TAppLog::MakeRecord(double daysSince1899, std::string_view text) {
    text = platform::GbkPrefix(text, kMaxText);
    std::string record(16, '\0');
    uint64_t bits = 0;
    static_assert(sizeof bits == sizeof daysSince1899);
    std::memcpy(&bits, &daysSince1899, sizeof bits);
    platform::PutLe32(record.data(), static_cast<uint32_t>(bits));
    platform::PutLe32(record.data() + 4, static_cast<uint32_t>(bits >> 32));
    platform::PutLe16(record.data() + 10, static_cast<uint16_t>(text.size()));
    record += text;
    return record;
}

double TAppLog::Now() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(now);
    const auto millis = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    std::tm local{};
    localtime_r(&seconds, &local);
    const int64_t days =
        DaysFromCivil(local.tm_year + 1900, static_cast<unsigned>(local.tm_mon + 1),
                      static_cast<unsigned>(local.tm_mday)) -
        DaysFromCivil(1899, 12, 30);
    const double secondOfDay = local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec +
                               static_cast<double>(millis < 0 ? millis + 1000 : millis) / 1000.0;
    return static_cast<double>(days) + secondOfDay / 86400.0;
}

void TAppLog::Add(std::string_view text) {
    const std::string record = MakeRecord(Now(), text);
    std::lock_guard<std::mutex> lock(mutex_);
    if (file_.IsOpen())
        file_.WriteAll(record);
}

} // namespace net
