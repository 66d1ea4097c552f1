// Opening picture files named by a log, and exclusive temporary files.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QBuffer>
#include <QImage>
#include <filesystem>

#include <gtest/gtest.h>

#include "picture_test_files.h"
#include "platform/PictureFile.h"
#include "platform/PicturePath.h"
#include "platform/TempFiles.h"

using platform::LoadPictureFile;
using platform::PictureError;
using namespace picturetest;

namespace {

std::vector<std::uint8_t> SmallBitmap() {
  std::vector<std::uint8_t> info = InfoHeader(2, 1, 24);
  return BitmapFile(info, {0, 0, 0xFF, 0xFF, 0, 0, 0, 0});  // red, blue
}

std::vector<std::uint8_t> SmallJpeg() {
  QImage image(8, 8, QImage::Format_RGB32);
  image.fill(Qt::green);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "JPG");
  return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

void Write(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  testfiles::WriteAll(path, std::vector<unsigned char>(bytes.begin(), bytes.end()));
}

std::string LoadError(const std::string& path) {
  try {
    LoadPictureFile(path);
  } catch (const PictureError& e) {
    return e.what();
  }
  return "";
}

}  // namespace

TEST(PictureFileTest, OnlyDotJpgInAnyCaseIsReadAsJpeg) {
  EXPECT_TRUE(platform::IsJpegFileName("a.jpg"));
  EXPECT_TRUE(platform::IsJpegFileName("/x/A.JPG"));
  EXPECT_TRUE(platform::IsJpegFileName("b.JpG"));
  EXPECT_FALSE(platform::IsJpegFileName("c.jpeg"));
  EXPECT_FALSE(platform::IsJpegFileName("jpg"));
  EXPECT_FALSE(platform::IsJpegFileName("d.xjpg"));

  testfiles::TempDir dir;
  Write(dir.file("photo.JPG"), SmallJpeg());
  const platform::LoadedPicture jpeg = LoadPictureFile(dir.file("photo.JPG"));
  EXPECT_EQ(jpeg.image.size(), QSize(8, 8));
  EXPECT_GT(qGreen(jpeg.image.pixel(4, 4)), 200);

  // The same JPEG bytes named ".jpeg" go to the bitmap reader, which refuses them.
  Write(dir.file("photo.jpeg"), SmallJpeg());
  EXPECT_NE(LoadError(dir.file("photo.jpeg")).find("BM"), std::string::npos);
  // A bitmap named ".jpeg" is read as the bitmap it is.
  Write(dir.file("picture.jpeg"), SmallBitmap());
  const platform::LoadedPicture bmp = LoadPictureFile(dir.file("picture.jpeg"));
  EXPECT_EQ(bmp.image.pixel(0, 0) & 0xFFFFFF, 0xFF0000u);
  EXPECT_EQ(bmp.image.pixel(1, 0) & 0xFFFFFF, 0x0000FFu);
  // A bitmap named ".jpg" goes to libjpeg and fails there.
  Write(dir.file("picture.jpg"), SmallBitmap());
  EXPECT_NE(LoadError(dir.file("picture.jpg")).find("JPEG"), std::string::npos);
}

TEST(PictureFileTest, SymbolicLinkToARegularFileIsFollowed) {
  testfiles::TempDir dir;
  Write(dir.file("real.bmp"), SmallBitmap());
  ASSERT_EQ(::symlink(dir.file("real.bmp").c_str(), dir.file("link.bmp").c_str()), 0);
  EXPECT_EQ(LoadPictureFile(dir.file("link.bmp")).image.size(), QSize(2, 1));
}

// Refused without reading: a pipe without a writer or /dev/zero would block
// or never end (until the test's time limit), a huge file is refused by its
// size.
TEST(PictureFileTest, NonRegularMissingAndOversizedFilesAreRefusedUnread) {
  testfiles::TempDir dir;

  const std::string missing = LoadError(dir.file("missing.bmp"));
  EXPECT_NE(missing.find("missing.bmp"), std::string::npos) << missing;

  std::filesystem::create_directory(dir.file("folder.bmp"));
  EXPECT_NE(LoadError(dir.file("folder.bmp")).find("folder"), std::string::npos);

  ASSERT_EQ(::mkfifo(dir.file("pipe.bmp").c_str(), 0600), 0);
  EXPECT_NE(LoadError(dir.file("pipe.bmp")).find("not a regular file"), std::string::npos);

  EXPECT_NE(LoadError("/dev/zero"), "");

  // 65 MiB, sparse: refused by its size, without reading it.
  const int fd = ::open(dir.file("big.bmp").c_str(), O_WRONLY | O_CREAT, 0600);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::ftruncate(fd, 65 << 20), 0);
  ::close(fd);
  EXPECT_NE(LoadError(dir.file("big.bmp")).find("64 MiB"), std::string::npos);
  // Exactly 64 MiB is allowed by size (and then fails as a bitmap).
  const int fd64 = ::open(dir.file("edge.bmp").c_str(), O_WRONLY | O_CREAT, 0600);
  ASSERT_EQ(::ftruncate(fd64, 64 << 20), 0);
  ::close(fd64);
  EXPECT_NE(LoadError(dir.file("edge.bmp")).find("Invalid bitmap"), std::string::npos);
}

