// The server that hands the current phone image to whatever a phone's browser asks for,
// and logs one line per fetch to its owner.
#pragma once

#include "web/web_connection.h"
#include "web/web_server.h"

#include <memory>
#include <string>
#include <string_view>

// What the server needs from whoever runs it (the web server dialog, a test). Both calls
// come from connection threads while the server runs.
class CPhoneImageServerOwner {
public:
    virtual ~CPhoneImageServerOwner() = default;
    // The file to hand out; must answer at once.
    virtual std::string ImagePath() const = 0;
    // One access-log line per GET. Must not wait for the thread that calls Start and
    // Stop: queue or post the line, since that thread may be waiting inside Stop.
    virtual void AddAccessLog(const std::string& line) = 0;
};

class CPhoneImageServer : public CWebServer {
public:
    CPhoneImageServer() = default;
    ~CPhoneImageServer() override;

    // Set before Start; the owner must outlive the running server.
    void SetOwner(CPhoneImageServerOwner* owner) { owner_ = owner; }
    CPhoneImageServerOwner* Owner() const { return owner_; }

protected:
    std::unique_ptr<CWebConnection> CreateConnection(std::unique_ptr<CTcpSocket> socket) override;

private:
    CPhoneImageServerOwner* owner_ = nullptr;
};

class CPhoneImageConnection : public CWebConnection {
public:
    using CWebConnection::CWebConnection;

protected:
    int OnGet() override;
};

// The media subtype named after the file's extension: "jpeg" for .jpg, "png", "gif", any
// other extension as it stands, dot included; empty without one. Letter case is ignored.
std::string ImageMediaSubtype(std::string_view path);
