#include "viewer/PrintQueue.h"

#include <QPrinter>

#include <cups/cups.h>

namespace viewer {
namespace {

// CUPS's own words for its last answer on this thread, or `fallback`.
std::string LastErrorText(const char* fallback) {
  const char* said = cupsLastErrorString();
  return said && *said ? std::string(said) : std::string(fallback);
}

}  // namespace

bool PrintsToQueue(const QPrinter& printer) {
  return printer.outputFormat() == QPrinter::NativeFormat && printer.outputFileName().isEmpty() &&
         !printer.printerName().isEmpty();
}

std::string QueueRefusal(const std::string& printerName) {
  const auto slash = printerName.find('/');
  const std::string queue = printerName.substr(0, slash);
  const std::string instance = slash == std::string::npos ? "" : printerName.substr(slash + 1);
  cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, queue.c_str(),
                                       instance.empty() ? nullptr : instance.c_str());
  if (!dest) return LastErrorText("The printer does not exist.");
  std::string refusal;
  const char* state = cupsGetOption("printer-state", dest->num_options, dest->options);
  const char* accepting =
      cupsGetOption("printer-is-accepting-jobs", dest->num_options, dest->options);
  if (state && std::string(state) == std::to_string(IPP_PSTATE_STOPPED))
    refusal = "The printer is stopped.";
  else if (accepting && std::string(accepting) == "false")
    refusal = "The printer is not accepting jobs.";
  cupsFreeDests(1, dest);
  return refusal;
}

std::string JobRefusal(const std::string& printerName) {
  if (cupsLastError() < IPP_STATUS_ERROR_BAD_REQUEST) return {};
  const std::string answer = LastErrorText(ippErrorString(cupsLastError()));
  const std::string queue = QueueRefusal(printerName);
  return queue.empty() ? answer : queue;
}

}  // namespace viewer
