// From launch to the first page on the screen, under a real X server: the
// program is started as a user starts it (build/bin/korvale on the demo log)
// and the screen is read back from the X server until it shows what it shows
// when everything has settled. The time is that of the first screenshot that
// already looks like the settled screen (within 2% of the change the program
// made to the screen). No hooks in the program: the screenshots see what a
// user would see.
//
//   xvfb-run -a -s "-screen 0 1280x1024x24" build/bench/bench_first_page [--rounds N]
//
// KORVALE_BENCH_OTHER="mupdf demo.pdf" measures another program the same way
// in the same run (several: separated by ";"), all taking turns, to compare with a general viewer on
// the same pages (korvale-render --all -o demo.pdf build/bin/sample.tfl
// makes the PDF). It prints the quantiles of each program's times. Without
// an X server the benchmark says so and measures nothing.
#include <xcb/xcb.h>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// Every kStep-th pixel of every kStep-th row: enough to see a page appear,
// small enough to keep a few hundred screenshots.
constexpr int kStep = 4;
// The screen counts as settled when it has not changed for this long.
constexpr auto kSettled = std::chrono::milliseconds(1500);
constexpr auto kLongest = std::chrono::seconds(15);

struct Screen {
  xcb_connection_t* connection = nullptr;
  xcb_window_t root = 0;
  int width = 0, height = 0;
};

Screen g_screen;

using Frame = std::vector<uint32_t>;

Frame Grab() {
  const Screen& s = g_screen;
  const auto cookie = xcb_get_image(s.connection, XCB_IMAGE_FORMAT_Z_PIXMAP, s.root, 0, 0,
                                    static_cast<uint16_t>(s.width),
                                    static_cast<uint16_t>(s.height), ~0u);
  std::unique_ptr<xcb_get_image_reply_t, decltype(&std::free)> reply(
      xcb_get_image_reply(s.connection, cookie, nullptr), &std::free);
  Frame frame;
  if (!reply) return frame;
  const auto* data = xcb_get_image_data(reply.get());
  const int length = xcb_get_image_data_length(reply.get());
  const int stride = length / s.height;
  const int bytes = stride / s.width;  // 4 at depth 24 and 32
  if (bytes < 3) return frame;
  frame.reserve(static_cast<size_t>(s.width / kStep + 1) * (s.height / kStep + 1));
  for (int y = 0; y < s.height; y += kStep)
    for (int x = 0; x < s.width; x += kStep) {
      const uint8_t* p = data + y * stride + x * bytes;
      frame.push_back(uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16);
    }
  return frame;
}

size_t Differing(const Frame& a, const Frame& b) {
  if (a.size() != b.size()) return std::max(a.size(), b.size());
  size_t n = 0;
  for (size_t i = 0; i < a.size(); ++i) n += a[i] != b[i];
  return n;
}

// KORVALE_BENCH_SHOTS=DIR: the screenshots the time is read from (the first
// like the settled screen, and the settled one) as PPM files, to check what
// was taken for the page.
void Keep(const Frame& frame, const std::string& name) {
  const char* dir = std::getenv("KORVALE_BENCH_SHOTS");
  if (!dir || !*dir) return;
  const int width = (g_screen.width + kStep - 1) / kStep;
  const int height = static_cast<int>(frame.size()) / width;
  std::FILE* out = std::fopen((std::string(dir) + "/" + name + ".ppm").c_str(), "wb");
  if (!out) return;
  std::fprintf(out, "P6\n%d %d\n255\n", width, height);
  for (const uint32_t p : frame) {
    const unsigned char rgb[3] = {static_cast<unsigned char>(p >> 16),
                                  static_cast<unsigned char>(p >> 8),
                                  static_cast<unsigned char>(p)};
    std::fwrite(rgb, 1, 3, out);
  }
  std::fclose(out);
}

