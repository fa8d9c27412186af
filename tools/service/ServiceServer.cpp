#include "tools/service/ServiceServer.h"

#include "platform/FileHandle.h"
#include "tools/service/BlockQueryAnswer.h"
#include "tools/service/LimitedServer.h"

#include <httplib.h>

#include <cctype>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

namespace standin {
namespace {

constexpr char kTextType[] = "text/plain; charset=GBK";
constexpr size_t kChunk = 65536;

// Serves [pos, pos + len) of the file at `path`, read piece by piece as the
// connection takes it. False when the file cannot be opened.
bool StreamFile(httplib::Response& response, const std::string& path, uint64_t pos, uint64_t len) {
    auto file = std::make_shared<platform::FileHandle>(platform::FileHandle::Open(path, O_RDONLY));
    if (!file->IsOpen())
        return false;
    if (len == 0) {
        response.set_content("", "application/octet-stream");
        return true;
    }
    response.set_content_provider(
        static_cast<size_t>(len), "application/octet-stream",
        [file, pos](size_t offset, size_t length, httplib::DataSink& sink) {
            char buffer[kChunk];
            const size_t piece = length < kChunk ? length : kChunk;
            // A file cut short since the request was checked ends the
            // connection early: the client sees a short block, never
            // other bytes.
            if (!file->ReadAt(pos + offset, buffer, piece))
                return false;
            return sink.write(buffer, piece);
        });
    return true;
}

void SetText(httplib::Response& response, int status, const std::string& text) {
    response.status = status;
    response.set_content(text, kTextType);
}

// The Host header when it is a plain host[:port], else nothing.
std::string SaneHost(const std::string& host) {
    if (host.empty() || host.size() > 255)
        return {};
    for (char c : host)
        if (!(std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-' || c == ':' ||
              c == '[' || c == ']'))
            return {};
    return host;
}

} // namespace

std::string IpLookupPage(std::string_view ip, std::string_view network) {
    std::string shown;
    for (char c : ip)
        if (std::isxdigit(static_cast<unsigned char>(c)) || c == '.' || c == ':')
            shown += c;
    return "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=gbk\">"
           "<title>IP</title></head><body>" +
           Gbk("<p>您查询的IP:") + shown + "</p><ul><li>" + Gbk("本站主数据：") +
           std::string(network) + "</li><li>" + Gbk("查询结果2：") + "</li><li>" +
           Gbk("查询结果3：") + "</li></ul><p>" + Gbk("如果您发现查询结果不准确，请告诉我们。") +
           "</p></body></html>";
}

ServiceServer::ServiceServer(ServiceOptions options)
    : options_(std::move(options)), folder_(options_.DataFolder),
      server_(std::make_unique<LimitedServer>()) {}

ServiceServer::~ServiceServer() {
    Stop();
}

std::string ServiceServer::BaseUrl() const {
    return "http://" + options_.Host + ":" + std::to_string(port_) + "/qv/";
}

bool ServiceServer::Start() {
    std::signal(SIGPIPE, SIG_IGN);
    database_ = std::make_unique<ServiceDatabase>(options_.Database);
    if (!database_->IsOpen()) {
        error_ = "cannot open the database " + options_.Database + ": " + database_->Error();
        return false;
    }
    page_ = std::make_unique<ServicePage>(folder_, *database_, options_.Mirrors);
    Route();
    if (options_.Port == 0) {
        port_ = server_->bind_to_any_port(options_.Host);
    } else if (server_->bind_to_port(options_.Host, options_.Port)) {
        port_ = options_.Port;
    } else {
        port_ = -1;
    }
    // The library listens with a backlog of 5: a client opening ten block
    // connections at once would lose SYNs and wait a second for each
    // retransmission. Listening again only raises the backlog.
    if (port_ > 0)
        ::listen(listenSocket_, SOMAXCONN);
    if (port_ <= 0) {
        error_ = "cannot listen on " + options_.Host + ":" + std::to_string(options_.Port) +
                 " (address in use or not available)";
        port_ = 0;
        return false;
    }
    listener_ = std::thread([this] { server_->listen_after_bind(); });
    while (!server_->is_running() && listener_.joinable())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return true;
}

void ServiceServer::Stop() {
    if (!listener_.joinable())
        return;
    server_->stop();
    listener_.join();
}

void ServiceServer::Route() {
    server_->new_task_queue = [] { return new httplib::ThreadPool(kWorkerThreads); };
    // Headers and a short body go out in separate writes; without this the
    // second waits for the client's delayed acknowledgement (about 40 ms).
    server_->set_tcp_nodelay(true);
    // The library's default closes a connection after 5 requests; a client
    // fetching block after block then pays a new connection every 5.
    server_->set_keep_alive_max_count(100);
    // Requests are GETs; a body is never read whole, whatever its announced
    // length.
    server_->set_payload_max_length(0);
    // Address reuse after a restart, but no port sharing: a second service
    // on a port in use must fail, not split the requests with the first.
    server_->set_socket_options([this](int socket) {
        int yes = 1;
        ::setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
        // Replies go out as a header write and body writes; on a kept-alive
        // connection Nagle's algorithm would hold the next header back until
        // the client's delayed acknowledgement. Accepted sockets inherit it.
        ::setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
        listenSocket_ = socket;
    });

    server_->Get(
        "/qv/sh.asp", [this](const httplib::Request& request, httplib::Response& response) {
            Requester requester;
            requester.Address = request.remote_addr;
            std::string host = SaneHost(request.get_header_value("Host"));
            if (host.empty())
                host = options_.Host + ":" + std::to_string(port_);
            requester.BlockUrl = "http://" + host + "/qv/dl.asp?";
            const std::string block =
                request.get_param_value_count("p") == 1 ? request.get_param_value("p") : "";
            PageReply reply = page_->Handle(block, requester);
            if (!reply.FilePath.empty()) {
                std::error_code error;
                const uint64_t size = std::filesystem::file_size(reply.FilePath, error);
                if (!error && StreamFile(response, reply.FilePath, 0, size))
                    return;
                SetText(response, 404, reply.Body);
                return;
            }
            SetText(response, reply.Status, reply.Body);
        });

    server_->Get("/qv/dl.asp",
                 [this](const httplib::Request& request, httplib::Response& response) {
                     const BlockQueryAnswer answer = AnswerBlockQuery(folder_, request.params);
                     if (answer.Status != 200) {
                         SetText(response, answer.Status, answer.Message);
                         return;
                     }
                     if (!StreamFile(response, answer.Path, answer.Pos, answer.Len))
                         SetText(response, 404, Gbk("没有这个文件"));
                 });

    server_->Get("/ips.asp", [this](const httplib::Request& request, httplib::Response& response) {
        const std::string ip = request.get_param_value("ip");
        response.set_content(IpLookupPage(ip, folder_.NetworkOf(ip)), "text/html; charset=GBK");
    });

    if (options_.AccessLog) {
        server_->set_logger([](const httplib::Request& request, const httplib::Response& response) {
            const std::time_t now = std::time(nullptr);
            std::tm local{};
            localtime_r(&now, &local);
            char time[32];
            std::strftime(time, sizeof time, "%Y-%m-%d %H:%M:%S", &local);
            const size_t bytes =
                response.content_provider_ ? response.content_length_ : response.body.size();
            std::fprintf(stderr, "%s %s \"%s %s\" %d %zu\n", time, request.remote_addr.c_str(),
                         request.method.c_str(), request.path.c_str(), response.status, bytes);
        });
    }
}

} // namespace standin
