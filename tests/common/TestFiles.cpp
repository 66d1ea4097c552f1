#include "TestFiles.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "platform/VersionInfo.h"

namespace fs = std::filesystem;

namespace testfiles {

TempDir::TempDir() {
  std::string templ = (fs::temp_directory_path() / "korvale-test-XXXXXX").string();
  if (!mkdtemp(templ.data())) throw std::runtime_error("mkdtemp failed");
  path_ = templ;
}

TempDir::~TempDir() {
  std::error_code ec;
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
  fs::remove_all(path_, ec);
}

ScopedEnv::ScopedEnv(const std::string& name, const char* value) : name_(name) {
  if (const char* old = std::getenv(name.c_str())) {
    wasSet_ = true;
    saved_ = old;
  }
  if (value) setenv(name.c_str(), value, 1);
  else unsetenv(name.c_str());
}

ScopedEnv::~ScopedEnv() {
  if (wasSet_) setenv(name_.c_str(), saved_.c_str(), 1);
  else unsetenv(name_.c_str());
}

WorkingDirectory::WorkingDirectory(const std::string& path)
    : previous_(fs::current_path().string()) {
  fs::current_path(path);
}

WorkingDirectory::~WorkingDirectory() {
  std::error_code ec;
  fs::current_path(previous_, ec);
}

std::vector<unsigned char> ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

void WriteAll(const std::string& path, const std::vector<unsigned char>& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::string SharedDir() {
  std::error_code ec;
  fs::path dir(KORVALE_SHARED_DIR);
  if (fs::is_directory(dir / "testdata", ec)) return fs::weakly_canonical(dir, ec).string();
  return {};
}

std::string BinDir() { return KORVALE_BIN_DIR; }
std::string SourceDir() { return KORVALE_SOURCE_DIR; }

std::string StoredVersion(const std::string& executable) {
  int error = 0;
  const uint32_t size = platform::GetFileVersionInfoSize(executable, error);
  std::vector<unsigned char> block;
  platform::FixedFileVersion v;
  if (size == 0 || !platform::GetFileVersionInfo(executable, size, block, error) ||
      !platform::QueryFixedFileVersion(block, v))
    return {};
  return std::to_string(v.major) + "." + std::to_string(v.minor) + "." +
         std::to_string(v.release) + "." + std::to_string(v.build);
}

}  // namespace testfiles
