// korvale-render as scripts use it: exit codes, output names, --info and
// --depth-at, run as the built program on logs written here.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QProcess>
#include <QStringList>
#include <QSvgRenderer>
#include <QUrl>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "TestFiles.h"
#include "core/TflWriter.h"

namespace {

struct CliRun {
  int exit_code = -1;
  std::string out, err;
};

class RenderCli : public ::testing::Test {
 protected:
  void SetUp() override {
    program_ = testfiles::BinDir() + "/korvale-render";
    if (!QFileInfo::exists(QString::fromStdString(program_)))
      GTEST_SKIP() << "korvale-render is not built in " << testfiles::BinDir();
    // Empty libraries of our own: the logs here use no patterns or symbols.
    std::ofstream(dir_.file("p.pat"), std::ios::binary).write(std::string(206, '\0').data(), 206);
    std::ofstream(dir_.file("s.sym"), std::ios::binary).write(std::string(404, '\0').data(), 404);
  }

  CliRun Render(QStringList args) {
    args << "--patterns" << QString::fromStdString(dir_.file("p.pat")) << "--symbols"
         << QString::fromStdString(dir_.file("s.sym"));
    return Run(program_, args);
  }

  CliRun Run(const std::string& program, const QStringList& args) {
    QProcess p;
    p.setWorkingDirectory(QString::fromStdString(dir_.path()));
    p.start(QString::fromStdString(program), args);
    EXPECT_TRUE(p.waitForFinished(60000));
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            p.readAllStandardOutput().toStdString(), p.readAllStandardError().toStdString()};
  }

  // 8.5 x 11 inch pages at 96 units per inch both ways; unpaged, 3 pages.
  static tfl::Header Header() {
    tfl::Header h{};
    h.x_max = 800;
    h.y_min = 100;
    h.y_max = 2600;
    h.first_header_height = -1;
    h.repeat_header_height = -1;
    h.footer_height = -1;
    h.page_height = 11;
    h.page_width = 8.5;
    h.x_units_per_inch = 96;
    h.y_units_per_inch = 96;
    h.datum = 500;
    return h;
  }

  QString Log(const std::string& name, const tfl::Header& h,
              const std::function<void(tfl::TflWriter&)>& body = {}) {
    const std::string path = dir_.file(name);
    tfl::TflWriter w(path, h);
    tfl::VectorRecord v{};
    v.x1 = 100, v.y1 = 2500, v.x2 = 300, v.y2 = 2500;
    w.write(v);
    if (body) body(w);
    w.close();
    return QString::fromStdString(path);
  }

  bool Exists(const std::string& name) {
    return QFileInfo::exists(QString::fromStdString(dir_.file(name)));
  }

  std::string program_;
  testfiles::TempDir dir_;
};

}  // namespace

TEST_F(RenderCli, DrawsPagesIntoNamedPngs) {
  const QString log = Log("well.tfl", Header());
  // Into a folder that is made when it is missing.
  CliRun r = Render({"--all", "-o", "pages/page-%d.png", log});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_TRUE(Exists("pages/page-1.png") && Exists("pages/page-2.png") &&
              Exists("pages/page-3.png"));
  EXPECT_FALSE(Exists("pages/page-4.png"));
  const QImage first(QString::fromStdString(dir_.file("pages/page-1.png")));
  EXPECT_EQ(first.size(), QSize(816, 1056));
  EXPECT_EQ(first.pixel(200, 100) & 0xFFFFFF, 0u);  // the line of the log

  r = Render({"--page", "2", log});  // default name in the current folder
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_TRUE(Exists("well-p2.png"));

  r = Render({"--dpi", "192", "--pages", "2-3", "-o", "big%d.png", log});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(QImage(QString::fromStdString(dir_.file("big3.png"))).size(), QSize(1632, 2112));

  // SVG: vectors, one file a page, the page drawn where the PNG has it.
  r = Render({"--pages", "1-2", "-o", "svg/page-%d.svg", log});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_TRUE(Exists("svg/page-2.svg"));
  EXPECT_FALSE(Exists("svg/page-3.svg"));
  QSvgRenderer svg(QString::fromStdString(dir_.file("svg/page-1.svg")));
  ASSERT_TRUE(svg.isValid());
  EXPECT_EQ(svg.viewBox(), QRect(0, 0, 816, 1056));
  QImage drawn(816, 1056, QImage::Format_RGB32);
  drawn.fill(Qt::red);
  {
    QPainter painter(&drawn);
    svg.render(&painter);
  }
  // The line of the log, smoothed over the two rows it straddles as vectors.
  EXPECT_LT(std::min(qGray(drawn.pixel(200, 99)), qGray(drawn.pixel(200, 100))), 160);
  EXPECT_EQ(qGray(drawn.pixel(200, 300)), 255) << "a white page";
}

