#include "web/web_connection.h"

#include "web/accept_thread.h"
#include "web/request_headers.h"
#include "web/web_server.h"

#include <sys/socket.h>

CWebConnection::CWebConnection(std::unique_ptr<CTcpSocket> socket) : socket_(std::move(socket)) {
    if (!socket_)
        socket_ = std::make_unique<CTcpSocket>();
}

CWebConnection::~CWebConnection() = default;

bool CWebConnection::InitInstance() {
    server_ = acceptThread_ ? &acceptThread_->Server() : nullptr;
    return true;
}

int CWebConnection::FindHeader(std::string_view name, int first) const {
    return ::FindHeader(requestLines_, name, first);
}

std::string CWebConnection::HeaderValue(int index) const {
    return ::HeaderValue(requestLines_, index);
}

int CWebConnection::Run() {
    if (requestLines_.empty() || socket_->Handle() < 0)
        return 0;
    const std::string& request = requestLines_.front();
    socket_->Shutdown(SHUT_RD);
    if (request.starts_with("POST"))
        OnPost();
    else if (request.starts_with("GET"))
        OnGet();
    else if (request.starts_with("HEAD"))
        OnHead();
    socket_->Shutdown(SHUT_RDWR);
    return 1;
}

int CWebConnection::ExitInstance() {
    requestLines_.clear();
    socket_->Close();
    if (acceptThread_)
        acceptThread_->RemoveConnection(this);
    return 0;
}

int CWebConnection::OnGet() {
    static constexpr std::string_view kHeader = "HTTP/1.0 200\r\nContent-Type: text/html\r\n\r\n";
    static constexpr std::string_view kBody = "<HTML><BODY>TEST</BODY></HTML>";
    if (Socket().SendAll(kHeader.data(), kHeader.size(), true))
        Socket().SendAll(kBody.data(), kBody.size());
    return 0;
}
