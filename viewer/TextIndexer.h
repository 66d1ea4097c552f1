#pragma once
// Builds the text index of the log shown in a thread of its own, started when
// the log is opened, so that a long log's words are read while the user looks
// at its first page. The worker opens the log and the libraries for itself;
// Cancel (or opening another log) stops it at the next record.
#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "core/DrawSettings.h"
#include "core/Libraries.h"
#include "core/PlotCookie.h"
#include "devices/LogDocument.h"
#include "devices/TextIndex.h"

class TTextIndexer {
 public:
  TTextIndexer() = default;
  ~TTextIndexer() { Cancel(); }
  TTextIndexer(const TTextIndexer&) = delete;
  TTextIndexer& operator=(const TTextIndexer&) = delete;

  // Starts reading the texts of the log at `path` for the pages of `model`.
  void Start(const std::string& path, const PageModel& model, const DrawSettings& settings,
             const LibraryPaths& libraries);
  // Stops the worker (if any) and forgets its index.
  void Cancel();
  bool Started() const { return thread_.joinable() || index_ != nullptr; }
  bool Ready() const { return done_.load(); }
  // The index, waiting for the worker when it has not finished; null when
  // nothing was started. `error` says why a log's texts could not be read.
  const TextIndex* Index();
  const std::string& Error() const { return error_; }

 private:
  std::thread thread_;
  std::unique_ptr<PlotCookie> cookie_;
  std::unique_ptr<TextIndex> index_;
  std::atomic<bool> done_{false};
  std::string error_;
};
