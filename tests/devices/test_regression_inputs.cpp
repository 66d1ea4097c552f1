// Inputs that once crashed the program (or made a sanitizer report), replayed
// through the same code as the fuzz target that found them. The file name's
// prefix names the target: "log-" a compiled log, "pictures-" a selector byte
// and a picture payload, "tables-" a selector byte and an error table or
// settings file. Under the sanitizer build (make test-asan) a regression is a
// sanitizer report. Inputs that were once slow are also seeds of the fuzz
// runs, whose two-second limit per input catches them if they slow down again.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "TestFiles.h"
#include "fuzz/FuzzDrivers.h"
#include "devices/NoticeBox.h"
#include "platform/MessageBox.h"
#include "support/Paths.h"
#include "support/PlainSettingsFile.h"

namespace {

namespace fs = std::filesystem;

std::vector<fs::path> KeptInputs() {
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
    SetPrinterQuery(nullptr);
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
    } else if (StartsWith(name, "settings-")) {
      // The viewer's readers take these in tests/viewer (damaged settings).
      EXPECT_FALSE(IsPlainSettingsFile(QString::fromStdString(input.string()))) << name;
    } else if (!StartsWith(name, "window_requests-") && !StartsWith(name, "thumbnail_args-")) {
      FAIL() << name << ": no fuzz target of that name (log-, pictures-, tables-, settings-)";
    }
  }

  testfiles::TempDir temp_;
};

TEST_F(RegressionInputs, EveryKeptInputReplays) {
  const std::vector<fs::path> inputs = KeptInputs();
  ASSERT_FALSE(inputs.empty()) << "tests/regression holds no inputs";
  for (const fs::path& input : inputs) {
    SCOPED_TRACE(input.filename().string());
    Replay(input);
  }
}

// A log whose only record names a picture file (record 28), drawn on the
// first page. Returns whether the page ended with an error.
bool PlotsWithError(const testfiles::TempDir& dir, const std::string& picture) {
  tfl::Header header = tfl::DefaultHeader();
  header.x_min = 0;
  header.x_max = 8;
  header.y_min = -1000;
  header.y_max = 0;
  const std::string log = dir.file("named.tfl");
  {
    tfl::TflWriter writer(log, header);
    tfl::PictureFileRecord record{};
    record.rect = {1, -100, 4, -400};
    record.file_name.assign(picture);
    record.stretch = 1;
    writer.write(record);
    writer.close();
  }
  NoticeBoxObserver observer;
  PlotCookie cookie(&observer);
  Libraries libraries({testfiles::BinDir() + "/Zelmorth.Pat", testfiles::BinDir() + "/Zelmorth.Sym"},
                      cookie);
  LogDocument::OpenResult opened;
  const auto document = LogDocument::Open(log, &observer, opened);
  EXPECT_TRUE(document);
  if (!document) return false;
  QImage image(fuzzdrv::kPageWidthPx, fuzzdrv::kPageHeightPx, QImage::Format_RGB32);
  platform::Canvas canvas(&image);
  const PageModel pages = document->pages(fuzzdrv::kDpi);
  try {
    document->plot(pages, 0, PageKind::First, canvas, DrawSettings{}, libraries, cookie);
  } catch (const std::exception&) {
    return true;
  }
  return false;
}

// A 2 x 2 pixel, 24-bit bitmap file.
std::vector<unsigned char> TinyBitmapFile() {
  std::vector<unsigned char> file(14 + 40 + 2 * 8, 0);
  const auto put32 = [&](size_t at, uint32_t v) { std::memcpy(&file[at], &v, 4); };
  file[0] = 'B';
  file[1] = 'M';
  put32(2, static_cast<uint32_t>(file.size()));
  put32(10, 54);
  put32(14, 40);
  put32(18, 2);
  put32(22, 2);
  file[26] = 1;   // planes
  file[28] = 24;  // bits per pixel
  return file;
}

// A picture file named by a log is read only when it is a regular file of at
// most 64 MiB; anything else ends the page with an error at once, without
// waiting on a FIFO or reading a device.
TEST_F(RegressionInputs, NamedPictureFilesAreReadOnlyWhenAllowed) {
  const std::string good = temp_.file("good.bmp");
  testfiles::WriteAll(good, TinyBitmapFile());
  EXPECT_FALSE(PlotsWithError(temp_, good));  // the control: a proper file draws

  // Opening a FIFO for reading would wait for a writer for ever (the test's
  // time limit would end it).
  const std::string fifo = temp_.file("pipe.bmp");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_TRUE(PlotsWithError(temp_, fifo));
  EXPECT_TRUE(PlotsWithError(temp_, "/dev/zero"));
  EXPECT_TRUE(PlotsWithError(temp_, temp_.path()));  // a folder

  const std::string huge = temp_.file("huge.bmp");
  testfiles::WriteAll(huge, TinyBitmapFile());
  fs::resize_file(huge, (64u << 20) + 1);  // sparse: costs no disk
  EXPECT_TRUE(PlotsWithError(temp_, huge));
}

}  // namespace
