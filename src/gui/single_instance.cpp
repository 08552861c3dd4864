// One program per user and target, over a local socket.
#include "gui/single_instance.h"

#include <QCryptographicHash>
#include <QLocalSocket>

#include <unistd.h>

namespace vx::gui {
namespace {

constexpr int kWaitMs = 1000;
constexpr char kComeForward[] = "come forward\n";

} // namespace

SingleInstance::SingleInstance(const std::string& target, QObject* parent) : QObject(parent) {
    // Short enough for a socket path, private to the user, the same for every opening of the target.
    const QByteArray hash =
        QCryptographicHash::hash(QByteArray::fromStdString(target), QCryptographicHash::Sha256)
            .toHex()
            .left(20);
    name_ = QString("vantrelix-%1-%2").arg(getuid()).arg(QString::fromLatin1(hash));
}

bool SingleInstance::AskRunningToComeForward() {
    QLocalSocket socket;
    socket.connectToServer(name_);
    if (!socket.waitForConnected(kWaitMs))
        return false;
    socket.write(kComeForward);
    const bool sent = socket.waitForBytesWritten(kWaitMs);
    socket.disconnectFromServer();
    return sent;
}

bool SingleInstance::Listen(std::function<void()> comeForward) {
    comeForward_ = std::move(comeForward);
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    if (!server_.listen(name_)) {
        // A socket left by a program that ended without removing it (nobody answered on it just now).
        QLocalServer::removeServer(name_);
        if (!server_.listen(name_))
            return false;
    }
    connect(&server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = server_.nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (socket->readAll().contains("come forward") && comeForward_)
                    comeForward_();
            });
        }
    });
    return true;
}

} // namespace vx::gui
