#include "windows/ProgInfo.h"

#include <QApplication>
#include <QDate>
#include <QEvent>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QLocale>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "platform/MessageBox.h"
#include "platform/Shell.h"
#include "support/Paths.h"
#include "support/Settings.h"
#include "windows/CommandGuard.h"
#include "windows/HelpContext.h"
#include "windows/Startup.h"
#include "windows/TextView.h"

namespace {

constexpr int kShellSuccess = 32;  // the shell's results above this mean success
const QColor kVisitedColour(128, 0, 0);

QLabel* CentredLabel(const QString& text, QWidget* parent, int width, int height) {
  auto* label = new QLabel(text, parent);
  label->setAlignment(Qt::AlignCenter);
  label->setFixedSize(width, height);
  return label;
}

QLabel* LinkLabel(const char* text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setCursor(Qt::PointingHandCursor);
  QPalette colours = label->palette();
  colours.setColor(QPalette::WindowText, Qt::blue);
  label->setPalette(colours);
  QFont font = label->font();
  font.setUnderline(true);
  label->setFont(font);
  return label;
}

void MarkVisited(QLabel* label) {
  QPalette colours = label->palette();
  colours.setColor(QPalette::WindowText, kVisitedColour);
  label->setPalette(colours);
}

}  // namespace

std::string RevisionDateText(const std::string& fileName) {
  const QFileInfo info(QString::fromStdString(fileName));
  if (!info.exists()) return {};
  const QDate date = info.lastModified().date();
  const QString text = QLocale::system().monthName(date.month(), QLocale::LongFormat) + " " +
                       QString::asprintf("%02d, %04d", date.day(), date.year());
  return text.toStdString();
}

TProgInfoForm::TProgInfoForm(QWidget* parent) : QDialog(parent) {
  setWindowTitle("About");
  SetHelpContext(this, kHelpContext);
  setWindowFlags(Qt::Dialog | Qt::WindowSystemMenuHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  setFixedSize(632, 388);

  Panel1 = new QFrame(this);
  Panel1->setFrameShape(QFrame::StyledPanel);
  Panel1->setGeometry(3, 3, 364, 382);
  auto* left = new QVBoxLayout(Panel1);
  ProgramIcon = new QLabel(Panel1);
  ProgramIcon->setFixedSize(40, 40);
  ProgramIcon->installEventFilter(this);
  left->addWidget(ProgramIcon, 0, Qt::AlignHCenter);
  ProgramName = CentredLabel("", Panel1, 352, 127);
  ProgramName->setWordWrap(true);
  QFont nameFont = ProgramName->font();
  nameFont.setPointSize(20);
  nameFont.setBold(true);
  ProgramName->setFont(nameFont);
  left->addWidget(ProgramName, 0, Qt::AlignHCenter);
  LegalNotice1 = CentredLabel("Copyright \u00A9 2001 Quelmark Geoscience Software",
                              Panel1, 352, 17);
  LegalNotice2 = CentredLabel("All rights reserved.", Panel1, 352, 17);
  left->addWidget(LegalNotice1, 0, Qt::AlignHCenter);
  left->addWidget(LegalNotice2, 0, Qt::AlignHCenter);
  left->addStretch(1);
  RevisionDate = CentredLabel("Last Revised: ", Panel1, 337, 17);
  Version = CentredLabel("Version: ", Panel1, 337, 17);
  Build = CentredLabel("Build: ", Panel1, 337, 17);
  left->addWidget(RevisionDate, 0, Qt::AlignHCenter);
  left->addWidget(Version, 0, Qt::AlignHCenter);
  left->addWidget(Build, 0, Qt::AlignHCenter);

  Panel2 = new QFrame(this);
  Panel2->setFrameShape(QFrame::StyledPanel);
  Panel2->setGeometry(372, 3, 257, 382);
  auto* right = new QVBoxLayout(Panel2);
  RevisionsButton = new QPushButton("&Revision Information", Panel2);
  connect(RevisionsButton, &QPushButton::clicked, this,
          GuardedSlot(this, &TProgInfoForm::RevisionsButtonClick, "Error in the About box"));
  right->addWidget(RevisionsButton);
  Panel3 = new QFrame(Panel2);
  Panel3->setFrameShape(QFrame::StyledPanel);
  auto* contact = new QVBoxLayout(Panel3);
  for (const char* line : {quelmark::kCompany, quelmark::kStreet, quelmark::kTown, "",
                           quelmark::kPhone, quelmark::kFax, ""}) {
    auto* label = new QLabel(line, Panel3);
    label->setWordWrap(true);
    contact->addWidget(label);
  }
  Email = LinkLabel(quelmark::kEmail, Panel3);
  Email->installEventFilter(this);
  WebSite = LinkLabel(quelmark::kWebSite, Panel3);
  WebSite->installEventFilter(this);
  contact->addWidget(Email);
  contact->addWidget(WebSite);
  contact->addStretch(1);
  right->addWidget(Panel3, 1);
  OkButton = new QPushButton("&Ok", Panel2);
  OkButton->setDefault(true);
  connect(OkButton, &QPushButton::clicked, this, &TProgInfoForm::OkButtonClick);
  right->addWidget(OkButton);

  FormCreate();
}

void TProgInfoForm::FormCreate() {
  const std::string executable = ProgramPath();
  RevisionDate->setText(QString::fromStdString("Last Revised: " + RevisionDateText(executable)));
  int major = 0, minor = 0, release = 0, build = 0;
  std::string versionText;
  GetFileVersion(executable, major, minor, release, build, versionText);
  Version->setText(QString::fromStdString("Version: " + versionText));
  Build->setText(QString::fromStdString("Build: " + std::to_string(build)));
}

void TProgInfoForm::FormActivate() {
  ProgramIcon->setPixmap(QApplication::windowIcon().pixmap(40, 40));
}

void TProgInfoForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  FormActivate();
}

