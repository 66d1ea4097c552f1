// The window socket with real sockets: neighbours that connect and never ask,
// too many of them, a server that Qt closed, and the sockets that ended runs
// left behind.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QLocalServer>
#include <QTest>
#include <QWidget>

#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <thread>
#include <vector>

#include "windows/WindowRequests.h"

namespace fs = std::filesystem;

namespace {

constexpr int kGenerousMilliseconds = 30000;

// A client connection to the socket at path that sends nothing; -1 when it
// cannot connect.
int Connect(const std::string& path) {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

// Whether the server has closed its end of the connection.
bool ClosedByServer(int fd) {
  char byte = 0;
  return ::recv(fd, &byte, 1, MSG_DONTWAIT) == 0;
}

// A socket file at path that nobody listens on, as a run that crashed leaves it.
void LeaveSocket(const std::string& path) {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
  ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0) << path;
  ::close(fd);
}

// Asks this process's own published window from another thread while this
// one serves it.
bool RequestFromAnotherThread() {
  std::atomic<int> answer{-1};
  std::thread asker([&answer] { answer = platform::RequestWindowToFront(::getpid()) ? 1 : 0; });
  const bool answered = QTest::qWaitFor([&answer] { return answer >= 0; }, kGenerousMilliseconds);
  asker.join();
  return answered && answer == 1;
}

}  // namespace

TEST(WindowRequests, IdleAndSurplusConnectionsAreClosedAndTheServerListensAgain) {
  const std::optional<std::string> path = platform::WindowSocketPath(::getpid());
  if (!path) GTEST_SKIP() << "no private runtime folder";
  QWidget window;
  int restored = 0;
  ASSERT_TRUE(platform::PublishMainWindow(&window, [&restored] { ++restored; }));

  // Neighbours that connect and never ask: those beyond the limit are closed
  // at once, the others when they have been idle too long.
  const int surplus = 12;
  std::vector<int> idle;
  for (int i = 0; i < platform::kMaxConnections + surplus; ++i) {
    const int fd = Connect(*path);
    ASSERT_GE(fd, 0);
    idle.push_back(fd);
    QCoreApplication::processEvents();
  }
  ASSERT_TRUE(QTest::qWaitFor(
      [&] { return std::count_if(idle.begin(), idle.end(), ClosedByServer) >= surplus; },
      kGenerousMilliseconds));
  EXPECT_EQ(std::count_if(idle.begin(), idle.end(), ClosedByServer), surplus)
      << "connections within the limit wait for their request";
  EXPECT_TRUE(QTest::qWaitFor([&] { return std::all_of(idle.begin(), idle.end(), ClosedByServer); },
                              kGenerousMilliseconds))
      << "idle connections are kept open";
  for (const int fd : idle) ::close(fd);
  EXPECT_TRUE(RequestFromAnotherThread());
  EXPECT_EQ(restored, 1);

  // A neighbour that sends anything but the request is closed without an answer.
  const int stranger = Connect(*path);
  ASSERT_GE(stranger, 0);
  ASSERT_EQ(::send(stranger, "GET / HTTP/1.0\r\n\r\n", 18, MSG_NOSIGNAL), 18);
  EXPECT_TRUE(QTest::qWaitFor([&] { return ClosedByServer(stranger); }, kGenerousMilliseconds));
  ::close(stranger);

  // Qt closes the server (and removes the socket) when it cannot take a
  // connection, for want of descriptors: it listens again.
  auto* server = window.findChild<QLocalServer*>();
  ASSERT_NE(server, nullptr);
  server->close();
  ASSERT_FALSE(fs::exists(*path));
  EXPECT_TRUE(QTest::qWaitFor([&] { return server->isListening() && fs::exists(*path); },
                              kGenerousMilliseconds));
  EXPECT_TRUE(RequestFromAnotherThread());
  EXPECT_EQ(restored, 2);
}

TEST(WindowRequests, SocketsOfEndedRunsAreRemovedWhenAWindowIsPublished) {
  const std::optional<std::string> own = platform::WindowSocketPath(::getpid());
  if (!own) GTEST_SKIP() << "no private runtime folder";
  const std::string folder = fs::path(*own).parent_path().string() + "/";
  // Process numbers of a run that has ended, and of one that runs.
  std::vector<pid_t> ended;
  for (int i = 0; i < 2; ++i) {
    const pid_t child = ::fork();
    if (child == 0) ::_exit(0);
    ASSERT_GT(child, 0);
    ::waitpid(child, nullptr, 0);
    ended.push_back(child);
  }
  pid_t running = 0;
  char arg0[] = "sleep", arg1[] = "60";
  char* argv[] = {arg0, arg1, nullptr};
  ASSERT_EQ(::posix_spawn(&running, "/bin/sleep", nullptr, nullptr, argv, environ), 0);

  const std::string crashed = folder + "korvale-window-" + std::to_string(ended[0]);
  const std::string notSocket = folder + "korvale-window-" + std::to_string(ended[1]);
  const std::string alive = folder + "korvale-window-" + std::to_string(running);
  const std::string otherName = folder + "korvale-windows-" + std::to_string(ended[0]);
  for (const std::string& p : {crashed, notSocket, alive, otherName}) fs::remove(p);
  LeaveSocket(crashed);
  LeaveSocket(alive);
  LeaveSocket(otherName);
  std::ofstream(notSocket) << "not a socket";

  {
    QWidget window;
    ASSERT_TRUE(platform::PublishMainWindow(&window));
    EXPECT_FALSE(fs::exists(crashed)) << "the socket of an ended run stays";
    EXPECT_TRUE(fs::exists(alive)) << "a running program's socket is taken away";
    EXPECT_TRUE(fs::exists(notSocket));
    EXPECT_TRUE(fs::exists(otherName));
    EXPECT_TRUE(fs::exists(*own));
  }
  EXPECT_FALSE(fs::exists(*own)) << "the socket goes with the window";
  ::kill(running, SIGTERM);
  ::waitpid(running, nullptr, 0);
  for (const std::string& p : {crashed, notSocket, alive, otherName}) fs::remove(p);
}
