// Inputs that once crashed the program (or made a sanitizer report), replayed
// through the same code as the fuzz target that found them. The file name's
// prefix names the target: "log-" a compiled log, "pictures-" a selector byte
// and a picture payload, "tables-" a selector byte and an error table or
// settings file. Under the sanitizer build (make test-asan) a regression is a
// sanitizer report; in every build each input must finish promptly.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "TestFiles.h"
#include "fuzz/FuzzDrivers.h"
#include "platform/MessageBox.h"
#include "support/Paths.h"

namespace {

namespace fs = std::filesystem;

#if defined(__SANITIZE_ADDRESS__)
constexpr double kSecondsPerInput = 10.0;  // instrumented code is slower
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr double kSecondsPerInput = 10.0;
#else
constexpr double kSecondsPerInput = 2.0;
#endif
#else
constexpr double kSecondsPerInput = 2.0;
#endif

std::vector<fs::path> RegressionInputs() {
  std::vector<fs::path> inputs;
  const fs::path dir = fs::path(testfiles::SourceDir()) / "tests" / "regression";
  for (const auto& entry : fs::directory_iterator(dir))
    if (entry.is_regular_file() && entry.path().filename().string()[0] != '.' &&
        entry.path().filename() != "README")
      inputs.push_back(entry.path());
  std::sort(inputs.begin(), inputs.end());
  return inputs;
}

bool StartsWith(const std::string& s, const std::string& prefix) {
  return s.compare(0, prefix.size(), prefix) == 0;
}

class RegressionInputs : public ::testing::Test {
 protected:
  void SetUp() override {
    SetProgramPath(temp_.file("korvale"));
    SetTempDirectoryOverride(temp_.path());
    platform::ClearShownBoxes();
  }
  void TearDown() override {
    SetPrinterQueryForTests(nullptr);
    SetTempDirectoryOverride("");
    SetProgramPaths();
  }

  // Replays one input as its fuzz target would.
  void Replay(const fs::path& input) {
    const std::string name = input.filename().string();
    const std::vector<unsigned char> bytes = testfiles::ReadAll(input.string());
    const std::span<const std::uint8_t> rest =
        bytes.empty() ? std::span<const std::uint8_t>() : std::span(bytes).subspan(1);
    const std::string patterns = testfiles::BinDir() + "/Zelmorth.Pat";
    const std::string symbols = testfiles::BinDir() + "/Zelmorth.Sym";
    if (StartsWith(name, "log-")) {
      fuzzdrv::ReplayLogFile(input.string(), patterns, symbols);
    } else if (StartsWith(name, "pictures-")) {
      ASSERT_FALSE(bytes.empty()) << name;
      const std::string log = temp_.file("picture.tfl");
      fuzzdrv::WritePictureLog(log, bytes[0] % 3, rest);
      fuzzdrv::ReplayLogFile(log, patterns, symbols);
    } else if (StartsWith(name, "tables-")) {
      ASSERT_FALSE(bytes.empty()) << name;
      switch (bytes[0] % 3) {
        case 0: {
          const std::string table = temp_.file("fuzz.ERR");
          fuzzdrv::WriteFile(table, rest);
          fuzzdrv::ComposeFromErrorTable(table, 0);
          break;
        }
        case 1: fuzzdrv::LoadSettingsFile(true, rest); break;
        default: fuzzdrv::LoadSettingsFile(false, rest); break;
      }
    } else {
      FAIL() << name << ": no fuzz target of that name (log-, pictures-, tables-)";
    }
  }

  testfiles::TempDir temp_;
};

TEST_F(RegressionInputs, EveryKeptInputReplaysPromptly) {
  const std::vector<fs::path> inputs = RegressionInputs();
  ASSERT_FALSE(inputs.empty()) << "tests/regression holds no inputs";
  for (const fs::path& input : inputs) {
    SCOPED_TRACE(input.filename().string());
    const auto start = std::chrono::steady_clock::now();
    Replay(input);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    EXPECT_LT(took.count(), kSecondsPerInput);
  }
}

}  // namespace