TEST_F(RenderCli, UsageErrorsExitWithTwo) {
  const QString log = Log("well.tfl", Header());
  CliRun r = Render({"--all", "-o", "pages.png", log});  // several pages need %d
  EXPECT_EQ(r.exit_code, 2);
  EXPECT_FALSE(Exists("pages.png"));
  r = Render({"-o", "out.jpg", log});
  EXPECT_EQ(r.exit_code, 2);
  EXPECT_NE(r.err.find(".png, .pdf or .svg"), std::string::npos) << r.err;
  EXPECT_EQ(Render({"--all", "-o", "pages.svg", log}).exit_code, 2);  // %d again
  EXPECT_EQ(Render({"--page", "4", log}).exit_code, 2);  // beyond the 3 pages
  EXPECT_EQ(Render({"--page", "0", log}).exit_code, 2);
  r = Render({"--bogus", log});
  EXPECT_EQ(r.exit_code, 2);
  EXPECT_NE(r.err.find("usage: korvale-render"), std::string::npos) << r.err;
  EXPECT_EQ(Render({}).exit_code, 2);
  EXPECT_EQ(Render({"--thumbnail", log}).exit_code, 2);  // no output file
  r = Render({"--thumbnail", "", "t.png"});  // found by fuzzing: an empty name is no log
  EXPECT_EQ(r.exit_code, 2);
  EXPECT_NE(r.err.find("an empty file name"), std::string::npos) << r.err;
  EXPECT_EQ(Render({"--thumbnail", "-s", "0", log, "t.png"}).exit_code, 2);
  EXPECT_EQ(Render({QString::fromStdString(dir_.file("missing.tfl"))}).exit_code, 2);
}

TEST_F(RenderCli, NotACompiledLogOrAFailedPageExitsWithOne) {
  const std::string junk = dir_.file("junk.tfl");
  std::ofstream(junk, std::ios::binary) << std::string("\x4d\x00\x69\x00 not a log at all", 22);
  CliRun r = Render({QString::fromStdString(junk)});
  EXPECT_EQ(r.exit_code, 1) << r.err;
  // The header check's error 1033, as the viewer's box would say it.
  EXPECT_NE(r.err.find("korvale: message: "), std::string::npos) << r.err;

  // A page that ends with a range error still leaves its PNG.
  const QString bad = Log("bad.tfl", Header(), [](tfl::TflWriter& w) {
    tfl::VectorRecord v{};
    v.x1 = std::nan("");
    w.write(v);
  });
  r = Render({"-o", "bad.png", bad});
  EXPECT_EQ(r.exit_code, 1);
  EXPECT_NE(r.err.find("Range check error"), std::string::npos) << r.err;
  const QImage drawn(QString::fromStdString(dir_.file("bad.png")));
  ASSERT_FALSE(drawn.isNull());
  EXPECT_EQ(drawn.pixel(200, 100) & 0xFFFFFF, 0u);  // drawn before the error
}

