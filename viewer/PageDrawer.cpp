#include "viewer/PageDrawer.h"

#include <QMetaObject>
#include <exception>

#include "core/PlotCookie.h"
#include "platform/Canvas.h"

TPageDrawer::TPageDrawer(QObject* parent) : QObject(parent), worker_([this] { Run(); }) {}

TPageDrawer::~TPageDrawer() {
  {
    std::lock_guard lock(mutex_);
    stop_ = true;
    pending_.reset();
    if (running_) running_->abort = true;
  }
  wake_.notify_one();
  worker_.join();
}

void TPageDrawer::Draw(Job job) {
  {
    std::lock_guard lock(mutex_);
    pending_ = std::move(job);
    if (running_) running_->abort = true;
  }
  wake_.notify_one();
}

void TPageDrawer::Cancel() {
  std::lock_guard lock(mutex_);
  pending_.reset();
  reset_ = true;
  if (running_) running_->abort = true;
}

void TPageDrawer::Run() {
  for (;;) {
    Job job;
    PlotCookie cookie;
    {
      std::unique_lock lock(mutex_);
      wake_.wait(lock, [this] { return stop_ || pending_ || reset_; });
      if (stop_) return;
      if (reset_) {
        reset_ = false;
        document_.reset();
      }
      if (!pending_) continue;
      job = std::move(*pending_);
      pending_.reset();
      running_ = &cookie;
    }
    bool complete = true;
    QImage page;
    try {
      page = DrawJob(job, cookie);
    } catch (const std::exception&) {
      complete = false;
    }
    std::lock_guard lock(mutex_);
    running_ = nullptr;
    if (cookie.abort || pending_ || stop_) continue;  // superseded: never shown
    // Queued to the window's thread; dropped when the drawer is gone.
    QMetaObject::invokeMethod(
        this, [this, serial = job.serial, page, complete] { emit Drawn(serial, page, complete); },
        Qt::QueuedConnection);
  }
}

QImage TPageDrawer::DrawJob(const Job& job, PlotCookie& cookie) {
  if (!document_ || document_->path() != job.path) {
    LogDocument::OpenResult result;
    document_ = LogDocument::Open(job.path, nullptr, result);
    if (!document_) throw std::runtime_error(result.message);
  }
  const std::string key = job.libraries.pattern + '\n' + job.libraries.symbol;
  if (!libraries_ || librariesKey_ != key) {
    PlotCookie quiet;
    libraries_ = std::make_unique<Libraries>(job.libraries, quiet);
    librariesKey_ = key;
  }
  QImage image(job.pages.page_width_px(), job.pages.page_height_px(), job.format);
  if (image.isNull()) throw std::runtime_error("no memory for the page image");
  image.fill(Qt::white);
  platform::Canvas canvas(&image);
  document_->plot(job.pages, job.page, job.pages.screen_kind(job.page), canvas, job.settings,
                  *libraries_, cookie);
  canvas.EndPaint();
  return image;
}
