#include "viewer/RecentLogs.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QStringList>
#include <algorithm>
#include <filesystem>
#include <map>
#include <system_error>

#include "platform/MessageBox.h"
#include "support/PlainSettingsFile.h"
#include "viewer/ViewerSettings.h"

namespace viewer {
namespace {

const QString kKey = QStringLiteral("RecentLogs");

void Store(const QStringList& list) {
  TViewerSettings settings;
  if (!IsPlainSettingsFile(settings.fileName())) return;  // not ours to rewrite
  if (list.isEmpty())
    settings.remove(kKey);
  else
    settings.setValue(kKey, list);
}

QStringList Stored() {
  TViewerSettings settings;
  return ReadRecentLogs(settings);
}

QString Accelerator(int number) {
  const QString digits = QString::number(number);
  return digits.left(digits.size() - 1) + '&' + digits.right(1);
}

QString FolderText(const QString& path) {
  const QString folder = QFileInfo(path).absolutePath();
  const QString home = QDir::homePath();
  if (folder == home) return QStringLiteral("~");
  if (folder.startsWith(home + '/')) return '~' + folder.mid(home.size());
  return folder;
}

}  // namespace

QStringList ReadRecentLogs(QSettings& settings) {
  if (!IsPlainSettingsFile(settings.fileName())) return {};
  const QStringList stored = settings.value(kKey).toStringList();
  QStringList list;
  for (qsizetype i = 0; i < stored.size() && i < kRecentLogsRead && list.size() < kRecentLogCount;
       ++i)
    if (IsStorableLogPath(stored[i]) && !list.contains(stored[i])) list.append(stored[i]);
  return list;
}

std::vector<std::string> RecentLogs() {
  std::vector<std::string> paths;
  for (const QString& p : Stored()) paths.push_back(p.toStdString());
  return paths;
}

void AddRecentLog(const std::string& path) {
  QStringList list = Stored();
  const QString entry = QString::fromStdString(path);
  list.removeAll(entry);
  list.prepend(entry);
  while (list.size() > kRecentLogCount) list.removeLast();
  Store(list);
}

void RemoveRecentLog(const std::string& path) {
  QStringList list = Stored();
  list.removeAll(QString::fromStdString(path));
  Store(list);
}

void ClearRecentLogs() { Store({}); }

std::vector<RecentEntry> RecentMenuEntries(const std::vector<std::string>& paths) {
  std::map<QString, int> names;
  for (const std::string& p : paths) ++names[QFileInfo(QString::fromStdString(p)).fileName()];
  std::vector<RecentEntry> entries;
  int number = 0;
  for (const std::string& p : paths) {
    const QString path = QString::fromStdString(p);
    const QString name = QFileInfo(path).fileName();
    QString text = name;
    if (names[name] > 1) text += " (" + FolderText(path) + ')';
    text.replace('&', QStringLiteral("&&"));
    entries.push_back({Accelerator(++number) + ' ' + text, path, p});
  }
  return entries;
}

void FillRecentMenu(QMenu* menu, const std::function<void(const std::string&)>& open) {
  menu->clear();
  menu->setToolTipsVisible(true);
  const auto entries = RecentMenuEntries(RecentLogs());
  for (const RecentEntry& entry : entries) {
    QAction* action = menu->addAction(entry.text);
    action->setToolTip(entry.tip);
    action->setStatusTip(entry.tip);
    QObject::connect(action, &QAction::triggered, menu, [open, path = entry.path] { open(path); });
  }
  if (!entries.empty()) {
    menu->addSeparator();
    menu->addAction(QStringLiteral("&Clear List"), menu, [] { ClearRecentLogs(); });
  }
  menu->menuAction()->setEnabled(!entries.empty());
}

bool DropMissingRecentLog(const std::string& path) {
  std::error_code error;
  if (std::filesystem::status(path, error).type() != std::filesystem::file_type::not_found)
    return false;
  RemoveRecentLog(path);
  platform::ShowMessageBox(platform::BoxKind::Warning,
                           path + " no longer exists and was removed from the list of recent "
                                  "logs.");
  return true;
}

}  // namespace viewer
