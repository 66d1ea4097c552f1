#pragma once
// Opening a web address or a mail link with the user's default program.
#include <functional>
#include <string>

namespace platform {

// Hands url ("https://...", "mailto:...") to the desktop's default handler.
// Like the shell's open command the result is greater than 32 on success and
// a small error number (2, file not found) when no handler took it.
int ShellOpen(const std::string& url);

// Tests replace the desktop call; an empty function restores it.
void SetShellOpenForTests(std::function<int(const std::string& url)> open);

}  // namespace platform
