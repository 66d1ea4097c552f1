// The trace of the demonstration log's first page (korvale-render --trace)
// against tests/reference/demo-p1.trace, as text: a change in what the
// interpreter asks of a device shows here as a diff. After a deliberate
// change, scripts/update-references writes the new trace; read its diff
// before committing it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "TestFiles.h"

namespace {

namespace fs = std::filesystem;

std::vector<std::string> Lines(const std::string& path) {
  std::ifstream in(path);
  std::vector<std::string> lines;
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST(RenderTrace, DemoFirstPageMatchesTheReferenceTrace) {
  for (const char* program : {"korvale-demo", "korvale-render"})
    ASSERT_TRUE(fs::exists(testfiles::BinDir() + "/" + program)) << "build " << program;
  const std::string reference_path = testfiles::SourceDir() + "/tests/reference/demo-p1.trace";
  const std::vector<std::string> reference = Lines(reference_path);
  ASSERT_FALSE(reference.empty()) << reference_path << " is missing: run scripts/update-references";

  testfiles::TempDir dir;
  const std::string run = "cd '" + dir.path() + "' && '" + testfiles::BinDir() +
                          "/korvale-demo' demo.tfl 2> /dev/null && '" + testfiles::BinDir() +
                          "/korvale-render' --trace --page 1 demo.tfl > p1.trace";
  ASSERT_EQ(std::system(run.c_str()), 0);
  const std::vector<std::string> actual = Lines(dir.file("p1.trace"));
  if (actual == reference) return;

  const fs::path kept = fs::path(testfiles::BinDir()).parent_path() / "tests" / "demo-p1.trace.actual";
  fs::copy_file(dir.file("p1.trace"), kept, fs::copy_options::overwrite_existing);
  size_t i = 0;
  while (i < actual.size() && i < reference.size() && actual[i] == reference[i]) ++i;
  auto at = [](const std::vector<std::string>& lines, size_t n) {
    return n < lines.size() ? lines[n].substr(0, 300) : std::string("(end of trace)");
  };
  ADD_FAILURE() << "the trace differs from " << reference_path << " first at line " << i + 1
                << " (" << actual.size() << " lines, reference " << reference.size()
                << ")\n  reference: " << at(reference, i) << "\n  actual:    " << at(actual, i)
                << "\nwhole trace: " << kept.string();
}

}  // namespace
