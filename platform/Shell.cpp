#include "platform/Shell.h"

#include <QDesktopServices>
#include <QString>
#include <QUrl>

namespace platform {
namespace {

std::function<int(const std::string&)> g_open;

constexpr int kOpened = 42;        // any value above 32 means success
constexpr int kNoHandler = 2;      // the shell's "file not found"

}  // namespace

int ShellOpen(const std::string& url) {
  if (g_open) return g_open(url);
  const QUrl target(QString::fromStdString(url));
  if (!target.isValid()) return kNoHandler;
  return QDesktopServices::openUrl(target) ? kOpened : kNoHandler;
}

void SetShellOpenForTests(std::function<int(const std::string&)> open) { g_open = std::move(open); }

}  // namespace platform