bool TProgInfoForm::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
    RunGuarded("Error in the About box", [&] {
      if (watched == ProgramIcon) ProgramIconClick();
      if (watched == WebSite) WebButtonClick();
      if (watched == Email) EmailClick();
    });
  }
  return QDialog::eventFilter(watched, event);
}

void TProgInfoForm::ProgramIconClick() {
  if (!GeneralSettings.BetaOptions) return;
  platform::ShowMessageBox(platform::BoxKind::Information,
                           "Beta options will no longer be displayed.");
  GeneralSettings.BetaOptions = 0;  // for this run only; the file keeps it
}

void TProgInfoForm::WebButtonClick() {
  if (platform::ShellOpen(quelmark::kWebSite) > kShellSuccess)
    MarkVisited(WebSite);
  else
    platform::ShowMessageBox(platform::BoxKind::Error, "Unable to access your Internet Browser.");
}

void TProgInfoForm::EmailClick() {
  if (platform::ShellOpen(std::string("mailto:") + quelmark::kEmail) > kShellSuccess)
    MarkVisited(Email);
  else
    platform::ShowMessageBox(platform::BoxKind::Error, "Unable to access your email application.");
}

void TProgInfoForm::RevisionsButtonClick() {
  ShowTextView("Program Revisions", RevisionBase + ".INF");
}

void TProgInfoForm::OkButtonClick() { accept(); }

void ShowAboutBox(const std::string& revisionBase, const std::string& programName) {
  QWidget* owner = QApplication::activeWindow();
  TProgInfoForm form(owner);
  // Modal for the window that opened it only: the revision notes and the help
  // that it opens stay usable beside it.
  if (owner) form.setWindowModality(Qt::WindowModal);
  form.RevisionBase = revisionBase;
  form.ProgramName->setText(QString::fromStdString(programName));
  if (const QScreen* screen = QGuiApplication::primaryScreen())
    form.move(screen->availableGeometry().center() - form.rect().center());
  form.exec();
}
