#include "PrivatePrintSystem.h"

#include <cups/cups.h>
#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <spawn.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;

extern char** environ;

namespace printsystem {
namespace {

PrivatePrintSystem* g_current = nullptr;

// What Debian installs: the scheduler, the backend (run by the scheduler as
// root), its settings file (read from this fixed place only) and the queue's
// driver description.
constexpr const char* kScheduler = "/usr/sbin/cupsd";
constexpr const char* kBackend = "/usr/lib/cups/backend/cups-pdf";
constexpr const char* kBackendSettings = "/etc/cups/cups-pdf.conf";
constexpr const char* kQueuePpd = "/usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd";
// The user and group the scheduler runs its filters as.
constexpr const char* kFilterUser = "lp";

// The print system's tools: lpadmin and cupsdisable live in sbin.
std::string FindTool(const std::string& name) {
  for (const char* dir : {"/usr/sbin", "/usr/bin", "/sbin", "/bin"}) {
    const std::string path = std::string(dir) + "/" + name;
    if (access(path.c_str(), X_OK) == 0) return path;
  }
  return {};
}

bool WriteText(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::trunc);
  out << text;
  return static_cast<bool>(out);
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Whether something accepts connections on the socket at path.
bool Answers(const std::string& path) {
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
  const bool ok = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  close(fd);
  return ok;
}

// The mount namespace a process lives in ("mnt:[4026532...]"), "" when gone.
std::string MountNamespaceOf(pid_t pid) {
  std::error_code ec;
  const fs::path link = fs::read_symlink("/proc/" + std::to_string(pid) + "/ns/mnt", ec);
  return ec ? std::string() : link.string();
}

// Kills every process of the mount namespace `ns` and waits (a while) until
// none is left.
void EndProcessesIn(const std::string& ns) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < deadline) {
    bool any = false;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator("/proc", ec)) {
      const std::string name = entry.path().filename().string();
      if (name.find_first_not_of("0123456789") != std::string::npos) continue;
      const pid_t pid = static_cast<pid_t>(std::stol(name));
      if (MountNamespaceOf(pid) != ns) continue;
      any = true;
      kill(pid, SIGKILL);
    }
    if (!any) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

}  // namespace

PrivatePrintSystem* Current() { return g_current; }
void SetCurrent(PrivatePrintSystem* system) { g_current = system; }

std::unique_ptr<PrivatePrintSystem> PrivatePrintSystem::Start() {
  std::unique_ptr<PrivatePrintSystem> system(new PrivatePrintSystem);
  std::string& why = system->whyNot_;
  if (access(kScheduler, X_OK) != 0) {
    why = "no CUPS scheduler (install cups: scripts/install-deps)";
  } else if (access(kBackend, F_OK) != 0 || access(kBackendSettings, F_OK) != 0) {
    why = "no cups-pdf backend (install printer-driver-cups-pdf: scripts/install-deps)";
  } else if (FindTool("lpadmin").empty() || FindTool("cupsdisable").empty() ||
             FindTool("cupsreject").empty()) {
    why = "no CUPS tools (install cups-client: scripts/install-deps)";
  } else if (geteuid() != 0) {
    why = "not running as root: the cups-pdf backend runs only under a scheduler started as "
          "root, and its private settings need a mount namespace";
  } else if (!getgrnam(kFilterUser)) {
    why = std::string("no group ") + kFilterUser + " for the scheduler's filters";
  }
  if (!why.empty() || !system->MakeFolders()) return system;

  // Nothing in this process reaches the machine's scheduler, its client
  // settings or the user's choice of default printer.
  setenv("CUPS_SERVER", (system->folder_ + "/cups.sock").c_str(), 1);
  setenv("CUPS_SERVERROOT", (system->folder_ + "/etc").c_str(), 1);
  setenv("HOME", (system->folder_ + "/home").c_str(), 1);
  unsetenv("LPDEST");
  unsetenv("PRINTER");
  unsetenv("CUPS_USER");

  if (system->StartScheduler() && !system->AddQueue()) {
    system->whyNot_ = "the queue could not be added: " + system->lastOutput_;
    kill(system->pid_, SIGTERM);
    waitpid(system->pid_, nullptr, 0);
    system->pid_ = -1;
  }
  return system;
}

