// The help page viewer: one illustrated page at a time, paged in reading
// order with "<<" and ">>", back to the topics with "Index".
#pragma once

#include <map>

#include <QWidget>

class QLineEdit;
class QPushButton;
class QTextBrowser;

namespace quorvel {

class Organiser;

// Object names of the help page viewer and its controls.
namespace help_page_names {
inline constexpr char kWindow[] = "Form13";
inline constexpr char kIndex[] = "Command1";
inline constexpr char kPrevious[] = "Command2";  // "<<"
inline constexpr char kNext[] = "Command3";      // ">>"
inline constexpr char kPageNumber[] = "Text1";   // hidden: the page shown
// The page boxes, one a topic, named by PageBox: "HelpFile(11)" for topic 1
// of chapter 1.
inline constexpr char kPageBoxPrefix[] = "HelpFile(";
inline QString PageBox(int page) {
  return QLatin1String(kPageBoxPrefix) + QString::number(page) + QLatin1Char(')');
}
}  // namespace help_page_names

class HelpPageWindow : public QWidget {
  Q_OBJECT

 public:
  explicit HelpPageWindow(Organiser& app);

  // Shows real page `n` (1, 11-15, 21-24, 31-34) alone at the page place and
  // records its number in Text1. Any other number changes nothing.
  void ShowHelpPage(int n);

  // The page number held in Text1.
  int CurrentPage() const;
  // HelpFile(n), or nullptr where no page slot has that number.
  QTextBrowser* HelpFile(int n) const;

  // The paging rules: the page after and before `n`, skipping the gaps
  // between chapters.
  static int NextPage(int n);
  static int PreviousPage(int n);
  // Whether `n` is one of the fourteen pages with content.
  static bool IsRealPage(int n);

 protected:
  void changeEvent(QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void UpdateButtonState();
  void PlacePage(QTextBrowser* page) const;

  Organiser& app_;
  QPushButton* index_ = nullptr;        // Command1
  QPushButton* previous_ = nullptr;     // Command2
  QPushButton* next_ = nullptr;         // Command3
  QLineEdit* page_number_ = nullptr;    // Text1
  std::map<int, QTextBrowser*> pages_;  // HelpFile(n)
};

}  // namespace quorvel
