#include "RenderOptions.h"

#include <QByteArray>
#include <QString>

#include <algorithm>
#include <cctype>
#include <charconv>

#include "devices/PageExport.h"
#include <cmath>

const char* const kRenderUsage =
    "usage: korvale-render [--dpi D] [--page N | --pages A-B | --all] [--patterns FILE]\n"
    "                      [--symbols FILE] [-o OUT.png|OUT.pdf|OUT.svg] LOG.tfl\n"
    "       korvale-render --info [--dpi D] LOG.tfl\n"
    "       korvale-render --depth-at ROW [--elevation] [--page N] [--dpi D] LOG.tfl\n"
    "       korvale-render --trace [--page N] [--dpi D] LOG.tfl\n"
    "       korvale-render --find TEXT [--dpi D] LOG.tfl\n"
    "       korvale-render --thumbnail [-s SIZE] LOG.tfl OUT.png\n"
    "       korvale-render --help | --version\n"
    "OUT.png and OUT.svg (vectors, one file a page) must hold %d (the page\n"
    "number) when several pages are drawn; OUT.pdf holds them all, printed at D\n"
    "dpi (default 600).\n"
    "--thumbnail draws the first page scaled to fit SIZE x SIZE pixels (default\n"
    "256) into OUT.png; LOG.tfl may be a file:// URI.\n"
    "--trace prints every drawing call the log makes for page N (default 1), one\n"
    "a line, with its arguments.\n"
    "--find prints one JSON line for each text of the log that holds TEXT (case\n"
    "ignored): page, depth, x, y, width and height in pixels at D dpi, the text.\n";

