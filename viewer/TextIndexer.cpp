#include "viewer/TextIndexer.h"

#include <exception>

void TTextIndexer::Start(const std::string& path, const PageModel& model,
                         const DrawSettings& settings, const LibraryPaths& libraries) {
  Cancel();
  cookie_ = std::make_unique<PlotCookie>();
  index_ = std::make_unique<TextIndex>();
  error_.clear();
  done_ = false;
  thread_ = std::thread([this, path, model, settings, libraries, cookie = cookie_.get(),
                         index = index_.get()] {
    try {
      LogDocument::OpenResult opened;
      const auto document = LogDocument::Open(path, nullptr, opened);
      if (!document) {
        error_ = opened.message;
      } else {
        PlotCookie quiet;  // a missing library is told when the page is drawn
        Libraries own(libraries, quiet);
        *index = TextIndex::Build(*document, model, settings, own, *cookie);
      }
    } catch (const std::exception& e) {
      error_ = e.what();
    }
    done_ = true;
  });
}

void TTextIndexer::Cancel() {
  if (cookie_) cookie_->abort = true;
  if (thread_.joinable()) thread_.join();
  index_.reset();
  cookie_.reset();
  done_ = false;
}

const TextIndex* TTextIndexer::Index() {
  if (thread_.joinable()) thread_.join();
  return index_.get();
}
