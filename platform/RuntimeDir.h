#pragma once
// Qt wants a private runtime folder (XDG_RUNTIME_DIR) and complains on stderr
// when it has none, as in CI jobs and cron scripts. Headless programs call this
// before creating the application object: when the variable is unset it points
// it at a folder of our own, /tmp/korvale-runtime-<uid>, created with mode 0700.
namespace platform {
void EnsureRuntimeDirectory();
}
