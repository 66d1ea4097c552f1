#include "windows/StatusObserver.h"

#include "devices/NoticeBox.h"
#include "platform/Cursor.h"
#include "windows/StatusWin.h"

void StatusObserver::status(const std::string& line) { ShowStatus(line); }

void StatusObserver::progress(double fraction) { SetStatusProgress(fraction); }

bool StatusObserver::cancel_requested() { return CancelConfirmed(); }

void StatusObserver::notice(const Notice& n) {
  // A numbered error's box comes up with the normal cursor.
  if (n.number > 0) platform::RestoreDefaultCursor();
  ShowNotice(n);
}
