#pragma once
// A CUPS scheduler of the test run's own, with one cups-pdf queue as its
// default printer, so that the printing tests go through the real
// QPrinterInfo, QPrinter and CUPS without touching the machine's print
// system.
//
// Everything lives in a private temporary folder: the scheduler's
// configuration, spool, cache, state and log folders, the socket it listens
// on (and nothing else), and the PDF files the queue writes. The process
// reaches it through CUPS_SERVER, which must be set before anything in the
// process asks the print system (libcups reads it once), so the test
// program's main starts it before the QApplication exists.
//
// The cups-pdf backend reads its settings (where to write, where to spool
// and log) from /etc/cups/cups-pdf.conf only. The scheduler runs in a mount
// namespace of its own in which a private cups-pdf.conf is bound over that
// file; the machine's file and every other process are left alone. This, and
// the backend itself (executable by root alone), need root: elsewhere the
// scheduler is not started and the tests skip, saying why.
#include <sys/types.h>

#include <memory>
#include <string>
#include <vector>

namespace printsystem {

// One job of the queue as the scheduler lists it.
struct Job {
  int id = 0;
  int state = 0;  // ipp_jstate_t: 3 pending ... 7 canceled, 8 aborted, 9 completed
  std::string title;
};

class PrivatePrintSystem {
 public:
  // Starts the scheduler and adds the queue, or keeps the reason why it
  // could not (running() false). CUPS_SERVER and CUPS_SERVERROOT of this
  // process point at the private scheduler in either case, so that nothing
  // in the process reaches the machine's.
  static std::unique_ptr<PrivatePrintSystem> Start();
  ~PrivatePrintSystem();
  PrivatePrintSystem(const PrivatePrintSystem&) = delete;
  PrivatePrintSystem& operator=(const PrivatePrintSystem&) = delete;

  bool running() const { return pid_ > 0; }
  const std::string& why_not() const { return whyNot_; }
  const std::string& queue() const { return queue_; }
  const std::string& folder() const { return folder_; }

  // Before each test: the queue as new (added again, A4 by default, started,
  // accepting, the default printer), no output files, and the jobs counted
  // from here on. False (with why_not()) when that fails.
  bool Reset();
  // Queue commands of the print system's own tools; false when one fails
  // (the tool's output is in last_output()).
  bool RemoveQueue();
  bool StopQueue();                                  // cupsdisable
  bool RejectJobs();                                 // cupsreject
  bool SetDefaultPageSize(const std::string& size);  // a PPD page size name ("Letter")
  const std::string& last_output() const { return lastOutput_; }

  // The jobs since the last Reset, oldest first.
  std::vector<Job> Jobs() const;
  // Waits until there are at least `count` jobs since the last Reset and
  // every one of them has ended (completed, canceled or aborted), polling the
  // scheduler; false after `seconds`.
  bool WaitForJobsToEnd(size_t count, int seconds) const;
  // The PDF files the queue wrote since the last Reset, by name.
  std::vector<std::string> OutputFiles() const;
  // The end of the scheduler's error log, for failure messages.
  std::string LogTail() const;

 private:
  PrivatePrintSystem() = default;
  bool MakeFolders();
  bool StartScheduler();
  bool AddQueue();
  bool RunTool(const std::string& tool, const std::vector<std::string>& args);

  std::string folder_;
  std::string queue_ = "KorvalePDF";
  std::string whyNot_;
  std::string lastOutput_;
  pid_t pid_ = -1;
  int firstJob_ = 0;
};

// The run's print system (set by the test program's main), or nullptr.
PrivatePrintSystem* Current();
void SetCurrent(PrivatePrintSystem* system);

}  // namespace printsystem
