#pragma once
// The page panel's list: one row per page of the log shown, with the depth
// interval of the page's body ("3   4,512.50 – 4,712.50") worked out from the
// page model when the row is first shown, and a small picture of the page
// drawn in the background. A list of a thousand pages costs nothing until
// its rows are seen: the view asks only for the rows it shows, and a
// picture is drawn only for a row that was shown, the latest asked first.
#include <QAbstractListModel>
#include <QImage>
#include <QPixmap>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "core/DrawSettings.h"
#include "core/Libraries.h"
#include "devices/LogDocument.h"

class TPageList : public QAbstractListModel {
  Q_OBJECT
 public:
  // The longer side of a picture, in pixels.
  static constexpr int kThumbnailSize = 96;
  // Data roles beyond Qt's: the body's top and bottom depth (doubles).
  enum Role { TopDepthRole = Qt::UserRole + 1, BottomDepthRole };

  explicit TPageList(QObject* parent = nullptr);
  ~TPageList() override;

  // The pages of the log at `path` as `model` gives them; pictures are drawn
  // by `workers` threads, each opening the log and the libraries for itself.
  // Stops the pictures of the log before.
  void SetLog(const std::string& path, const PageModel& model, const DrawSettings& settings,
              const LibraryPaths& libraries, int workers = 2);
  // No log: no rows, the pictures stopped.
  void Clear();

  int rowCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;

  // The depth interval of page `page`'s body, from the log's top on the first
  // page to its bottom on the last.
  PageModel::Interval Interval(int32_t page) const;
  // Whether the picture of page `page` is drawn (for tests and benchmarks).
  bool HasThumbnail(int32_t page) const;

 private:
  void StopWorkers();
  void Want(int32_t page) const;
  void Work(std::shared_ptr<struct PageListJob> job);

  std::string path_;
  PageModel model_;
  DrawSettings settings_;
  std::vector<QPixmap> thumbnails_;
  mutable std::vector<char> asked_;
  std::shared_ptr<struct PageListJob> job_;
  std::vector<std::thread> workers_;
};
