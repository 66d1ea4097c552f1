#include "devices/NoticeBox.h"

#include "platform/MessageBox.h"
#include "support/ErrorTable.h"

void ShowNotice(const Notice& notice) {
  if (notice.number > 0) {
    platform::ShowMessageBox(platform::BoxKind::Plain,
                             ComposeErrorMessage(notice.number, notice.text),
                             platform::BoxButtons::Ok, "Error");
    return;
  }
  platform::ShowMessageBox(
      notice.kind == Notice::Warning ? platform::BoxKind::Warning : platform::BoxKind::Error,
      notice.text);
}
