// The byte stream the SMTP client talks over: a TCP connection that may be secured with TLS
// on the way (CTcpTransport). Every wait ends at its deadline, or at once when the sending
// is cancelled.
#pragma once

#include <atomic>
#include <chrono>
#include <string>
#include <string_view>

using SmtpClock = std::chrono::steady_clock;

enum class IoStatus {
    Done,
    Closed,    // the peer closed the connection
    TimedOut,  // the deadline passed first
    Cancelled, // the cancel flag turned true
    NoSocket,  // no socket could be made
    Failed,    // anything else: refused, reset, broken TLS
};

// What a secure connection is checked against: the name the user gave for the server (host
// name or address) must be in the server's certificate, and the certificate must lead to an
// authority of the system's store or to the one named here.
struct TlsPeer {
    std::string host;
    std::string caFile; // PEM; empty for none
};

class SmtpTransport {
public:
    virtual ~SmtpTransport() = default;

    virtual IoStatus Open(const std::string& host, int port, SmtpClock::time_point deadline) = 0;
    // Receives what has come, at least one byte.
    virtual IoStatus Receive(char* buffer, size_t size, size_t& received,
                             SmtpClock::time_point deadline) = 0;
    // Sends all of the data; each wait for the peer to take more ends after `stall`, and
    // none goes past `end`.
    virtual IoStatus Send(std::string_view data, std::chrono::milliseconds stall,
                          SmtpClock::time_point end) = 0;
    // Runs the TLS handshake on the open connection and checks the server's certificate.
    // On failure `why` is a phrase for the user ("the server's certificate ...").
    virtual IoStatus StartTls(const TlsPeer& peer, SmtpClock::time_point deadline,
                              std::string& why) = 0;
    // Whether what is sent now is protected by TLS with a verified certificate.
    virtual bool IsSecure() const = 0;
    virtual void Close() = 0;

    // A flag that ends every wait once it turns true; it must outlive the transport.
    void SetCancelFlag(const std::atomic<bool>* cancel) { cancel_ = cancel; }

protected:
    bool Cancelled() const { return cancel_ && cancel_->load(std::memory_order_relaxed); }

private:
    const std::atomic<bool>* cancel_ = nullptr;
};
