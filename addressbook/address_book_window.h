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