TEST_F(RenderCli, InfoPrintsTheHeaderAsJson) {
  tfl::Header h = Header();
  h.paged = 1;
  h.section_gap = 0.125;
  const QString log = Log("info.tfl", h);
  const CliRun r = Render({"--info", log});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  const QJsonObject o = QJsonDocument::fromJson(QByteArray::fromStdString(r.out)).object();
  ASSERT_FALSE(o.isEmpty()) << r.out;
  EXPECT_EQ(o["file"].toString(), log);
  EXPECT_EQ(o["version"].toInt(), 300);
  EXPECT_EQ(o["pages"].toInt(), 3);  // trunc(2500 / 1056) + 1 pages of body
  EXPECT_EQ(o["paged"].toBool(), true);
  EXPECT_TRUE(o["paged"].isBool());
  EXPECT_DOUBLE_EQ(o["y_max"].toDouble(), 2600);
  EXPECT_DOUBLE_EQ(o["section_gap"].toDouble(), 0.125);
  EXPECT_DOUBLE_EQ(o["datum"].toDouble(), 500);
  for (const char* key : {"x_min", "x_max", "y_min", "first_header_height", "repeat_header_height",
                          "footer_height", "page_height", "page_width", "x_units_per_inch",
                          "y_units_per_inch"})
    EXPECT_TRUE(o.contains(key)) << key;

  // Whatever bytes the path holds, the line is valid UTF-8 JSON: a Latin-1
  // byte comes back as the lone surrogate U+DC00 + byte, as Python's
  // surrogateescape reads it; quotes, backslashes and control characters
  // are escaped, UTF-8 passes as it is.
  const std::string folder = dir_.file("caf\xe9 \"q\" \\ \t\x01 \xc3\xa9 \xed\xa0\x80 \xc0\xaf");
  std::filesystem::create_directory(folder);
  std::filesystem::copy_file(log.toStdString(), folder + "/well.tfl");
  QProcess p;  // the bytes of the name reach the program as they are only through the shell
  p.setWorkingDirectory(QString::fromStdString(dir_.path()));
  p.start("/bin/sh", {"-c", "for d in caf*; do exec \"$0\" --info \"$PWD/$d/well.tfl\"; done",
                      QString::fromStdString(program_)});
  ASSERT_TRUE(p.waitForFinished(60000));
  const QByteArray line = p.readAllStandardOutput().trimmed();
  ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
  EXPECT_EQ(QString::fromUtf8(line).toUtf8(), line) << "not UTF-8: " << line.toStdString();
  QJsonParseError error{};
  const QJsonObject named = QJsonDocument::fromJson(line, &error).object();
  ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
  std::string bytes;
  for (const QChar c : named["file"].toString()) {
    if (c.unicode() >= 0xDC80 && c.unicode() <= 0xDCFF)
      bytes += static_cast<char>(c.unicode() - 0xDC00);
    else
      bytes += QString(c).toStdString();
  }
  EXPECT_EQ(bytes, folder + "/well.tfl");
}

TEST_F(RenderCli, DepthAtReadsTheViewersDepth) {
  const QString log = Log("depth.tfl", Header());
  // 192 dpi: 2 pixels per unit, pages of 2112 rows, y_min (100) at strip
  // row 5000. Row 250 of page 2: (250 - 5000 + 2112) / 2 - 100 = -1419.
  CliRun r = Render({"--depth-at", "250", "--page", "2", "--dpi", "192", log});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(r.out, "-1419.00\n");
  r = Render({"--depth-at", "251", "--elevation", "--page", "2", "--dpi", "192", log});
  EXPECT_EQ(r.out, "1918.50\n");  // datum 500 - (-1418.5)
}

