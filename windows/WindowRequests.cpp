#include "windows/WindowRequests.h"

#include <QByteArray>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QStandardPaths>
#include <QWidget>

#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

const QByteArray kRequest = "restore\n";
const QByteArray kAnswer = "restored\n";
constexpr int kConnectMilliseconds = 2000;
constexpr int kAnswerMilliseconds = 5000;

// The user's runtime folder when it is private: a folder (not a link), owned
// by the user, closed to group and others.
std::optional<std::string> PrivateRuntimeFolder() {
  const QString location = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  if (location.isEmpty()) return std::nullopt;
  const std::string folder = location.toStdString();
  struct stat st {};
  if (::lstat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode) || st.st_uid != ::getuid() ||
      (st.st_mode & 077) != 0)
    return std::nullopt;
  return folder;
}

bool PeerIsThisUser(const QLocalSocket& socket) {
  struct ucred peer {};
  socklen_t size = sizeof peer;
  return ::getsockopt(static_cast<int>(socket.socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &peer,
                      &size) == 0 &&
         peer.uid == ::getuid();
}

// One request: a single line, answered once the window is in front.
void Serve(QLocalSocket* socket, const QPointer<QWidget>& window,
           const std::function<void()>& onRestored) {
  if (!socket->canReadLine()) {
    if (socket->bytesAvailable() > kRequest.size()) socket->abort();  // no request of ours
    return;
  }
  if (socket->readLine(kRequest.size() + 1) == kRequest && window) {
    BringWindowToFront(window);
    if (onRestored) onRestored();
    socket->write(kAnswer);
    socket->flush();
  }
  socket->disconnectFromServer();
}

}  // namespace

std::optional<std::string> WindowSocketPath(long pid) {
  const std::optional<std::string> folder = PrivateRuntimeFolder();
  if (!folder) return std::nullopt;
  return *folder + "/korvale-window-" + std::to_string(pid);
}

bool PublishMainWindow(QWidget* window, std::function<void()> onRestored) {
  const std::optional<std::string> path = WindowSocketPath(::getpid());
  if (!window || !path) return false;
  const QString name = QString::fromStdString(*path);
  auto* server = new QLocalServer(window);  // goes, and takes its socket file, with the window
  server->setSocketOptions(QLocalServer::UserAccessOption);
  QLocalServer::removeServer(name);  // left by an ended process of the same number
  if (!server->listen(name)) {
    delete server;
    return false;
  }
  QObject::connect(server, &QLocalServer::newConnection, server,
                   [server, target = QPointer<QWidget>(window), onRestored] {
                     while (QLocalSocket* socket = server->nextPendingConnection()) {
                       QObject::connect(socket, &QLocalSocket::disconnected, socket,
                                        &QObject::deleteLater);
                       if (!PeerIsThisUser(*socket)) {
                         socket->abort();
                         socket->deleteLater();
                         continue;
                       }
                       QObject::connect(socket, &QLocalSocket::readyRead, socket,
                                        [socket, target, onRestored] {
                                          Serve(socket, target, onRestored);
                                        });
                       if (socket->bytesAvailable() > 0) Serve(socket, target, onRestored);
                     }
                   });
  return true;
}

bool RequestWindowToFront(long pid) {
  const std::optional<std::string> path = WindowSocketPath(pid);
  if (!path) return false;
  struct stat st {};
  if (::lstat(path->c_str(), &st) != 0 || !S_ISSOCK(st.st_mode) || st.st_uid != ::getuid())
    return false;
  QLocalSocket socket;
  socket.connectToServer(QString::fromStdString(*path));
  if (!socket.waitForConnected(kConnectMilliseconds)) return false;
  socket.write(kRequest);
  if (!socket.waitForBytesWritten(kConnectMilliseconds)) return false;
  QByteArray answer;
  while (!answer.contains('\n') && answer.size() <= kAnswer.size() &&
         socket.waitForReadyRead(kAnswerMilliseconds))
    answer += socket.readAll();
  return answer == kAnswer;
}

void BringWindowToFront(QWidget* window) {
  window->setWindowState((window->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
  window->show();
  window->raise();
  window->activateWindow();
}

}  // namespace platform