namespace {

bool ParseInt(const std::string& text, int32_t& out) {
  const char* begin = text.data();
  const char* end = begin + text.size();
  const auto [ptr, ec] = std::from_chars(begin, end, out);
  return ec == std::errc() && ptr == end && !text.empty();
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool StartsWithNoCase(std::string_view text, std::string_view head) {
  return text.size() >= head.size() &&
         std::equal(head.begin(), head.end(), text.begin(), [](char a, char b) {
           return std::tolower(static_cast<unsigned char>(a)) ==
                  std::tolower(static_cast<unsigned char>(b));
         });
}

bool EndsWithNoCase(const std::string& text, const std::string& tail) {
  if (text.size() < tail.size()) return false;
  return std::equal(tail.begin(), tail.end(), text.end() - tail.size(), [](char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
  });
}

}  // namespace

std::optional<std::string> FileUriPath(std::string_view uri) {
  if (!StartsWithNoCase(uri, "file://")) return std::nullopt;
  uri.remove_prefix(7);
  if (StartsWithNoCase(uri, "localhost/")) uri.remove_prefix(9);
  if (uri.empty() || uri[0] != '/') return std::nullopt;  // another host, or no path
  std::string path;
  path.reserve(uri.size());
  for (size_t i = 0; i < uri.size(); ++i) {
    const char c = uri[i];
    if (c == '?' || c == '#' || c == '\0') return std::nullopt;
    if (c != '%') {
      path += c;
      continue;
    }
    const int high = i + 2 < uri.size() ? HexDigit(uri[i + 1]) : -1;
    const int low = high < 0 ? -1 : HexDigit(uri[i + 2]);
    if (low < 0 || (high == 0 && low == 0)) return std::nullopt;
    path += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return path;
}

std::optional<RenderOptions> ParseRenderOptions(const std::vector<std::string>& args,
                                                std::string& error) {
  RenderOptions o;
  bool range_given = false;
  std::vector<std::string> files;
  auto value = [&](size_t& i, const std::string& name) -> std::optional<std::string> {
    if (i + 1 >= args.size()) {
      error = name + " needs a value";
      return std::nullopt;
    }
    return args[++i];
  };
  auto set_range = [&](RenderOptions::Range r) {
    if (range_given) {
      error = "give only one of --page, --pages and --all";
      return false;
    }
    range_given = true;
    o.range = r;
    return true;
  };
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--dpi") {
      auto v = value(i, a);
      if (!v) return std::nullopt;
      o.dpi_given = true;
      if (!ParseInt(*v, o.dpi) || o.dpi < 1 || o.dpi > 4800) {
        error = "--dpi must be a whole number from 1 to 4800";
        return std::nullopt;
      }
    } else if (a == "--page") {
      auto v = value(i, a);
      if (!v || !set_range(RenderOptions::Range::One)) return std::nullopt;
      if (!ParseInt(*v, o.first_page) || o.first_page < 1) {
        error = "--page must be a page number from 1";
        return std::nullopt;
      }
      o.last_page = o.first_page;
    } else if (a == "--pages") {
      auto v = value(i, a);
      if (!v || !set_range(RenderOptions::Range::Span)) return std::nullopt;
      const size_t dash = v->find('-');
      if (dash == std::string::npos || !ParseInt(v->substr(0, dash), o.first_page) ||
          !ParseInt(v->substr(dash + 1), o.last_page) || o.first_page < 1 ||
          o.last_page < o.first_page) {
        error = "--pages must be A-B with 1 <= A <= B";
        return std::nullopt;
      }
    } else if (a == "--all") {
      if (!set_range(RenderOptions::Range::All)) return std::nullopt;
    } else if (a == "--patterns" || a == "--symbols" || a == "-o") {
      auto v = value(i, a);
      if (!v) return std::nullopt;
      (a == "--patterns" ? o.patterns : a == "--symbols" ? o.symbols : o.output) = *v;
    } else if (a == "--info") {
      o.mode = RenderOptions::Mode::Info;
    } else if (a == "--depth-at") {
      auto v = value(i, a);
      if (!v) return std::nullopt;
      o.mode = RenderOptions::Mode::DepthAt;
      if (!ParseInt(*v, o.depth_row)) {
        error = "--depth-at needs a pixel row";
        return std::nullopt;
      }
    } else if (a == "--trace") {
      o.mode = RenderOptions::Mode::Trace;
    } else if (a == "--find") {
      auto v = value(i, a);
      if (!v) return std::nullopt;
      o.mode = RenderOptions::Mode::Find;
      o.find_text = *v;
      if (QString::fromLocal8Bit(*v).trimmed().isEmpty()) {
        error = "--find needs a text to look for";
        return std::nullopt;
      }
    } else if (a == "--elevation") {
      o.elevation = true;
    } else if (a == "--thumbnail") {
      o.mode = RenderOptions::Mode::Thumbnail;
    } else if (a == "-s" || a == "--size") {
      auto v = value(i, a);
      if (!v) return std::nullopt;
      if (!ParseInt(*v, o.thumbnail_size) || o.thumbnail_size < 1 || o.thumbnail_size > 4096) {
        error = a + " must be a whole number of pixels from 1 to 4096";
        return std::nullopt;
      }
    } else if (a == "-h" || a == "--help" || a == "--version") {
      o.mode = a == "--version" ? RenderOptions::Mode::Version : RenderOptions::Mode::Help;
      return o;
    } else if (a.size() > 1 && a[0] == '-') {
      error = "unknown option " + a;
      return std::nullopt;
    } else if (a.empty()) {
      error = "an empty file name";
      return std::nullopt;
    } else {
      files.push_back(a);
    }
  }
  const bool thumbnail = o.mode == RenderOptions::Mode::Thumbnail;
  if (files.empty()) {
    error = "no log file given";
    return std::nullopt;
  }
  if (files.size() > (thumbnail ? 2u : 1u)) {
    error = "only one log file may be given";
    return std::nullopt;
  }
  o.log = files[0];
  if (thumbnail) {
    if (files.size() < 2) {
      error = "--thumbnail needs the log and the output file";
      return std::nullopt;
    }
    if (range_given || !o.output.empty()) {
      error = "--thumbnail takes no pages and no -o";
      return std::nullopt;
    }
    o.output = files[1];
    if (StartsWithNoCase(o.log, "file://")) {
      const std::optional<std::string> path = FileUriPath(o.log);
      if (!path) {
        error = "not a local file:// URI: " + o.log;
        return std::nullopt;
      }
      o.log = *path;
    }
  }
  if ((o.mode == RenderOptions::Mode::DepthAt || o.mode == RenderOptions::Mode::Trace) &&
      (o.range == RenderOptions::Range::Span || o.range == RenderOptions::Range::All)) {
    error = o.mode == RenderOptions::Mode::Trace ? "--trace takes one --page"
                                                 : "--depth-at takes one --page";
    return std::nullopt;
  }
  if ((o.mode == RenderOptions::Mode::Info || o.mode == RenderOptions::Mode::Find) &&
      range_given) {
    error = o.mode == RenderOptions::Mode::Info ? "--info takes no pages" : "--find takes no pages";
    return std::nullopt;
  }
  return o;
}

std::string ValidateOutput(const RenderOptions& o, int32_t page_count) {
  if (o.output.empty()) return "";
  if (IsPdfOutput(o)) return "";
  if (!EndsWithNoCase(o.output, ".png") && !IsSvgOutput(o))
    return "the output name must end in .png, .pdf or .svg";
  if (page_count > 1 && o.output.find("%d") == std::string::npos)
    return "several pages need %d in the output name (for the page number)";
  return "";
}

bool IsPdfOutput(const RenderOptions& o) { return EndsWithNoCase(o.output, ".pdf"); }

bool IsSvgOutput(const RenderOptions& o) { return EndsWithNoCase(o.output, ".svg"); }

int32_t PdfResolution(const RenderOptions& o) { return o.dpi_given ? o.dpi : 600; }

std::string OutputName(const RenderOptions& o, int32_t page) {
  const std::string number = std::to_string(page);
  if (o.output.empty()) {
    std::string base = o.log;
    const size_t slash = base.find_last_of('/');
    if (slash != std::string::npos) base = base.substr(slash + 1);
    const size_t dot = base.find_last_of('.');
    if (dot != std::string::npos && dot > 0) base = base.substr(0, dot);
    return base + "-p" + number + ".png";
  }
  return PageFileName(o.output, page);
}

int32_t ThumbnailDpi(int32_t size, double width, double length) {
  const double longer = std::max(width, length);
  if (!(longer > 0)) return 96;
  return static_cast<int32_t>(std::clamp(std::ceil(2.0 * size / longer), 1.0, 300.0));
}
