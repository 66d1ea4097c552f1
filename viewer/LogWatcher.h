#pragma once
// Watches the file of the log shown for changes made by other programs: the
// design program writing it again, an editor or a copy replacing it (also by
// renaming another file over it, or deleting and creating it). The system
// reports changes (inotify through QFileSystemWatcher; nothing is polled);
// a burst of them settles for kSettleMs before the file is looked at. A file
// that differs from the one shown and ends where a record ends is Changed; a
// file that ends inside a record (still being written) is Incomplete, said
// once until a later change makes it whole.
#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <string>

namespace viewer {

// What tells one state of a file from another: its inode, size and time of
// last change (nanoseconds).
struct FileStamp {
  bool exists = false;
  uint64_t device = 0, inode = 0, size = 0;
  int64_t changed_ns = 0;
  bool operator==(const FileStamp&) const = default;
};
FileStamp StampOf(const std::string& path);

}  // namespace viewer

class TLogWatcher : public QObject {
  Q_OBJECT
 public:
  static constexpr int kSettleMs = 300;

  explicit TLogWatcher(QObject* parent = nullptr);

  // The program is about to read path: its state now is what will be shown.
  void Loading(const std::string& path);
  // The program itself has just written path (a new page size in the
  // header): that is not a change to show again.
  void WroteItself(const std::string& path);
  // path is shown now: watch it. The state taken by Loading (for the same
  // path) is what was read; without it, the state now.
  void Watch(const std::string& path);
  const std::string& WatchedPath() const { return path_; }

  // While it says true a settled change waits (a page being drawn, a dialog
  // or another load running) and is looked at again later.
  std::function<bool()> Busy;

  // Settled changes looked at so far (for tests, which wait for it instead of
  // for a time).
  int Checks() const { return checks_; }

 signals:
  void Changed();
  void Incomplete(const QString& path);

 private:
  void FileNotice();
  void FolderNotice();
  // Watches the file when it exists and is not watched (a file put in its
  // place by a rename is another file); true when the watch was renewed.
  bool RenewWatch();
  void Settle();

  QFileSystemWatcher watcher_;
  QTimer settle_;
  std::string path_;
  viewer::FileStamp shown_;     // the state of the file shown
  std::string loading_path_;
  viewer::FileStamp loading_;   // taken by Loading
  uint64_t watched_inode_ = 0;
  bool told_incomplete_ = false;
  int checks_ = 0;
};
