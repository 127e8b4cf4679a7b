// One accepted connection, served on its own thread: reads the request line and headers,
// the body of a POST, dispatches on the method, then shuts the connection down.
#pragma once

#include "web/tcp_socket.h"
#include "web/worker_thread.h"

#include <array>
#include <chrono>
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

    // Reads one line (LF ends it, CR is dropped) into buffer as a zero-terminated text.
    // False when the wait for data ran out or was aborted, or when size bytes came
    // without an LF; true with what was read when the peer closed.
    bool ReadLine(char* buffer, size_t size);
    int FindHeader(std::string_view name, int first) const;
    std::string HeaderValue(int index) const;

    CTcpSocket& Socket() { return *socket_; }
    CWebServer* Server() const { return server_; }
    const std::vector<std::string>& RequestLines() const { return requestLines_; }
    const std::vector<unsigned char>& PostBody() const { return postBody_; }

private:
    friend class CAcceptThread;
    enum class Fill { Data, Closed, Failed };

    // Refills the read-ahead buffer once, within the request deadline.
    Fill FillInbox();
    void StartDeadline();
    void ReceiveBody(size_t n);

    std::unique_ptr<CTcpSocket> socket_;
    CWebServer* server_ = nullptr;
    CAcceptThread* acceptThread_ = nullptr;
    std::vector<std::string> requestLines_;
    std::vector<unsigned char> postBody_;

    // Bytes received but not yet taken, so that a request needs a few receives rather
    // than one per byte.
    std::array<char, 4096> inbox_{};
    size_t inboxStart_ = 0;
    size_t inboxEnd_ = 0;
    std::chrono::steady_clock::time_point deadline_{};
    bool hasDeadline_ = false;
};
