#pragma once
// Bringing a running program's main window to the front at the request of
// another program of the same user.
//
// A running program publishes its main window on a local socket named after
// its process, "korvale-window-<pid>", in the user's private runtime folder
// (XDG_RUNTIME_DIR: owned by the user, closed to everyone else). Both sides
// check that folder before they use it, the requesting side also that the
// socket belongs to the user, and the running program that the process on
// the other end does; another user can neither plant a socket there nor ask
// for a window.
//
// The running program keeps its socket open to hostile neighbours too: a
// connection that has not asked within kIdleMilliseconds is closed, no more
// than kMaxConnections are served at once (others are closed at once), and
// a server that stopped listening (Qt closes it when a connection cannot be
// taken, for want of file descriptors) listens again. Sockets left behind by
// runs of the same user that ended without removing them (a crash) are
// removed when a program publishes its window.
#include <functional>
#include <optional>
#include <string>
#include <string_view>

class QWidget;

namespace platform {

inline constexpr int kIdleMilliseconds = 3000;
inline constexpr int kMaxConnections = 8;

// What the bytes received so far on a window socket ask for: a request still
// coming in (a beginning of "restore" and its line end), that request, or
// anything else, which is refused.
enum class WindowRequest { Incomplete, Restore, Refused };
WindowRequest ReadWindowRequest(std::string_view received);

// The socket on which process pid publishes its main window; nothing when
// the user has no private runtime folder.
std::optional<std::string> WindowSocketPath(long pid);

// Publishes window for this process. Each request restores the window when
// it is minimised (a maximised window stays maximised), raises and activates
// it, then calls onRestored. False (nothing published) without a private
// runtime folder or when the socket cannot be set up. The socket goes away
// with the window.
bool PublishMainWindow(QWidget* window, std::function<void()> onRestored = {});

// Asks process pid to bring its published window to the front; true once it
// answers that it has. False when it publishes none, the socket is not the
// user's, or it does not answer within a few seconds.
bool RequestWindowToFront(long pid);

// Restores, shows, raises and activates window.
void BringWindowToFront(QWidget* window);

}  // namespace platform