TEST(PictureFileTest, SharedSamplesLoadThroughTheFileReader) {
  const std::string pictures = PicturesDir();
  if (pictures.empty()) GTEST_SKIP() << "shared test data folder is absent";
  EXPECT_EQ(LoadPictureFile(pictures + "/bmp/goimage-video-001.bmp").image.size(), QSize(150, 103));
  // A ".jpeg" sample is not JPEG to this reader.
  EXPECT_NE(LoadError(pictures + "/jpeg/go-video-001.jpeg"), "");
  EXPECT_EQ(LoadPictureFile(pictures + "/jpeg/dotnet-nature24bits.jpg").image.size(), QSize(110, 100));
  const platform::LoadedPicture cut = LoadPictureFile(pictures + "/jpeg-bad/pillow-truncated_jpeg.jpg");
  EXPECT_FALSE(cut.warning.empty());
}

// A log names its pictures relative to itself or with a Windows path; the
// program's working directory is somewhere else.
TEST(PicturePathTest, NamesAreFoundBesideTheLogThenInTheWorkingDirectory) {
  using platform::FindPictureFile;
  testfiles::TempDir root;
  const std::string logs = root.file("logs"), pics = root.file("pics"), cwd = root.file("cwd");
  for (const std::string& folder : {logs, pics, cwd}) std::filesystem::create_directory(folder);
  for (const std::string& file : {logs + "/both.bmp", cwd + "/both.bmp", cwd + "/here.bmp",
                                  pics + "/a.jpg", logs + "/Photo.JPG", logs + "/Exact.bmp",
                                  logs + "/exact.BMP"})
    Write(file, SmallBitmap());
  testfiles::WorkingDirectory inCwd(cwd);

  EXPECT_EQ(FindPictureFile("both.bmp", logs), logs + "/both.bmp") << "the log's folder first";
  EXPECT_EQ(FindPictureFile("here.bmp", logs), "here.bmp") << "then the working directory";
  EXPECT_EQ(FindPictureFile("here.bmp", ""), "here.bmp");
  // Windows separators; a case-only difference in the file name.
  EXPECT_EQ(FindPictureFile("..\\pics\\a.JPG", logs), logs + "/../pics/a.jpg");
  EXPECT_EQ(FindPictureFile("C:\\Logs\\photo.jpg", logs), logs + "/Photo.JPG")
      << "a drive path by its last part, beside the log";
  EXPECT_EQ(FindPictureFile("/elsewhere/photo.jpg", logs), logs + "/Photo.JPG");
  EXPECT_EQ(FindPictureFile(logs + "/both.bmp", ""), logs + "/both.bmp");
  EXPECT_EQ(FindPictureFile("exact.BMP", logs), logs + "/exact.BMP") << "an exact match wins";
  EXPECT_EQ(FindPictureFile("EXACT.bmp", logs), logs + "/Exact.bmp")
      << "among loose matches the first name in order";
  // Nothing found: the log's own name, read the Linux way, for the message.
  EXPECT_EQ(FindPictureFile("sub\\missing.bmp", logs), "sub/missing.bmp");
  EXPECT_EQ(FindPictureFile("", logs), "");
}

TEST(TempFilesTest, CreatesANewPrivateFileWithTheBytes) {
  testfiles::TempDir dir;
  const std::string path = dir.file("~bmp1.tmp");
  platform::CreateExclusiveFile(path, std::vector<std::uint8_t>{1, 2, 3});
  EXPECT_EQ(testfiles::ReadAll(path), (std::vector<unsigned char>{1, 2, 3}));
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST(TempFilesTest, RefusesAnExistingFileAndLinksOfAnyKind) {
  testfiles::TempDir dir;
  const std::string existing = dir.file("existing");
  Write(existing, {9, 9});
  EXPECT_THROW(platform::CreateExclusiveFile(existing, std::vector<std::uint8_t>{1}),
               std::runtime_error);
  EXPECT_EQ(testfiles::ReadAll(existing), (std::vector<unsigned char>{9, 9}));

  // A link to an existing file: the target stays as it was.
  ASSERT_EQ(::symlink(existing.c_str(), dir.file("link").c_str()), 0);
  EXPECT_THROW(platform::CreateExclusiveFile(dir.file("link"), std::vector<std::uint8_t>{1}),
               std::runtime_error);
  EXPECT_EQ(testfiles::ReadAll(existing), (std::vector<unsigned char>{9, 9}));

  // A dangling link: its target is not created.
  ASSERT_EQ(::symlink(dir.file("target").c_str(), dir.file("dangling").c_str()), 0);
  EXPECT_THROW(platform::CreateExclusiveFile(dir.file("dangling"), std::vector<std::uint8_t>{1}),
               std::runtime_error);
  EXPECT_FALSE(std::filesystem::exists(dir.file("target")));

  // A folder that is not there.
  EXPECT_THROW(platform::CreateExclusiveFile(dir.file("no/such"), std::vector<std::uint8_t>{1}),
               std::runtime_error);
}

TEST(TempFilesTest, RemoverDeletesUnlessReleased) {
  testfiles::TempDir dir;
  {
    platform::TempFileRemover remover(dir.file("a"));
    platform::CreateExclusiveFile(remover.path(), std::vector<std::uint8_t>{1});
    EXPECT_TRUE(std::filesystem::exists(dir.file("a")));
  }
  EXPECT_FALSE(std::filesystem::exists(dir.file("a")));
  {
    platform::TempFileRemover remover(dir.file("b"));
    platform::CreateExclusiveFile(remover.path(), std::vector<std::uint8_t>{1});
    remover.Release();
  }
  EXPECT_TRUE(std::filesystem::exists(dir.file("b")));
}
