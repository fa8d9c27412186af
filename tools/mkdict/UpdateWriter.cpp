#include "tools/mkdict/UpdateWriter.h"

#include "platform/Gbk.h"
#include "tools/mkdict/ServiceDataWriter.h"
#include "tools/mkdict/TextUtil.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace tools {

bool UpdateWriter::Write(const std::string& serviceFolder) {
    const std::string folder = serviceFolder + "/updates";
    std::error_code error;
    std::filesystem::create_directories(folder, error);

    // The newer help document: the current one with a note after its title.
    std::vector<std::string> help = ServiceDataWriter::HelpLines();
    const std::vector<std::string> note = {
        "【Add=AddSpaceLine】",
        "【Add=AddFromNewLine】【TXT=本版更新：帮助文档增加了这一段说明，"
        "由软件更新从服务器下载。】【Style=0】",
    };
    help.insert(help.begin() + std::min<size_t>(help.size(), 2), note.begin(), note.end());

    // "LFp" empty: the program folder. "FCrc" and "FS" are taken from the
    // file by the service.
    const std::string list = "<FID>00000001</FID><LFn>sd.102</LFn><LFp></LFp><UM>Hint</UM>\r\n";
    const std::string ips = platform::Utf8ToGbk("127.\t本机\r\n"
                                                "10.\t局域网\r\n"
                                                "192.168.\t局域网\r\n");
    return ServiceDataWriter::Write(folder + "/00000001", help) &&
           WriteWholeFile(folder + "/updates.lst", list) &&
           WriteWholeFile(serviceFolder + "/ips.txt", ips);
}

} // namespace tools
