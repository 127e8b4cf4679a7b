// The SMTP client's connection: an IPv4 TCP socket, secured by TLS when asked for. The
// socket never blocks; waits poll in short slices so that a cancel is seen at once.
#pragma once

#include "mail/smtp_transport.h"

#include <memory>

class CTlsSession;

class CTcpTransport : public SmtpTransport {
public:
    CTcpTransport();
    ~CTcpTransport() override;

    IoStatus Open(const std::string& host, int port, SmtpClock::time_point deadline) override;
    IoStatus Receive(char* buffer, size_t size, size_t& received,
                     SmtpClock::time_point deadline) override;
    IoStatus Send(std::string_view data, std::chrono::milliseconds stall,
                  SmtpClock::time_point end) override;
    IoStatus StartTls(const TlsPeer& peer, SmtpClock::time_point deadline,
                      std::string& why) override;
    bool IsSecure() const override;
    void Close() override;

private:
    IoStatus WaitFor(short events, SmtpClock::time_point deadline);

    int socket_ = -1;
    std::unique_ptr<CTlsSession> tls_;
    bool secure_ = false; // the handshake succeeded, the certificate verified
};
