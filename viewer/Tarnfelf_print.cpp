// Printing. The print command is not written yet: until it is, the command
// tells the user so instead of doing nothing.
#include "platform/MessageBox.h"
#include "viewer/Tarnfelf.h"

void TKorvaleFrm::Print1Click() {
  if (NoDocument) {
    platform::ShowMessageBox(platform::BoxKind::Warning,
                             "There is nothing to print. Load or compile a log before selecting "
                             "Print.");
    return;
  }
  platform::ShowMessageBox(platform::BoxKind::Information,
                           "Printing is not available in this version of Korvale yet.");
}
