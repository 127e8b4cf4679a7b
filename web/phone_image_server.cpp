#include "web/phone_image_server.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <ctime>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Blocks of the file read and sent at a time; small, as it lives on a thread's stack
// that is fresh for each connection.
constexpr size_t kFileBlock = 8192;

std::string AccessLogLine(const std::tm& local, const std::string& userAgent,
                          const std::string& peer, int port, const std::string& peerName) {
    const char* format = "[%02d:%02d:%02d] %s (%s:%d) %s";
    const int length = std::snprintf(nullptr, 0, format, local.tm_hour, local.tm_min, local.tm_sec,
                                     userAgent.c_str(), peer.c_str(), port, peerName.c_str());
    std::string line(size_t(std::max(length, 0)), '\0');
    std::snprintf(line.data(), line.size() + 1, format, local.tm_hour, local.tm_min, local.tm_sec,
                  userAgent.c_str(), peer.c_str(), port, peerName.c_str());
    return line;
}

// Sends the file's bytes, as many as its size at opening; a missing or unreadable file
// (or anything but a plain file) sends nothing.
void SendFile(CTcpSocket& socket, const std::string& path) {
    if (path.empty())
        return;
    // Read-only and shared: every phone fetching at once gets the whole file. O_NONBLOCK
    // keeps a FIFO in its place from holding the connection.
    const int file = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (file < 0)
        return;
    struct stat info {};
    if (::fstat(file, &info) == 0 && S_ISREG(info.st_mode)) {
        off_t left = info.st_size;
        char block[kFileBlock];
        while (left > 0) {
            const ssize_t got = ::read(file, block, size_t(std::min<off_t>(left, kFileBlock)));
            if (got <= 0)
                break;
            left -= got;
            if (!socket.SendAll(block, size_t(got), left > 0))
                break;
        }
    }
    ::close(file);
}

} // namespace

CPhoneImageServer::~CPhoneImageServer() {
    // Here rather than in the base: connections must not reach this object's
    // CreateConnection or owner once it is being taken apart.
    Stop();
}

std::unique_ptr<CWebConnection>
CPhoneImageServer::CreateConnection(std::unique_ptr<CTcpSocket> socket) {
    return std::make_unique<CPhoneImageConnection>(std::move(socket));
}

std::string ImageMediaSubtype(std::string_view path) {
    const size_t slash = path.rfind('/');
    const size_t dot = path.rfind('.');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
        return {};
    std::string extension(path.substr(dot));
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return char(std::tolower(c)); });
    if (extension == ".jpg")
        return "jpeg";
    if (extension == ".png")
        return "png";
    if (extension == ".gif")
        return "gif";
    return extension;
}

int CPhoneImageConnection::OnGet() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);

    CTcpSocket& socket = Socket();
    const int port = socket.LocalPort();
    const int agent = FindHeader("User-Agent", 0);
    const std::string userAgent = agent > 0 ? HeaderValue(agent) : std::string();

    auto* server = dynamic_cast<CPhoneImageServer*>(Server());
    CPhoneImageServerOwner* owner = server ? server->Owner() : nullptr;
    const std::string path = owner ? owner->ImagePath() : std::string();
    const std::string header =
        "HTTP/1.0 200\r\nContent-Type: image/" + ImageMediaSubtype(path) + "\r\n\r\n";
    if (socket.SendAll(header.data(), header.size(), true))
        SendFile(socket, path);
    // The end of the connection ends the answer; the phone has it before the reverse look-up,
    // which can wait seconds for the resolver on a network without reverse names.
    socket.Shutdown(SHUT_RDWR);

    if (owner) {
        const std::string peerName = socket.PeerHostName().value_or("Unknow");
        owner->AddAccessLog(
            AccessLogLine(local, userAgent, socket.PeerAddressText(), port, peerName));
    }
    return 0;
}
