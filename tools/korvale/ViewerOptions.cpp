#include "ViewerOptions.h"

#include <algorithm>
#include <array>
#include <string_view>

const char* const kViewerUsage =
    "usage: korvale [LOG.tfl]\n"
    "       korvale --help | --version\n"
    "Shows a compiled well log (.tfl) one page at a time; without LOG.tfl the\n"
    "window starts empty.\n"
    "  -h, --help     print this help and exit\n"
    "  --version      print the version and exit\n"
    "Qt's options (-platform NAME, -style NAME, -display DISPLAY, ...) are taken\n"
    "as every Qt program takes them.\n";

namespace {

// Options of QGuiApplication and QApplication, written with one or two
// dashes; those in the first list take a value (the next argument, or after
// "=").
constexpr std::array<std::string_view, 12> kQtOptionsWithValue = {
    "platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry", "qwindowicon",
    "qwindowtitle", "session", "display", "geometry", "style", "stylesheet"};
constexpr std::array<std::string_view, 5> kQtFlags = {"reverse", "widgetcount", "nograb", "dograb",
                                                      "qmljsdebugger"};

template <std::size_t N>
bool Among(const std::array<std::string_view, N>& names, std::string_view name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

}  // namespace

ViewerOptions ParseViewerOptions(const std::vector<std::string>& args) {
  ViewerOptions o;
  auto fail = [&o](std::string reason) {
    o.action = ViewerOptions::Action::UsageError;
    o.error = std::move(reason);
    return o;
  };
  bool options_end = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (!options_end && a.size() > 1 && a[0] == '-') {
      if (a == "--") {
        options_end = true;
        continue;
      }
      if (a == "-h" || a == "--help") {
        o.action = ViewerOptions::Action::Help;
        return o;
      }
      if (a == "--version") {
        o.action = ViewerOptions::Action::Version;
        return o;
      }
      std::string_view name(a);
      name.remove_prefix(name.starts_with("--") ? 2 : 1);
      const std::size_t equals = name.find('=');
      const bool has_value = equals != std::string_view::npos;
      if (has_value) name = name.substr(0, equals);
      if (Among(kQtOptionsWithValue, name)) {
        if (!has_value && ++i >= args.size()) return fail(a + " needs a value");
        continue;
      }
      if (Among(kQtFlags, name)) continue;
      return fail("unknown option " + a);
    }
    if (!o.log.empty()) return fail("only one log file may be given");
    o.log = a;
  }
  return o;
}
