#include "viewer/PageList.h"

#include <QColor>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "core/PlotCookie.h"
#include "devices/PageThumbnail.h"
#include "viewer/DepthInput.h"

// What the workers of one log share: the pages asked for (the latest at the
// back, drawn first) and the stop request.
struct PageListJob {
  std::mutex lock;
  std::condition_variable wake;
  std::deque<int32_t> wanted;
  bool stop = false;
  std::vector<PlotCookie*> cookies;  // of the pages being drawn
  std::string path;
  PageModel model;
  DrawSettings settings;
  LibraryPaths libraries;
};

TPageList::TPageList(QObject* parent) : QAbstractListModel(parent) {}

TPageList::~TPageList() { StopWorkers(); }

void TPageList::StopWorkers() {
  if (job_) {
    {
      std::lock_guard<std::mutex> hold(job_->lock);
      job_->stop = true;
      for (PlotCookie* cookie : job_->cookies) cookie->abort = true;
    }
    job_->wake.notify_all();
  }
  for (std::thread& t : workers_) t.join();
  workers_.clear();
  job_.reset();
}

void TPageList::Clear() {
  StopWorkers();
  beginResetModel();
  path_.clear();
  model_ = PageModel();
  thumbnails_.clear();
  asked_.clear();
  endResetModel();
}

void TPageList::SetLog(const std::string& path, const PageModel& model,
                       const DrawSettings& settings, const LibraryPaths& libraries,
                       int workers) {
  StopWorkers();
  beginResetModel();
  path_ = path;
  model_ = model;
  settings_ = settings;
  const size_t pages = static_cast<size_t>(std::max(0, model.page_count()));
  thumbnails_.assign(pages, QPixmap());
  asked_.assign(pages, 0);
  endResetModel();
  if (pages == 0) return;
  job_ = std::make_shared<PageListJob>();
  job_->path = path;
  job_->model = model;
  job_->settings = settings;
  job_->libraries = libraries;
  for (int i = 0; i < std::max(1, workers); ++i)
    workers_.emplace_back([this, job = job_] { Work(job); });
}

int TPageList::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(thumbnails_.size());
}

PageModel::Interval TPageList::Interval(int32_t page) const {
  PageModel::Interval interval{NAN, NAN};
  try {
    interval = model_.body_interval(page, model_.screen_kind(page), settings_);
  } catch (const std::exception&) {
    return interval;
  }
  // The first and last page show the log from its own ends.
  const PageModel::Interval log = model_.log_depths();
  if (page == 0) interval.top = log.top;
  if (page == model_.last_page()) interval.bottom = log.bottom;
  return interval;
}

QVariant TPageList::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const int32_t page = index.row();
  switch (role) {
    case Qt::DisplayRole: {
      const PageModel::Interval i = Interval(page);
      return QString("%1   %2 \u2013 %3")
          .arg(page + 1)
          .arg(viewer::FormatDepth(i.top), viewer::FormatDepth(i.bottom));
    }
    case Qt::DecorationRole: {
      Want(page);
      const QPixmap& picture = thumbnails_[static_cast<size_t>(page)];
      if (!picture.isNull()) return picture;
      // Until drawn: a blank page of the picture's size.
      static QPixmap blank;
      if (blank.isNull()) {
        blank = QPixmap(kThumbnailSize * 3 / 4, kThumbnailSize);
        blank.fill(QColor(235, 235, 235));
      }
      return blank;
    }
    case TopDepthRole: return Interval(page).top;
    case BottomDepthRole: return Interval(page).bottom;
    default: return {};
  }
}

bool TPageList::HasThumbnail(int32_t page) const {
  return page >= 0 && page < rowCount() && !thumbnails_[static_cast<size_t>(page)].isNull();
}

void TPageList::Want(int32_t page) const {
  if (!job_ || asked_[static_cast<size_t>(page)]) return;
  asked_[static_cast<size_t>(page)] = 1;
  {
    std::lock_guard<std::mutex> hold(job_->lock);
    job_->wanted.push_back(page);
  }
  job_->wake.notify_one();
}

void TPageList::Work(std::shared_ptr<PageListJob> job) {
  LogDocument::OpenResult opened;
  const auto document = LogDocument::Open(job->path, nullptr, opened);
  if (!document) return;
  PlotCookie quiet;
  std::unique_ptr<Libraries> libraries;
  try {
    libraries = std::make_unique<Libraries>(job->libraries, quiet);
  } catch (const std::exception&) {
    return;
  }
  for (;;) {
    int32_t page = -1;
    PlotCookie cookie;
    {
      std::unique_lock<std::mutex> hold(job->lock);
      job->wake.wait(hold, [&] { return job->stop || !job->wanted.empty(); });
      if (job->stop) return;
      page = job->wanted.back();
      job->wanted.pop_back();
      job->cookies.push_back(&cookie);
    }
    QImage picture;
    try {
      picture = DrawPageThumbnail(*document, job->model, page, job->settings, *libraries, cookie,
                                  kThumbnailSize);
    } catch (const std::exception&) {
      // A page too large to lay out at any size keeps its blank picture.
    }
    {
      std::lock_guard<std::mutex> hold(job->lock);
      std::erase(job->cookies, &cookie);
      if (job->stop) return;
    }
    // Handed to the window's thread; a picture of a log no longer shown is dropped there.
    QMetaObject::invokeMethod(
        this,
        [this, job, page, picture = std::move(picture)] {
          if (job != job_ || page >= rowCount() || picture.isNull()) return;
          thumbnails_[static_cast<size_t>(page)] = QPixmap::fromImage(picture);
          const QModelIndex at = index(page);
          emit dataChanged(at, at, {Qt::DecorationRole});
        },
        Qt::QueuedConnection);
  }
}