PrivatePrintSystem::~PrivatePrintSystem() {
  if (pid_ > 0) {
    RunTool("cancel", {"-a", "-x"});
    const std::string ns = MountNamespaceOf(pid_);
    kill(pid_, SIGTERM);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (waitpid(pid_, nullptr, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() > deadline) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    // A filter or backend of a job may outlive the scheduler for a moment,
    // still writing into the folder: every process of its mount namespace is
    // one of them.
    if (!ns.empty()) EndProcessesIn(ns);
  }
  if (!folder_.empty()) {
    std::error_code ec;
    for (int attempt = 0; attempt < 3 && fs::exists(folder_); ++attempt) {
      if (attempt) std::this_thread::sleep_for(std::chrono::milliseconds(200));
      fs::remove_all(folder_, ec);
    }
  }
}

bool PrivatePrintSystem::MakeFolders() {
  std::string templ = (fs::temp_directory_path() / "korvale-cups-XXXXXX").string();
  if (!mkdtemp(templ.data())) {
    whyNot_ = "no temporary folder: " + std::string(std::strerror(errno));
    return false;
  }
  folder_ = templ;
  if ((folder_ + "/cups.sock").size() >= sizeof(sockaddr_un{}.sun_path)) {
    whyNot_ = "the temporary folder's path is too long for a socket: " + folder_;
    return false;
  }
  // The scheduler's filters run as lp: they pass through the folder (not
  // list it) to their spool and temporary folders.
  chmod(folder_.c_str(), 0711);
  const std::string f = folder_;
  for (const char* sub : {"etc", "spool", "tmp", "cache", "state", "log", "ssl", "out", "home"})
    fs::create_directories(f + "/" + sub);
  const group* lp = getgrnam(kFilterUser);
  if (chown((f + "/tmp").c_str(), 0, lp->gr_gid) != 0 || chmod((f + "/tmp").c_str(), 01770) != 0) {
    whyNot_ = "cannot hand the scheduler's temporary folder to its filters";
    return false;
  }

  const bool written =
      WriteText(f + "/etc/cups-files.conf",
                "ServerRoot " + f + "/etc\n"
                "ServerBin /usr/lib/cups\n"
                "DataDir /usr/share/cups\n"
                "DocumentRoot /usr/share/cups/doc-root\n"
                "RequestRoot " + f + "/spool\n"
                "TempDir " + f + "/tmp\n"
                "CacheDir " + f + "/cache\n"
                "StateDir " + f + "/state\n"
                "ServerKeychain " + f + "/ssl\n"
                "CreateSelfSignedCerts no\n"
                "Printcap " + f + "/state/printcap\n"
                "AccessLog " + f + "/log/access_log\n"
                "ErrorLog " + f + "/log/error_log\n"
                "PageLog " + f + "/log/page_log\n"
                "FileDevice No\n"
                "SystemGroup root\n"
                "User " + kFilterUser + "\n"
                "Group " + kFilterUser + "\n") &&
      // Only the socket in the folder; no network, no sharing, no
      // authentication (nobody else can reach the socket's folder). A job
      // whose backend fails ends at once instead of waiting to be retried.
      WriteText(f + "/etc/cupsd.conf",
                "Listen " + f + "/cups.sock\n"
                "Browsing No\n"
                "BrowseLocalProtocols none\n"
                "DefaultShared No\n"
                "WebInterface No\n"
                "DefaultAuthType None\n"
                "ErrorPolicy abort-job\n"
                "PreserveJobHistory Yes\n"
                "PreserveJobFiles No\n"
                "MaxLogSize 0\n"
                "LogLevel info\n"
                "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                "<Policy default>\n  <Limit All>\n    Order deny,allow\n  </Limit>\n</Policy>\n") &&
      // The backend's settings: output, spool, Ghostscript's temporary files
      // and log in the folder.
      WriteText(f + "/cups-pdf.conf",
                "Out " + f + "/out\n"
                "AnonDirName " + f + "/out\n"
                "Spool " + f + "/pdfspool\n"
                "GSTmp " + f + "/pdfspool\n"
                "Log " + f + "/pdflog\n"
                "Grp root\n"
                "LogType 3\n");
  if (!written) {
    whyNot_ = "cannot write the scheduler's settings in " + f;
    return false;
  }
  return true;
}

bool PrivatePrintSystem::StartScheduler() {
  int report[2];
  if (pipe2(report, O_CLOEXEC) != 0) {
    whyNot_ = "pipe: " + std::string(std::strerror(errno));
    return false;
  }
  const std::string settings = folder_ + "/cups-pdf.conf";
  const std::string conf = folder_ + "/etc/cupsd.conf";
  const std::string files = folder_ + "/etc/cups-files.conf";
  const std::string output = folder_ + "/log/cupsd.out";
  const pid_t pid = fork();
  if (pid < 0) {
    whyNot_ = "fork: " + std::string(std::strerror(errno));
    return false;
  }
  if (pid == 0) {
    close(report[0]);
    auto fail = [&](const char* step) {
      const std::string text = std::string(step) + ": " + std::strerror(errno);
      (void)!write(report[1], text.data(), text.size());
      _exit(127);
    };
    // The scheduler ends with the test program, also when that crashes.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    // Its own view of the file systems: the backend's settings file is the
    // private one there, and there alone.
    if (unshare(CLONE_NEWNS) != 0) fail("no mount namespace of its own (unshare)");
    if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
      fail("cannot make its mounts private");
    if (mount(settings.c_str(), kBackendSettings, nullptr, MS_BIND, nullptr) != 0)
      fail("cannot give the cups-pdf backend its own settings (bind mount)");
    const int out = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int in = open("/dev/null", O_RDONLY);
    if (out < 0 || in < 0) fail("cannot open the scheduler's output");
    dup2(in, 0);
    dup2(out, 1);
    dup2(out, 2);
    execl(kScheduler, "cupsd", "-f", "-c", conf.c_str(), "-s", files.c_str(),
          static_cast<char*>(nullptr));
    fail("cannot run cupsd");
  }
  close(report[1]);
  std::string failure;
  char buffer[512];
  ssize_t n;
  while ((n = read(report[0], buffer, sizeof buffer)) > 0) failure.append(buffer, n);
  close(report[0]);
  if (!failure.empty()) {
    waitpid(pid, nullptr, 0);
    whyNot_ = "the scheduler could not start: " + failure;
    return false;
  }
  pid_ = pid;
  const std::string socket = folder_ + "/cups.sock";
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (!Answers(socket)) {
    if (waitpid(pid_, nullptr, WNOHANG) == pid_ || std::chrono::steady_clock::now() > deadline) {
      whyNot_ = "the scheduler did not come up: " + ReadText(output) + LogTail();
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
      pid_ = -1;
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

bool PrivatePrintSystem::RunTool(const std::string& tool, const std::vector<std::string>& args) {
  const std::string path = FindTool(tool);
  const std::string output = folder_ + "/log/tool.out";
  std::vector<std::string> words{tool};
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0600);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  pid_t pid = 0;
  int status = -1;
  const bool started =
      !path.empty() &&
      posix_spawn(&pid, path.c_str(), &actions, nullptr, argv.data(), environ) == 0;
  posix_spawn_file_actions_destroy(&actions);
  if (started) waitpid(pid, &status, 0);
  lastOutput_ = tool + ": " + (started ? ReadText(output) : "cannot run");
  return started && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool PrivatePrintSystem::AddQueue() {
  // The queue of a machine where printer-driver-cups-pdf set it up: the
  // cups-pdf backend with its own driver description (A4 by default).
  return RunTool("lpadmin",
                 {"-p", queue_, "-E", "-v", "cups-pdf:/", "-P", kQueuePpd, "-D", "PDF files"}) &&
         RunTool("lpadmin", {"-d", queue_});
}

bool PrivatePrintSystem::Reset() {
  if (!running()) return false;
  RunTool("cancel", {"-a", "-x"});
  RunTool("lpadmin", {"-x", queue_});
  if (!AddQueue()) {
    whyNot_ = "the queue could not be added: " + lastOutput_;
    return false;
  }
  for (const std::string& file : OutputFiles()) fs::remove(file);
  firstJob_ = 0;
  for (const Job& job : Jobs()) firstJob_ = std::max(firstJob_, job.id);
  ++firstJob_;
  return true;
}

bool PrivatePrintSystem::RemoveQueue() { return RunTool("lpadmin", {"-x", queue_}); }
bool PrivatePrintSystem::StopQueue() { return RunTool("cupsdisable", {queue_}); }
bool PrivatePrintSystem::RejectJobs() { return RunTool("cupsreject", {queue_}); }
bool PrivatePrintSystem::SetDefaultPageSize(const std::string& size) {
  return RunTool("lpadmin", {"-p", queue_, "-o", "PageSize=" + size});
}

std::vector<Job> PrivatePrintSystem::Jobs() const {
  std::vector<Job> list;
  cups_job_t* jobs = nullptr;
  const int count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, nullptr, 0, CUPS_WHICHJOBS_ALL);
  for (int i = 0; i < count; ++i)
    if (jobs[i].id >= firstJob_)
      list.push_back({jobs[i].id, jobs[i].state, jobs[i].title ? jobs[i].title : ""});
  cupsFreeJobs(count, jobs);
  std::sort(list.begin(), list.end(), [](const Job& a, const Job& b) { return a.id < b.id; });
  return list;
}

bool PrivatePrintSystem::WaitForJobsToEnd(size_t count, int seconds) const {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (std::chrono::steady_clock::now() < deadline) {
    const std::vector<Job> jobs = Jobs();
    if (jobs.size() >= count && std::all_of(jobs.begin(), jobs.end(), [](const Job& job) {
          return job.state >= IPP_JSTATE_CANCELED;
        }))
      return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  return false;
}

std::vector<std::string> PrivatePrintSystem::OutputFiles() const {
  std::vector<std::string> files;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(folder_ + "/out", ec))
    if (entry.path().extension() == ".pdf") files.push_back(entry.path().string());
  std::sort(files.begin(), files.end());
  return files;
}

std::string PrivatePrintSystem::LogTail() const {
  const std::string log = ReadText(folder_ + "/log/error_log");
  const size_t from = log.size() > 3000 ? log.rfind('\n', log.size() - 3000) : 0;
  return log.substr(from == std::string::npos ? 0 : from);
}

}  // namespace printsystem
