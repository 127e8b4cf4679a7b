#include "mail/tls_session.h"

#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <pthread.h>

namespace {

// OpenSSL writes to the socket with write(), which raises SIGPIPE once the peer has gone.
// The signal is held back for this thread during a step, and dropped if the step raised it.
class SigpipeHold {
public:
    SigpipeHold() {
        sigemptyset(&pipe_);
        sigaddset(&pipe_, SIGPIPE);
        sigset_t pending;
        sigpending(&pending);
        wasPending_ = sigismember(&pending, SIGPIPE) == 1;
        held_ = pthread_sigmask(SIG_BLOCK, &pipe_, &old_) == 0;
    }
    ~SigpipeHold() {
        if (!held_)
            return;
        sigset_t pending;
        if (!wasPending_ && sigpending(&pending) == 0 && sigismember(&pending, SIGPIPE) == 1) {
            const timespec none{0, 0};
            sigtimedwait(&pipe_, nullptr, &none);
        }
        pthread_sigmask(SIG_SETMASK, &old_, nullptr);
    }
    SigpipeHold(const SigpipeHold&) = delete;
    SigpipeHold& operator=(const SigpipeHold&) = delete;

private:
    sigset_t pipe_, old_;
    bool wasPending_ = false, held_ = false;
};

bool IsAddress(const std::string& host) {
    in_addr v4;
    in6_addr v6;
    return inet_pton(AF_INET, host.c_str(), &v4) == 1 ||
           inet_pton(AF_INET6, host.c_str(), &v6) == 1;
}

} // namespace

std::unique_ptr<CTlsSession> CTlsSession::Create(int fd, const TlsPeer& peer, std::string& why) {
    ERR_clear_error();
    SSL_CTX* context = SSL_CTX_new(TLS_client_method());
    if (!context) {
        why = "the TLS library cannot be set up";
        return nullptr;
    }
    SSL_CTX_set_min_proto_version(context, TLS1_2_VERSION);
    SSL_CTX_set_verify(context, SSL_VERIFY_PEER, nullptr);
    // Servers often close without TLS's own goodbye after QUIT; that is an end, not an attack
    // on a reply that was already complete.
    SSL_CTX_set_options(context, SSL_OP_IGNORE_UNEXPECTED_EOF);
    SSL_CTX_set_mode(context, SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
    // The system's authorities are looked up by their hashed names when a chain needs one:
    // loading the whole bundle file would cost some 50 ms for every connection.
    const char* folder = std::getenv(X509_get_default_cert_dir_env());
    SSL_CTX_load_verify_dir(context, folder ? folder : X509_get_default_cert_dir());
    // A bundle named in the environment is honoured, as everywhere else OpenSSL is used.
    if (const char* bundle = std::getenv(X509_get_default_cert_file_env()))
        SSL_CTX_load_verify_file(context, bundle);
    if (!peer.caFile.empty() &&
        SSL_CTX_load_verify_locations(context, peer.caFile.c_str(), nullptr) != 1) {
        why = "the certificate authority file '" + peer.caFile + "' cannot be read";
        SSL_CTX_free(context);
        return nullptr;
    }
    SSL* ssl = SSL_new(context);
    bool ready = ssl && SSL_set_fd(ssl, fd) == 1;
    if (ready && IsAddress(peer.host)) {
        ready = X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(ssl), peer.host.c_str()) == 1;
    } else if (ready) {
        SSL_set_hostflags(ssl, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
        ready = SSL_set_tlsext_host_name(ssl, peer.host.c_str()) == 1 &&
                SSL_set1_host(ssl, peer.host.c_str()) == 1;
    }
    if (!ready) {
        why = "the TLS library cannot be set up for '" + peer.host + "'";
        SSL_free(ssl);
        SSL_CTX_free(context);
        return nullptr;
    }
    SSL_set_connect_state(ssl);
    return std::unique_ptr<CTlsSession>(new CTlsSession(context, ssl));
}

CTlsSession::~CTlsSession() {
    SSL_free(ssl_);
    SSL_CTX_free(context_);
}

CTlsSession::Step CTlsSession::Judge(int result, int& error) {
    error = SSL_get_error(ssl_, result);
    switch (error) {
    case SSL_ERROR_WANT_READ:
        return Step::WantRead;
    case SSL_ERROR_WANT_WRITE:
        return Step::WantWrite;
    case SSL_ERROR_ZERO_RETURN:
        return Step::Closed;
    default:
        libError_ = ERR_peek_last_error();
        sysError_ = error == SSL_ERROR_SYSCALL ? errno : 0;
        return Step::Failed;
    }
}

CTlsSession::Step CTlsSession::Handshake() {
    const SigpipeHold hold;
    ERR_clear_error();
    errno = 0;
    const int result = SSL_do_handshake(ssl_);
    return result == 1 ? Step::Done : Judge(result, lastError_);
}

CTlsSession::Step CTlsSession::Read(char* buffer, size_t size, size_t& got) {
    const SigpipeHold hold;
    ERR_clear_error();
    errno = 0;
    got = 0;
    const int result = SSL_read_ex(ssl_, buffer, size, &got);
    return result == 1 ? Step::Done : Judge(result, lastError_);
}

CTlsSession::Step CTlsSession::Write(const char* data, size_t size, size_t& put) {
    const SigpipeHold hold;
    ERR_clear_error();
    errno = 0;
    put = 0;
    const int result = SSL_write_ex(ssl_, data, size, &put);
    return result == 1 ? Step::Done : Judge(result, lastError_);
}

bool CTlsSession::HasPending() const {
    return SSL_pending(ssl_) > 0;
}

std::string CTlsSession::HandshakeFailure() const {
    const long verified = SSL_get_verify_result(ssl_);
    if (verified != X509_V_OK)
        return std::string("the server's certificate was not accepted: ") +
               X509_verify_cert_error_string(verified);
    if (libError_ != 0) {
        const char* reason = ERR_reason_error_string(libError_);
        return std::string("the secure connection could not be set up: ") +
               (reason ? reason : "TLS error");
    }
    if (sysError_ != 0)
        return std::string("the connection broke during the TLS handshake: ") +
               std::strerror(sysError_);
    return "the server closed the connection during the TLS handshake";
}
