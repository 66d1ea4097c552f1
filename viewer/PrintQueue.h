#pragma once
// What the print system (CUPS) says about a printer queue and about the job
// the program hands it. Qt submits a job when the document ends and keeps
// the answer to itself: a queue that was removed, or that stopped taking
// jobs, would swallow a printout without a word. The Print command asks
// before the job begins and reads the answer after it was handed over.
#include <string>

class QPrinter;

namespace viewer {

// Whether the printer is a queue of the print system: the job goes to CUPS
// when the document ends (not into a file).
bool PrintsToQueue(const QPrinter& printer);

// Why the queue `printerName` ("queue" or "queue/instance") cannot print a
// job now: it does not exist, is stopped or takes no jobs; "" when it can.
std::string QueueRefusal(const std::string& printerName);

// Why the print system refused the last job handed to it on this thread,
// "" when it took the job: what is wrong with the queue `printerName` when
// it can tell (its answer to the job itself is often only a system error),
// else that answer. Asked right after the document on the queue has ended.
std::string JobRefusal(const std::string& printerName);

}  // namespace viewer
