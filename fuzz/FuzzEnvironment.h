#pragma once
// The process every fuzz target runs in: an offscreen QApplication, message
// boxes that are recorded but never shown, and a private scratch folder that
// stands for the program folder (settings, error table, the log under test).
// Nothing outside that folder is written.
#include <QApplication>
#include <QByteArray>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/MessageBox.h"
#include "support/Paths.h"

namespace fuzzenv {

struct Environment {
  std::string work;      // scratch folder, ends with '/'
  std::string patterns;  // the build's libraries
  std::string symbols;
};

inline Environment& Env() {
  static Environment env;
  return env;
}

inline void Initialize(int* argc, char*** argv) {
  if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int qt_argc = 1;
  static char* qt_argv[] = {(*argv)[0], nullptr};
  // Never destroyed: libFuzzer leaves through exit(), after Qt's own globals
  // may be gone, and destroying the application then crashes inside Qt.
  static QApplication* app = new QApplication(qt_argc, qt_argv);
  (void)app;
  platform::SetMessageBoxMode(platform::BoxMode::Headless);

  namespace fs = std::filesystem;
  const fs::path base = fs::exists("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
  std::string pattern = (base / "korvale-fuzz-XXXXXX").string();
  if (!mkdtemp(pattern.data())) std::abort();
  Environment& env = Env();
  env.work = pattern + "/";
  SetProgramPath(env.work + "korvale");
  SetTempDirectoryOverride(env.work);

  const std::string bin = KORVALE_BIN_DIR "/";
  std::error_code ignored;
  fs::copy_file(bin + "VESK.ERR", env.work + "VESK.ERR", ignored);
  env.patterns = bin + "Zelmorth.Pat";
  env.symbols = bin + "Zelmorth.Sym";
  // The scratch folder goes when the fuzzer ends normally.
  std::atexit([] {
    std::error_code ec;
    std::filesystem::remove_all(Env().work, ec);
  });
}

}  // namespace fuzzenv
