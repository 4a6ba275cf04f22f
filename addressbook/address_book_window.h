// The address book: entries browsed by letter group, one shown at a time.
#pragma once

#include <array>

#include <QHash>
#include <QString>
#include <QStringList>
#include <QWidget>

#include "store/data_files.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace quorvel {

class Organiser;
class LimitedTextEdit;
class NameListModel;

// Object names of the Address Book window and its controls.
namespace address_book_names {
inline constexpr char kWindow[] = "Form3";
// The letter group buttons, "A" first.
inline constexpr const char* kGroups[24] = {
    "Command4(0)",  "Command4(1)",  "Command4(2)",  "Command4(3)",  "Command4(4)",  "Command4(5)",
    "Command4(6)",  "Command4(7)",  "Command4(8)",  "Command4(9)",  "Command4(10)", "Command4(11)",
    "Command4(12)", "Command4(13)", "Command4(14)", "Command4(15)", "Command4(16)", "Command4(17)",
    "Command4(18)", "Command4(19)", "Command4(20)", "Command4(21)", "Command4(22)", "Command4(23)"};
inline constexpr char kCurrentGroup[] = "Label2";  // hidden: the chosen group's letters
inline constexpr char kNameFrame[] = "Frame1";
inline constexpr char kNames[] = "Combo1";         // the group's entries
inline constexpr char kViewToggle[] = "Command5";  // View Details / View Address
inline constexpr char kPhonesFrame[] = "Frame3";
// The phones: home, business 1 and 2, mobile, fax, other.
inline constexpr const char* kPhones[6] = {"Text3(0)", "Text3(1)", "Text3(2)",
                                           "Text3(3)", "Text3(4)", "Text3(5)"};
// And their captions.
inline constexpr const char* kPhoneCaptions[6] = {"Label3(0)", "Label3(1)", "Label3(2)",
                                                  "Label3(3)", "Label3(4)", "Label3(5)"};
inline constexpr char kAddressFrame[] = "Frame2";
inline constexpr char kAddress[] = "Text1";
inline constexpr char kDetailsFrame[] = "Frame4";
inline constexpr char kBirthday[] = "Text8";
inline constexpr char kEmail[] = "Text5";
inline constexpr char kHomePage[] = "Text6";
inline constexpr char kNotes[] = "Text7";
inline constexpr char kBirthdayCaption[] = "Label1(0)";
inline constexpr char kEmailCaption[] = "Label1(1)";
inline constexpr char kHomePageCaption[] = "Label1(2)";
inline constexpr char kNotesCaption[] = "Label1(3)";
inline constexpr char kBirthdayFlag[] = "Check1";   // hidden: whether the birthday is marked
inline constexpr char kNameHolder[] = "Text4";      // hidden: the entry's name
inline constexpr char kSurnameHolder[] = "Text10";  // hidden: the entry's surname
inline constexpr char kClose[] = "Command6";
inline constexpr char kAddEntry[] = "Command3";
inline constexpr char kEditEntry[] = "Command2";
inline constexpr char kDeleteEntry[] = "Command1";
}  // namespace address_book_names

class AddressBookWindow : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kGroupCount = 24;

  explicit AddressBookWindow(Organiser& app);

  // Refills the list with the keys of the current group and selects the
  // first one.
  void FillNameList();
  // Shows the selected entry, or empties the display when none is.
  void ShowAddressEntry();
  // Shows what the file holds now (after a sync, an import or another
  // window's change): the group's keys, the chosen one still chosen while
  // it is stored (else the first), and its entry as stored.
  void Refresh();

  // The current letter group ("A" until another is chosen).
  QString CurrentGroup() const;
  // The caption of letter button `index`.
  static QString GroupText(int index);
  // The first characters a group offers, in the order they are listed.
  static QString GroupInitials(const QString& group);

  // Enables or disables "Add Entry", "Edit Entry" and "Delete Entry"
  // together; the entry editor disables them while it is open.
  void SetEntryButtonsEnabled(bool enabled);
  // Shows the entry stored under `key`: its letter group chosen, the key
  // selected in the list. An entry no group lists is shown on its own.
  void ShowEntry(const QString& key);

 private:
  // The constructor's parts, in the order the window is laid out.
  void BuildGroupButtons();
  void BuildNameList();
  void BuildFrames();
  void BuildButtons();
  void ChainKeyboardOrder();
  void ChooseGroup(int index);
  void SetCurrentGroup(const QString& group);
  void ToggleView();
  void AddEntry();
  void EditEntry();
  void DeleteEntry();
  void ClearDisplay();
  // The stored keys of the current group, in the list's order; `items`
  // gets the place of each key's last entry (the one a key finds).
  QStringList GroupKeys(QHash<QString, int>* items = nullptr) const;
  // Selects the first key (or none) and shows its entry, found in `items`.
  void SelectFirst(const QHash<QString, int>& items);
  // Shows entry `item`, or empties the display when it is -1.
  void ShowEntryAt(int item);
  // Whether the list and the entry shown are what the file holds now.
  bool ShownCurrent() const;

  Organiser& app_;
  std::array<QPushButton*, kGroupCount> group_buttons_{};
  QLabel* current_group_ = nullptr;  // Label2
  QComboBox* names_ = nullptr;       // Combo1
  NameListModel* names_model_ = nullptr;
  // What the file held when the list was last read, and when the entry of
  // `shown_key_` was.
  mutable store::FilesSeen listed_seen_;
  store::FilesSeen shown_seen_;
  QString shown_key_;
  QPushButton* view_toggle_ = nullptr;
  std::array<QLineEdit*, 6> phones_{};
  QGroupBox* address_frame_ = nullptr;
  LimitedTextEdit* address_ = nullptr;
  QGroupBox* details_frame_ = nullptr;
  QLabel* birthday_label_ = nullptr;
  QLineEdit* birthday_ = nullptr;
  QLineEdit* email_ = nullptr;
  QLineEdit* home_page_ = nullptr;
  LimitedTextEdit* notes_ = nullptr;
  QCheckBox* birthday_flag_ = nullptr;
  QLineEdit* name_holder_ = nullptr;
  QLineEdit* surname_holder_ = nullptr;
  QPushButton* close_button_ = nullptr;
  QPushButton* add_button_ = nullptr;
  QPushButton* edit_button_ = nullptr;
  QPushButton* delete_button_ = nullptr;
};

}  // namespace quorvel
