#pragma once
// Draws a page of a log in a worker thread, so that the window stays
// responsive while a zoomed page is drawn. The worker has a document and
// libraries of its own (a document and its canvas device are never shared
// between threads). A newer request supersedes the one being drawn: its plot
// is aborted through the cookie and its page never delivered.
#include <QImage>
#include <QObject>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "core/DrawSettings.h"
#include "core/Libraries.h"
#include "devices/LogDocument.h"

class PlotCookie;

class TPageDrawer : public QObject {
  Q_OBJECT
 public:
  struct Job {
    std::string path;            // the log's file
    LibraryPaths libraries;
    PageModel pages;             // at the resolution to draw
    int32_t page = 0;
    DrawSettings settings;
    QImage::Format format = QImage::Format_RGB32;
    uint64_t serial = 0;         // given back with the page
  };

  explicit TPageDrawer(QObject* parent = nullptr);
  ~TPageDrawer() override;  // aborts the page being drawn and waits for the worker

  // Starts drawing `job`, superseding any job not yet delivered.
  void Draw(Job job);
  // Drops the job being drawn or waiting, and the worker's document (the
  // next job opens its log afresh).
  void Cancel();

 signals:
  // The page of job `serial`; complete is false when its plot ended with an
  // error (what was drawn is in the image).
  void Drawn(quint64 serial, const QImage& page, bool complete);

 private:
  void Run();
  QImage DrawJob(const Job& job, PlotCookie& cookie);

  std::mutex mutex_;
  std::condition_variable wake_;
  std::optional<Job> pending_;
  PlotCookie* running_ = nullptr;  // the cookie of the job being drawn
  bool stop_ = false;
  bool reset_ = false;
  // The worker's own document and libraries (worker thread only).
  std::unique_ptr<LogDocument> document_;
  std::unique_ptr<Libraries> libraries_;
  std::string librariesKey_;
  std::thread worker_;
};
