#include "viewer/LogWatcher.h"

#include <sys/stat.h>

#include <filesystem>

#include "core/LogFraming.h"

namespace viewer {

FileStamp StampOf(const std::string& path) {
  struct stat st {};
  if (path.empty() || ::stat(path.c_str(), &st) != 0) return {};
  FileStamp s;
  s.exists = true;
  s.device = st.st_dev;
  s.inode = st.st_ino;
  s.size = static_cast<uint64_t>(st.st_size);
  s.changed_ns = int64_t{st.st_mtim.tv_sec} * 1000000000 + st.st_mtim.tv_nsec;
  return s;
}

}  // namespace viewer

TLogWatcher::TLogWatcher(QObject* parent) : QObject(parent) {
  settle_.setSingleShot(true);
  settle_.setInterval(kSettleMs);
  connect(&settle_, &QTimer::timeout, this, &TLogWatcher::Settle);
  connect(&watcher_, &QFileSystemWatcher::fileChanged, this, &TLogWatcher::FileNotice);
  connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, &TLogWatcher::FolderNotice);
}

void TLogWatcher::Loading(const std::string& path) {
  loading_path_ = path;
  loading_ = viewer::StampOf(path);
}

void TLogWatcher::WroteItself(const std::string& path) {
  if (path == loading_path_) loading_ = viewer::StampOf(path);
  if (path == path_) shown_ = viewer::StampOf(path);
}

void TLogWatcher::Watch(const std::string& path) {
  shown_ = path == loading_path_ ? loading_ : viewer::StampOf(path);
  loading_path_.clear();
  told_incomplete_ = false;
  if (path != path_) {
    if (!watcher_.files().isEmpty()) watcher_.removePaths(watcher_.files());
    if (!watcher_.directories().isEmpty()) watcher_.removePaths(watcher_.directories());
    path_ = path;
    watched_inode_ = 0;
    const QString folder =
        QString::fromStdString(std::filesystem::path(path).parent_path().string());
    if (!folder.isEmpty()) watcher_.addPath(folder);
  }
  RenewWatch();
}

bool TLogWatcher::RenewWatch() {
  const viewer::FileStamp now = viewer::StampOf(path_);
  const QString file = QString::fromStdString(path_);
  const bool watched = watcher_.files().contains(file);
  if (!now.exists || (watched && now.inode == watched_inode_)) return false;
  if (watched) watcher_.removePath(file);
  watched_inode_ = watcher_.addPath(file) ? now.inode : 0;
  return true;
}

void TLogWatcher::FileNotice() {
  RenewWatch();
  settle_.start();
}

// The folder changed: the file may have been put back after it was deleted,
// or replaced by a rename that left the old file's watch behind.
void TLogWatcher::FolderNotice() {
  if (RenewWatch()) settle_.start();
}

void TLogWatcher::Settle() {
  if (path_.empty()) return;
  if (Busy && Busy()) {
    settle_.start();
    return;
  }
  ++checks_;
  RenewWatch();
  const viewer::FileStamp now = viewer::StampOf(path_);
  // Gone (perhaps for a moment): the page shown stays.
  if (!now.exists || now == shown_) return;
  if (tfl::CheckFileFraming(path_).status == tfl::Framing::EndsInRecord) {
    if (!told_incomplete_) {
      told_incomplete_ = true;
      emit Incomplete(QString::fromStdString(path_));
    }
    return;
  }
  told_incomplete_ = false;
  // Looked at: a reload that fails is not tried again until the next change.
  shown_ = now;
  emit Changed();
}
