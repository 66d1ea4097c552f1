#pragma once
// TProgInfoForm: the About box. The program's name, icon, version, build and
// the date of the executable, the maker's contact block with a clickable web
// address and mail address, and a button that opens the revision notes (the
// executable's path with the extension ".INF") in a text viewer.
#include <QDialog>
#include <string>

class QLabel;
class QPushButton;
class QFrame;

// The maker's contact block.
namespace quelmark {
inline constexpr const char* kCompany = "Quelmark Geoscience Software Ltd.";
inline constexpr const char* kStreet = "Unit 7, Kestrel Yard";
inline constexpr const char* kTown = "Tarnby, Northumberland NE66 9QK";
inline constexpr const char* kPhone = "Phone: +44 191 498 0317";
inline constexpr const char* kFax = "Fax: +44 191 498 0318";
inline constexpr const char* kEmail = "support@quelmark.example";
inline constexpr const char* kWebSite = "https://www.quelmark.example";
}  // namespace quelmark

class TProgInfoForm : public QDialog {
  Q_OBJECT
 public:
  static constexpr int kHelpContext = 94;

  explicit TProgInfoForm(QWidget* parent = nullptr);

  // The executable's full path without its extension.
  std::string RevisionBase;

  QFrame* Panel1;
  QLabel* ProgramIcon;
  QLabel* ProgramName;
  QLabel* LegalNotice1;
  QLabel* LegalNotice2;
  QLabel* RevisionDate;
  QLabel* Version;
  QLabel* Build;
  QFrame* Panel2;
  QPushButton* RevisionsButton;
  QFrame* Panel3;
  QLabel* Email;
  QLabel* WebSite;
  QPushButton* OkButton;

  void FormCreate();
  void FormActivate();
  void ProgramIconClick();
  void WebButtonClick();
  void EmailClick();

 public slots:
  void RevisionsButtonClick();
  void OkButtonClick();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;
};

// "Last Revised: " date of a file: "mmmm dd, yyyy" with the user's month
// names ("March 05, 2001"); "" when the file has no date.
std::string RevisionDateText(const std::string& fileName);

// Shows the About box modally (for the active window) and destroys it. revisionBase is the
// executable's full path without its extension, programName the text of the
// name label ("Korvale 2001").
void ShowAboutBox(const std::string& revisionBase, const std::string& programName);
