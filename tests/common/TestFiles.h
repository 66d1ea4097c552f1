#pragma once
// Small helpers for tests that work with files.
#include <string>
#include <vector>

namespace testfiles {

// A fresh, empty folder removed at destruction.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// Sets (value given) or unsets an environment variable until destruction,
// then restores what it was.
class ScopedEnv {
 public:
  ScopedEnv(const std::string& name, const char* value);
  ~ScopedEnv();
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string name_, saved_;
  bool wasSet_ = false;
};

// Makes `path` the working directory until destruction, then goes back.
class WorkingDirectory {
 public:
  explicit WorkingDirectory(const std::string& path);
  ~WorkingDirectory();
  WorkingDirectory(const WorkingDirectory&) = delete;
  WorkingDirectory& operator=(const WorkingDirectory&) = delete;

 private:
  std::string previous_;
};

std::vector<unsigned char> ReadAll(const std::string& path);
void WriteAll(const std::string& path, const std::vector<unsigned char>& bytes);

// The shared test data folder beside the checkout, or "" when it is absent
// (tests that need it skip, saying so).
std::string SharedDir();
// The program folder of the build (executables, libraries, error table).
std::string BinDir();
std::string SourceDir();

// The version stored in an executable, as the About box reads it
// ("1.0.0.1"), or "" when it holds none.
std::string StoredVersion(const std::string& executable);

}  // namespace testfiles