// Without --patterns and --symbols the tool opens the libraries the viewer
// opens for the same user: those the viewer's settings file names (read, never
// written), else the bundled ones; installed in prefix/share/korvale, portable
// beside the executable. A missing library is named on stderr.
TEST_F(RenderCli, LibrariesAreTheViewersForTheSameUser) {
  namespace fs = std::filesystem;
  const QStringList info = {"--info", Log("libs.tfl", Header())};
  const std::string bin = testfiles::BinDir();
  const std::string prefix = dir_.file("prefix"), share = prefix + "/share/korvale";
  fs::create_directories(prefix + "/bin");
  fs::create_directories(share);
  for (const char* name : {"Zelmorth.Pat", "Zelmorth.Sym", "VESK.ERR"})
    fs::copy_file(bin + "/" + name, share + "/" + name);
  const std::string installed = prefix + "/bin/korvale-render";
  fs::copy_file(program_, installed);
  testfiles::ScopedEnv home("HOME", dir_.file("home").c_str());
  testfiles::ScopedEnv config("XDG_CONFIG_HOME", dir_.file("cfg").c_str());
  // The viewer's system settings record naming a pattern library.
  auto settings = [](const std::string& path, const std::string& patterns) {
    std::string record(3488, '\0');
    std::memcpy(record.data() + 1566, patterns.data(), patterns.size());
    fs::create_directories(fs::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << record;
  };
  auto missing = [](const CliRun& r, const std::string& library) {
    return r.err.find("File Name = " + library) != std::string::npos;
  };

  CliRun r = Run(installed, info);
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_FALSE(missing(r, "")) << "the bundled libraries are found: " << r.err;

  const std::string viewers = dir_.file("cfg/korvale/korvale.Cn2");
  settings(viewers, "/nowhere/chosen.Pat");
  const auto before = fs::last_write_time(viewers);
  EXPECT_TRUE(missing(Run(installed, info), "/nowhere/chosen.Pat"));
  EXPECT_EQ(fs::last_write_time(viewers), before);
  const QStringList chosen = {"--patterns", QString::fromStdString(share + "/Zelmorth.Pat")};
  EXPECT_FALSE(missing(Run(installed, chosen + info), "")) << "--patterns wins";

  // Portable: the settings file beside the executable is the viewer's.
  const std::string portable = dir_.file("portable");
  fs::create_directories(portable);
  for (const char* name : {"korvale-render", "Zelmorth.Pat", "Zelmorth.Sym", "VESK.ERR"})
    fs::copy_file(bin + "/" + name, portable + "/" + name);
  settings(portable + "/korvale.Cn2", "/nowhere/portable.Pat");
  EXPECT_TRUE(missing(Run(portable + "/korvale-render", info), "/nowhere/portable.Pat"));
}

TEST_F(RenderCli, HelpAndVersionGoToStandardOutput) {
  CliRun r = Render({"--help"});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  EXPECT_EQ(r.out.rfind("usage: korvale-render", 0), 0u) << r.out;
  EXPECT_NE(r.out.find("--thumbnail"), std::string::npos);
  r = Render({"--version"});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  const std::string stored = testfiles::StoredVersion(program_);
  ASSERT_FALSE(stored.empty());
  EXPECT_EQ(r.out, "korvale-render " + stored + "\n");
}

// The thumbnailer's call: the first page scaled to fit the size, written as
// PNG whatever the output's name; the log given as a path or a file:// URI.
TEST_F(RenderCli, ThumbnailFitsTheFirstPageIntoTheSize) {
  QDir(QString::fromStdString(dir_.path())).mkdir("a folder");
  const QString log = Log("a folder/well.tfl", Header(), [](tfl::TflWriter& w) {
    tfl::VectorRecord v{};  // lines across the first page and down its right side
    v.x1 = 0, v.y1 = 2400, v.x2 = 800, v.y2 = 2400;
    w.write(v);
    v.x1 = 800, v.y1 = 2600, v.x2 = 800, v.y2 = 1600;
    w.write(v);
  });
  CliRun r = Render({"--thumbnail", "-s", "128", log, "thumb.png"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  const QImage small(QString::fromStdString(dir_.file("thumb.png")));
  // 8.5 x 11 inches into 128 pixels: 128 high, 99 wide.
  EXPECT_EQ(small.height(), 128);
  EXPECT_NEAR(small.width(), 99, 1);

  const QString uri = QUrl::fromLocalFile(log).toString(QUrl::FullyEncoded);
  ASSERT_TRUE(uri.contains("%20")) << uri.toStdString();
  r = Render({"--thumbnail", "--size", "256", uri, "gnome-thumb-XXXX"});
  ASSERT_EQ(r.exit_code, 0) << r.err;
  const QImage big(QString::fromStdString(dir_.file("gnome-thumb-XXXX")), "PNG");
  ASSERT_EQ(big.height(), 256);
  EXPECT_NEAR(big.width(), 198, 1);
  // The line across at 2.1 inches (row 48 of 256) and the one down at 8.3
  // inches (column 194 of 198); blank paper below the first page's lines.
  auto dark = [&big](int x, int y) { return qGray(big.pixel(x, y)) < 224; };
  bool across = false, down = false;
  for (int y = 40; y < 56; ++y) across = across || dark(100, y);
  for (int x = 185; x < big.width(); ++x) down = down || dark(x, 100);
  EXPECT_TRUE(across && down);
  EXPECT_FALSE(dark(100, 200));

  // A URI's escapes stand for bytes: a Latin-1 name is found. Another host,
  // a query or an escaped NUL is no local file.
  std::filesystem::create_directory(dir_.file("caf\xe9"));
  std::filesystem::copy_file(log.toStdString(), dir_.file("caf\xe9/well.tfl"));
  const QString latin1 = "file://" + QString::fromStdString(dir_.path()) + "/caf%E9/well.tfl";
  r = Render({"--thumbnail", latin1, "latin1.png"});
  EXPECT_EQ(r.exit_code, 0) << r.err;
  for (const QString& uri : {"file://server" + QString::fromStdString(dir_.path()) + "/x.tfl",
                             uri + "?x", latin1 + "%00.png"})
    EXPECT_EQ(Render({"--thumbnail", uri, "no.png"}).exit_code, 2) << uri.toStdString();
}
