// A blocking IPv4 stream socket whose waits are bounded: every wait for data or for room
// to send gives up after the socket's wait limit, and sends also at an optional deadline
// for the whole answer. An optional abort handle (an eventfd or pipe end owned by someone
// else) cuts a wait for data short as soon as it becomes readable; a wait for room to send
// it wakes too, leaving the answer a short grace to finish.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

class CTcpSocket {
public:
    CTcpSocket() = default;
    virtual ~CTcpSocket();
    CTcpSocket(const CTcpSocket&) = delete;
    CTcpSocket& operator=(const CTcpSocket&) = delete;

    // Closes the handle if there is one; true when there was one.
    virtual bool Close();

    // Listens on port at address (IPv4, host byte order; 0 = every local address).
    bool Open(uint16_t port, uint32_t address, int backlog);
    // Waits (within the wait limit; 0 does not wait) for a connection and accepts it. None
    // when the wait ended without one or accepting failed; lastError tells which (ETIMEDOUT
    // or ECANCELED for a wait that ran out or was aborted, EAGAIN when none was there).
    std::unique_ptr<CTcpSocket> Accept();

    // > 0 when the socket is readable, 0 on time-out, abort or error (-1: without limit).
    int WaitReadable(int milliseconds);
    // Bytes sent, after waiting up to the wait limit for room; 0 on failure, and the
    // socket is then closed. more: further data follows at once (held for one segment).
    size_t Send(const void* data, size_t n, bool more = false);
    // Bytes received from what is there now, or after waiting up to the wait limit; 0 when
    // the wait failed, the peer closed or receiving failed, and the socket is then closed.
    size_t Receive(void* buffer, size_t n) { return Receive(buffer, n, waitLimit_); }
    // The same with a wait of its own (-1: without limit).
    size_t Receive(void* buffer, size_t n, int milliseconds);
    bool SendAll(const void* data, size_t n, bool more = false);
    // True when n bytes arrived, each wait bounded by milliseconds.
    bool ReceiveExact(void* buffer, size_t n, int milliseconds);
    // SHUT_RD, SHUT_WR or SHUT_RDWR; false when there is no handle or it failed.
    bool Shutdown(int how);

    uint16_t LocalPort() const;
    // Reverse look-up of address (IPv4, host byte order), or of the peer when 0.
    std::optional<std::string> PeerHostName(uint32_t address = 0) const;
    // The peer's address in host byte order and in dotted form.
    uint32_t PeerAddress() const { return peerAddress_; }
    std::string PeerAddressText() const;

    int WaitLimit() const { return waitLimit_; }
    void SetWaitLimit(int milliseconds) { waitLimit_ = milliseconds; }
    // A handle whose readability cuts waits for data short (-1 for none).
    void SetAbortHandle(int handle) { abortHandle_ = handle; }
    // Milliseconds sends may go on once the abort handle has been seen readable during a
    // wait for room to send; 0 gives up at once.
    void SetAbortGrace(int milliseconds) { abortGrace_ = milliseconds; }
    // Sends give up at this moment, however well the peer keeps up.
    void SetSendDeadline(std::chrono::steady_clock::time_point deadline) {
        sendDeadline_ = deadline;
    }
    int Handle() const { return handle_; }
    bool IsConnected() const { return connected_; }
    int LastError() const { return lastError_; }

private:
    // > 0 when the socket is ready for events, 0 otherwise (errno-style code in lastError_).
    // A wait for data ends on an abort; a wait to send takes the abort as the start of its
    // grace.
    int WaitFor(short events, int milliseconds);
    void Fail(int error);

    int waitLimit_ = -1;
    int handle_ = -1;
    uint32_t peerAddress_ = 0;
    bool connected_ = false;
    int lastError_ = 0;
    int abortHandle_ = -1;
    int abortGrace_ = 0;
    std::optional<std::chrono::steady_clock::time_point> sendDeadline_;
    // When sends give up since the abort handle was seen.
    std::optional<std::chrono::steady_clock::time_point> graceEnd_;
};
