// One TLS client session (OpenSSL) over a connected non-blocking socket. It never waits:
// each step says whether it needs the socket readable or writable first, and the caller
// does the waiting.
#pragma once

#include "mail/smtp_transport.h"

#include <memory>
#include <string>

struct ssl_st;
struct ssl_ctx_st;

class CTlsSession {
public:
    enum class Step { Done, WantRead, WantWrite, Closed, Failed };

    // A session that checks the server's certificate against the system's authorities and
    // `peer.caFile`, and its name against `peer.host`. None, with `why`, when the extra
    // authority cannot be read or the library cannot be set up.
    static std::unique_ptr<CTlsSession> Create(int fd, const TlsPeer& peer, std::string& why);
    ~CTlsSession();
    CTlsSession(const CTlsSession&) = delete;
    CTlsSession& operator=(const CTlsSession&) = delete;

    Step Handshake();
    Step Read(char* buffer, size_t size, size_t& got);
    Step Write(const char* data, size_t size, size_t& put);
    // Decrypted bytes are waiting inside the session: the socket may stay quiet.
    bool HasPending() const;
    // Why the handshake failed, as a phrase for the user.
    std::string HandshakeFailure() const;

private:
    CTlsSession(ssl_ctx_st* context, ssl_st* ssl) : context_(context), ssl_(ssl) {}
    Step Judge(int result, int& error);

    ssl_ctx_st* context_;
    ssl_st* ssl_;
    int lastError_ = 0;          // SSL_get_error of the last failed step
    unsigned long libError_ = 0; // the library's error code of the last failed step
    int sysError_ = 0;           // errno of the last failed step
};