std::vector<std::string> Words(const std::string& command) {
  std::istringstream in(command);
  std::vector<std::string> words;
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

// Starts `command`, follows the screen until it settles and returns the
// seconds from the start to the first screenshot like the settled one
// (negative when the program changed nothing on the screen).
double TimeToSettledScreen(const std::vector<std::string>& command) {
  const Frame before = Grab();
  std::vector<char*> argv;
  for (const std::string& w : command) argv.push_back(const_cast<char*>(w.c_str()));
  argv.push_back(nullptr);
  struct Shot {
    Clock::time_point at;
    Frame frame;
  };
  std::vector<Shot> shots;
  const auto start = Clock::now();
  pid_t child = 0;
  if (posix_spawnp(&child, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
  auto lastChange = start;
  while (Clock::now() - start < kLongest) {
    Frame frame = Grab();
    const auto at = Clock::now();
    const Frame& previous = shots.empty() ? before : shots.back().frame;
    const bool changed = Differing(frame, previous) != 0;
    if (changed) lastChange = at;
    shots.push_back({at, std::move(frame)});
    if (Differing(shots.back().frame, before) != 0 && at - lastChange > kSettled) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  kill(child, SIGTERM);
  int status = 0;
  waitpid(child, &status, 0);
  const Frame& settled = shots.back().frame;
  const size_t change = Differing(before, settled);
  if (change == 0) return -1;
  const std::string name = std::filesystem::path(command.front()).filename().string();
  Keep(settled, name + "-settled");
  // KORVALE_BENCH_TRACE=1: every change of the screen on stderr, to see
  // what the time goes to (the window, the status window, the page).
  if (const char* trace = std::getenv("KORVALE_BENCH_TRACE"); trace && *trace == '1') {
    const Frame* previous = &before;
    for (const Shot& shot : shots) {
      const size_t moved = Differing(shot.frame, *previous);
      if (moved)
        std::fprintf(stderr, "%s %7.1f ms: %zu samples changed, %zu from the settled screen\n",
                     name.c_str(), std::chrono::duration<double, std::milli>(shot.at - start).count(),
                     moved, Differing(shot.frame, settled));
      previous = &shot.frame;
    }
  }
  for (const Shot& shot : shots)
    if (Differing(shot.frame, settled) * 50 <= change) {
      Keep(shot.frame, name + "-first");
      return std::chrono::duration<double>(shot.at - start).count();
    }
  return -1;
}

struct Program {
  std::string name;
  std::vector<std::string> command;
  std::vector<double> seconds;
};

double Quantile(std::vector<double> v, double q) {
  std::sort(v.begin(), v.end());
  const double at = q * static_cast<double>(v.size() - 1);
  const size_t below = static_cast<size_t>(at);
  if (below + 1 >= v.size()) return v.back();
  return v[below] + (v[below + 1] - v[below]) * (at - static_cast<double>(below));
}

}  // namespace

int main(int argc, char** argv) {
  int number = 0;
  g_screen.connection = xcb_connect(nullptr, &number);
  if (!g_screen.connection || xcb_connection_has_error(g_screen.connection)) {
    std::fprintf(stderr,
                 "bench_first_page needs an X server: xvfb-run -a -s \"-screen 0 1280x1024x24\" "
                 "%s\n",
                 argv[0]);
    return 0;
  }
  xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(g_screen.connection));
  for (int i = 0; i < number && it.rem; ++i) xcb_screen_next(&it);
  g_screen.root = it.data->root;
  g_screen.width = it.data->width_in_pixels;
  g_screen.height = it.data->height_in_pixels;

  // The program as a user starts it, with settings of its own: the program
  // folder's settings files, a home of this benchmark (recent logs, the
  // page each log was left at).
  const std::filesystem::path home = std::filesystem::temp_directory_path() / "bench_first_page";
  // Every run from the same user settings: none (no page panel, no page
  // remembered), the settings files of the program folder aside.
  std::filesystem::remove_all(home);
  std::filesystem::create_directories(home);
  setenv("HOME", home.c_str(), 1);
  setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
  const std::filesystem::path runtime = home / "runtime";
  std::filesystem::create_directories(runtime);
  std::filesystem::permissions(runtime, std::filesystem::perms::owner_all);
  setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
  unsetenv("QT_QPA_PLATFORM");
  const std::string bin = KORVALE_BIN_DIR;
  // A start as on any day but the first: the settings files are there (a
  // first start without them asks about the printer's page first).
  {
    setenv("KORVALE_START_COMMANDS", "close", 1);
    std::string program = bin + "/korvale";
    char* once[] = {program.data(), nullptr};
    pid_t child = 0;
    int status = 0;
    if (posix_spawn(&child, once[0], nullptr, nullptr, once, environ) == 0)
      waitpid(child, &status, 0);
    unsetenv("KORVALE_START_COMMANDS");
  }
  std::vector<Program> programs;
  programs.push_back({"korvale", {bin + "/korvale", bin + "/sample.tfl"}, {}});
  if (const char* others = std::getenv("KORVALE_BENCH_OTHER")) {
    std::istringstream list(others);
    for (std::string other; std::getline(list, other, ';');) {
      const auto command = Words(other);
      if (command.empty()) continue;
      programs.push_back({std::filesystem::path(command.front()).filename().string(), command, {}});
    }
  }
  // The programs take turns, so that a change in the machine's load falls on
  // all of them alike.
  int rounds = 9;
  for (int i = 1; i + 1 < argc; ++i)
    if (std::string(argv[i]) == "--rounds") rounds = std::max(1, std::atoi(argv[i + 1]));
  for (int round = 0; round < rounds; ++round)
    for (Program& p : programs) {
      const double seconds = TimeToSettledScreen(p.command);
      if (seconds < 0) {
        std::fprintf(stderr, "%s changed nothing on the screen\n", p.name.c_str());
        return 1;
      }
      p.seconds.push_back(seconds);
      // The screen as it was before the next start.
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
    }
  std::printf("%-24s %6s %8s %8s %8s %8s %8s\n", "launch to first page", "runs", "min ms",
              "p25 ms", "median", "p75 ms", "max ms");
  for (const Program& p : programs)
    std::printf("%-24s %6zu %8.0f %8.0f %8.0f %8.0f %8.0f\n", p.name.c_str(), p.seconds.size(),
                1000 * Quantile(p.seconds, 0), 1000 * Quantile(p.seconds, 0.25),
                1000 * Quantile(p.seconds, 0.5), 1000 * Quantile(p.seconds, 0.75),
                1000 * Quantile(p.seconds, 1));
  xcb_disconnect(g_screen.connection);
  return 0;
}
