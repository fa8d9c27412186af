#pragma once

#include "tools/service/ServiceDatabase.h"
#include "tools/service/ServiceFolder.h"
#include "tools/service/ServiceOptions.h"

#include <string>
#include <string_view>
#include <vector>

namespace standin {

// What the service page answers: a text (GBK, CR LF between lines), or for
// operation 6 a whole file.
struct PageReply {
    int Status = 200;
    std::string Body;
    std::string FilePath; // when not empty, the reply is this file's bytes
};

// Who asked, as the server sees it.
struct Requester {
    std::string Address;  // the client's IP address
    std::string BlockUrl; // this server's block-query base, "http://HOST:PORT/qv/dl.asp?"
};

// The service page "sh.asp": decodes and checks the parameter block and
// answers its operation. A damaged block, a wrong check, an unknown
// operation or product gets a reply whose "Result" says what is wrong and
// that has none of the success fields. Thread-safe (the database serialises
// itself; the folder only reads).
class ServicePage {
public:
    ServicePage(const ServiceFolder& folder, ServiceDatabase& database,
                std::vector<Mirror> mirrors);

    PageReply Handle(std::string_view block, const Requester& requester) const;

    // Chat messages returned per poll, at most.
    static constexpr int kPollLimit = 100;

private:
    const ServiceFolder& folder_;
    ServiceDatabase& database_;
    std::vector<Mirror> mirrors_;
};

// The local time as the service writes it: "yyyy-mm-dd hh:nn:ss".
std::string ServiceTime();

} // namespace standin
