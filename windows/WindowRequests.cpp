#include "windows/WindowRequests.h"

#include <QByteArray>
#include <QLocalServer>
#include <QLocalSocket>
#include <QPointer>
#include <QStandardPaths>
#include <QTimer>
#include <QWidget>

#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <filesystem>
#include <system_error>

namespace platform {
namespace {

const QByteArray kRequest = "restore\n";
const QByteArray kAnswer = "restored\n";
constexpr int kConnectMilliseconds = 2000;
constexpr int kAnswerMilliseconds = 5000;
// How often the server checks that it still listens.
constexpr int kListenCheckMilliseconds = 1000;
const std::string kSocketPrefix = "korvale-window-";

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
  const QByteArray received = socket->peek(kRequest.size() + 1);
  switch (ReadWindowRequest(std::string_view(received.constData(), received.size()))) {
    case WindowRequest::Incomplete: return;
    case WindowRequest::Refused: socket->abort(); return;
    case WindowRequest::Restore: break;
  }
  socket->read(kRequest.size());
  if (window) {
    BringWindowToFront(window);
    if (onRestored) onRestored();
    socket->write(kAnswer);
    socket->flush();
  }
  socket->disconnectFromServer();
}

// The process number in a socket name of ours ("korvale-window-<pid>").
std::optional<long> SocketProcess(const std::string& name) {
  if (!name.starts_with(kSocketPrefix)) return std::nullopt;
  const std::string digits = name.substr(kSocketPrefix.size());
  if (digits.empty() || digits.size() > 9 ||
      !std::all_of(digits.begin(), digits.end(), [](unsigned char c) { return std::isdigit(c); }))
    return std::nullopt;
  return std::stol(digits);
}

// Removes the sockets in folder that runs of this user left behind: sockets
// of ours whose process has ended. Sockets of running processes, files that
// are not sockets and sockets of other users stay.
void RemoveLeftSockets(const std::string& folder) {
  std::error_code ec;
  std::filesystem::directory_iterator entries(folder, ec), end;
  for (; !ec && entries != end; entries.increment(ec)) {
    const std::optional<long> pid = SocketProcess(entries->path().filename().string());
    if (!pid || *pid == ::getpid()) continue;
    const std::string path = entries->path().string();
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISSOCK(st.st_mode) || st.st_uid != ::getuid())
      continue;
    if (::kill(static_cast<pid_t>(*pid), 0) != 0 && errno == ESRCH) ::unlink(path.c_str());
  }
}

// Takes the server's new connections: each is served once it asks, closed
// when it does not ask in time; beyond kMaxConnections, or from another
// user, a connection is closed at once.
void TakeConnections(QLocalServer* server, const QPointer<QWidget>& target,
                     const std::function<void()>& onRestored) {
  while (QLocalSocket* socket = server->nextPendingConnection()) {
    const auto open = server->findChildren<QLocalSocket*>(Qt::FindDirectChildrenOnly);
    const auto served = std::count_if(open.begin(), open.end(), [](const QLocalSocket* s) {
      return s->state() != QLocalSocket::UnconnectedState;
    });
    if (served > kMaxConnections || !PeerIsThisUser(*socket)) {
      socket->abort();
      delete socket;  // its descriptor is free again at once
      continue;
    }
    QObject::connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    QTimer::singleShot(kIdleMilliseconds, socket, [socket] { socket->abort(); });
    QObject::connect(socket, &QLocalSocket::readyRead, socket,
                     [socket, target, onRestored] { Serve(socket, target, onRestored); });
    if (socket->bytesAvailable() > 0) Serve(socket, target, onRestored);
  }
}

}  // namespace

WindowRequest ReadWindowRequest(std::string_view received) {
  const std::string_view request(kRequest.constData(), kRequest.size());
  if (received.size() < request.size())
    return request.starts_with(received) ? WindowRequest::Incomplete : WindowRequest::Refused;
  return received == request ? WindowRequest::Restore : WindowRequest::Refused;
}

std::optional<std::string> WindowSocketPath(long pid) {
  const std::optional<std::string> folder = PrivateRuntimeFolder();
  if (!folder) return std::nullopt;
  return *folder + "/korvale-window-" + std::to_string(pid);
}

bool PublishMainWindow(QWidget* window, std::function<void()> onRestored) {
  const std::optional<std::string> path = WindowSocketPath(::getpid());
  if (!window || !path) return false;
  RemoveLeftSockets(std::filesystem::path(*path).parent_path().string());
  const QString name = QString::fromStdString(*path);
  auto* server = new QLocalServer(window);  // goes, and takes its socket file, with the window
  server->setSocketOptions(QLocalServer::UserAccessOption);
  QLocalServer::removeServer(name);  // left by an ended process of the same number
  if (!server->listen(name)) {
    delete server;
    return false;
  }
  const QPointer<QWidget> target(window);
  QObject::connect(server, &QLocalServer::newConnection, server,
                   [server, target, onRestored] { TakeConnections(server, target, onRestored); });
  // Qt closes the server (and removes its socket) when it cannot take a
  // connection: listen again as soon as that can be done.
  auto* watch = new QTimer(server);
  QObject::connect(watch, &QTimer::timeout, server, [server, name] {
    if (server->isListening()) return;
    QLocalServer::removeServer(name);
    server->listen(name);
  });
  watch->start(kListenCheckMilliseconds);
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
