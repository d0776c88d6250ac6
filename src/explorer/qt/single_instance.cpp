#include "explorer/qt/single_instance.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QTimer>

#include <memory>

#include "platform/instance.h"

namespace korrin {

TSingleInstance::TSingleInstance(const QString& name, QObject* parent) : QObject(parent), name_(name) {}

TSingleInstance::~TSingleInstance() = default;

TSingleInstance::TStart TSingleInstance::Start(const std::vector<std::string>& paths, int timeoutMs) {
  // Two starts at once: one listens, the other finds it.
  QLockFile lock(QDir::tempPath() + "/" + name_ + ".lock");
  lock.setStaleLockTime(30000);
  lock.tryLock(timeoutMs);

  QLocalSocket socket;
  socket.connectToServer(name_);
  if (socket.waitForConnected(1000)) {
    const std::string request = EncodeOpenRequest(paths);
    socket.write(request.data(), static_cast<qint64>(request.size()));
    socket.flush();
    QByteArray answer;
    QElapsedTimer timer;
    timer.start();
    while (answer.size() < 3 && timer.elapsed() < timeoutMs) {
      if (socket.waitForReadyRead(100)) answer += socket.readAll();
      if (socket.state() != QLocalSocket::ConnectedState && socket.bytesAvailable() == 0) break;
    }
    return answer.startsWith(kOpenAccepted) ? TStart::tsHandedOver : TStart::tsNoAnswer;
  }
  // Nobody answers: a socket left by a reader that ended abruptly goes.
  QLocalServer::removeServer(name_);
  server_ = new QLocalServer(this);
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  server_->listen(name_);
  connect(server_, &QLocalServer::newConnection, this, &TSingleInstance::Accept);
  return TStart::tsFirst;
}

void TSingleInstance::SetOnFiles(TOnFiles onFiles) {
  onFiles_ = std::move(onFiles);
  if (!onFiles_) return;
  auto pending = std::move(pending_);
  pending_.clear();
  for (const auto& paths : pending) onFiles_(paths);
}

void TSingleInstance::Accept() {
  while (QLocalSocket* socket = server_->nextPendingConnection()) {
    auto received = std::make_shared<std::string>();
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    // A client that sends nothing useful is dropped after a while.
    QTimer::singleShot(10000, socket, [socket] { socket->abort(); });
    connect(socket, &QLocalSocket::readyRead, this, [this, socket, received] {
      const QByteArray bytes = socket->readAll();
      received->append(bytes.constData(), static_cast<size_t>(bytes.size()));
      bool bad = false;
      auto paths = DecodeOpenRequest(*received, bad);
      if (bad) {
        socket->abort();
        return;
      }
      if (!paths) return;
      socket->write(kOpenAccepted);
      socket->flush();
      socket->disconnectFromServer();
      if (onFiles_) {
        onFiles_(*paths);
      } else {
        pending_.push_back(*paths);
      }
    });
  }
}

}  // namespace korrin
