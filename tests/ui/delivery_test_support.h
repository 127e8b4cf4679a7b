// Helpers of the save, mail and web server tests: files, loopback ports, a picture's
// delivery copy and one HTTP fetch.
#pragma once

#include "phone/save.h"
#include "tests/common/test_pictures.h"

#include <QByteArray>
#include <QFile>
#include <QHostAddress>
#include <QString>
#include <QTcpServer>
#include <QTcpSocket>

namespace deliverytest {

constexpr int kWaitMs = 10000;

inline QByteArray FileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A port on 127.0.0.1 that was free when asked; nothing listens there afterwards.
inline int FreePort() {
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 0;
}

// A delivery copy of a small gradient picture, removed with the object.
struct ImageCopy {
    explicit ImageCopy(bool png) {
        const DibPtr picture = testsupport::GradientPicture(48, 36);
        path = QString::fromStdString(MakeDeliveryCopy(picture.get(), png, 75));
    }
    ~ImageCopy() { QFile::remove(path); }
    ImageCopy(const ImageCopy&) = delete;
    ImageCopy& operator=(const ImageCopy&) = delete;
    QString path;
};

// The whole answer of the server on 127.0.0.1:port to one request, read until the server
// closes; empty when it cannot be reached.
inline QByteArray Fetch(int port, const QByteArray& request) {
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, quint16(port));
    if (!socket.waitForConnected(kWaitMs))
        return {};
    socket.write(request);
    QByteArray answer;
    while (socket.state() == QAbstractSocket::ConnectedState && socket.waitForReadyRead(kWaitMs))
        answer += socket.readAll();
    return answer + socket.readAll();
}

// The body of an answer: what follows the empty line.
inline QByteArray AnswerBody(const QByteArray& answer) {
    const qsizetype end = answer.indexOf("\r\n\r\n");
    return end < 0 ? QByteArray() : answer.mid(end + 4);
}

} // namespace deliverytest
