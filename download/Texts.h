#pragma once

// The download code's own texts, as the GBK bytes the program shows and logs
// (the UTF-8 spelling in each comment).
namespace download::text {

// Block downloader log and progress entries.
inline constexpr char kRound[] = "\xB5\xDA";                                   // 第
inline constexpr char kStartUrl[] = "\xB4\xCE\xBF\xAA\xCA\xBC\xCF\xC2\xD4\xD8" // 次开始下载！[Url=
                                    "\xA3\xA1[Url=";
inline constexpr char kFailedUrl[] = "\xB4\xCE\xCF\xC2\xD4\xD8\xCA\xA7\xB0\xDC" // 次下载失败！[Url=
                                     "\xA3\xA1[Url=";
inline constexpr char kDoneUrl[] = "\xB4\xCE\xCF\xC2\xD4\xD8\xB3\xC9\xB9\xA6" // 次下载成功！[Url=
                                   "\xA3\xA1[Url=";
inline constexpr char kCreateFile[] = "\xB4\xB4\xBD\xA8\xCE\xC4\xBC\xFE"; // 创建文件
inline constexpr char kFailed[] = "\xCA\xA7\xB0\xDC\xA3\xA1";             // 失败！
inline constexpr char kSucceeded[] = "\xB3\xC9\xB9\xA6\xA3\xA1";          // 成功！

// Messages.
inline constexpr char kNetworkErrorAscii[] = "\xCD\xF8\xC2\xE7\xB4\xED\xCE\xF3!";   // 网络错误!
inline constexpr char kNetworkError[] = "\xCD\xF8\xC2\xE7\xB4\xED\xCE\xF3\xA3\xA1"; // 网络错误！
inline constexpr char kPackageListFailed[] = // 取下载信息失败！请检稍后再试！
    "\xC8\xA1\xCF\xC2\xD4\xD8\xD0\xC5\xCF\xA2\xCA\xA7\xB0\xDC\xA3\xA1"
    "\xC7\xEB\xBC\xEC\xC9\xD4\xBA\xF3\xD4\xD9\xCA\xD4\xA3\xA1";
inline constexpr char kNothingToDownload[] =
    "\xC3\xBB\xD3\xD0\xCF\xC2\xD4\xD8\xCF\xEE\xA3\xA1"; // 没有下载项！
inline constexpr char kDownloadFailed[] =
    "\xCF\xC2\xD4\xD8\xB2\xBB\xB3\xC9\xB9\xA6\xA3\xA1"; // 下载不成功！
inline constexpr char kDownloading[] =
    "\xB5\xB1\xC7\xB0\xD5\xFD\xD4\xDA\xCF\xC2\xD4\xD8\xA3\xA1"; // 当前正在下载！

// The single-file download of an entry: its title.
inline constexpr char kEntryDownloadTitle[] = "\xB4\xCA\xBB\xE3\xCF\xC2\xD4\xD8"; // 词汇下载

// Network operators.
inline constexpr char kTelecom[] = "\xB5\xE7\xD0\xC5"; // 电信
inline constexpr char kNetcom[] = "\xCD\xF8\xCD\xA8";  // 网通
inline constexpr char kRailcom[] = "\xCC\xFA\xCD\xA8"; // 铁通
inline constexpr char kUnknown[] = "\xCE\xB4\xD6\xAA"; // 未知

// Time units.
inline constexpr char kMinutes[] = "\xB7\xD6"; // 分
inline constexpr char kSeconds[] = "\xC3\xEB"; // 秒

} // namespace download::text
