#pragma once
// Qt wants a private runtime folder (XDG_RUNTIME_DIR) and complains on stderr
// when it has none, as in CI jobs and cron scripts. Headless programs call this
// before creating the application object: when the variable is unset (or
// holds a relative path, which the XDG rules make invalid) it points
// it at a private folder of our own in the system's temporary folder,
// korvale-runtime-<uid> when that name is free or already ours, otherwise a
// fresh korvale-runtime-<uid>-XXXXXX (see PrivateDir.h).
namespace platform {
void EnsureRuntimeDirectory();
}
