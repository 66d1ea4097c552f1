#include "TestFiles.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

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

}  // namespace testfiles
