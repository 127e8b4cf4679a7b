// One request, answered on its own thread: the accept thread has read the request line,
// the headers and a POST's body; the connection dispatches on the method, then shuts the
// connection down.
#pragma once

#include "web/tcp_socket.h"
#include "web/worker_thread.h"

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class CAcceptThread;
class CWebServer;

class CWebConnection : public CWorkerThread {
public:
    // Buffer of one request line; a line must fit with its terminating zero.
    static constexpr size_t kLineSize = 1024;
    static constexpr size_t kMaxPostBody = 5242880;
    // More header lines than this end the request without an answer.
    static constexpr size_t kMaxRequestLines = 100;

    explicit CWebConnection(std::unique_ptr<CTcpSocket> socket);
    ~CWebConnection() override;

protected:
    bool InitInstance() override;
    int Run() override;
    int ExitInstance() override;

    // Request handlers; their results are not used.
    virtual int OnGet();
    virtual int OnPost() { return 0; }
    virtual int OnHead() { return 0; }

    int FindHeader(std::string_view name, int first) const;
    std::string HeaderValue(int index) const;

    CTcpSocket& Socket() { return *socket_; }
    CWebServer* Server() const { return server_; }
    const std::vector<std::string>& RequestLines() const { return requestLines_; }
    // Bytes of a POST's body that arrived; they were read and dropped as they came.
    size_t PostBodyLength() const { return postBodyLength_; }

private:
    friend class CAcceptThread;

    std::unique_ptr<CTcpSocket> socket_;
    CWebServer* server_ = nullptr;
    CAcceptThread* acceptThread_ = nullptr;
    std::vector<std::string> requestLines_;
    size_t postBodyLength_ = 0;
};
