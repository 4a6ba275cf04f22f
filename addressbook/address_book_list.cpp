// The Address Book's list: the current group's names read from the file, the chosen entry shown.
#include <algorithm>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>

#include "addressbook/address_book_window.h"
#include "addressbook/name_list_model.h"
#include "items/address_file.h"
#include "store/scan.h"
#include "ui/limited_text_edit.h"
#include "ui/organiser.h"

namespace quorvel {

QString AddressBookWindow::CurrentGroup() const { return current_group_->text(); }

void AddressBookWindow::SetCurrentGroup(const QString& group) {
  if (current_group_->text() == group) return;
  current_group_->setText(group);
  FillNameList();
}

void AddressBookWindow::FillNameList() {
  QHash<QString, int> items;
  names_model_->SetKeys(GroupKeys(&items));
  SelectFirst(items);
}

bool AddressBookWindow::ShownCurrent() const {
  return listed_seen_.Current(app_.files()) && shown_seen_.Current(app_.files()) &&
         shown_key_ == names_->currentText();
}

void AddressBookWindow::Refresh() {
  // Nothing to read again when the window shows the file as it is (after
  // its own delete, say).
  if (ShownCurrent()) return;
  const QString chosen = names_->currentText();
  QHash<QString, int> items;
  const QStringList keys = GroupKeys(&items);
  if (keys != names_model_->Keys()) names_model_->SetKeys(keys);
  const int row = chosen.isEmpty() ? -1 : int(keys.indexOf(chosen));
  if (row < 0) {
    SelectFirst(items);
    return;
  }
  names_->setCurrentIndex(row);
  ShowEntryAt(items.value(chosen, -1));
}

void AddressBookWindow::SelectFirst(const QHash<QString, int>& items) {
  names_->setCurrentIndex(names_model_->rowCount() > 0 ? 0 : -1);
  // The list was read from the file just now: the entry's place is known.
  ShowEntryAt(items.value(names_->currentText(), -1));
}

QStringList AddressBookWindow::GroupKeys(QHash<QString, int>* items) const {
  // The initials are ASCII, stored as the same bytes: a key is decoded only
  // when its first byte is one of them.
  const QByteArray initials = GroupInitials(CurrentGroup()).toLatin1();
  const store::DataFiles& files = app_.files();
  const store::Channel book = store::Channel::kAddBook;
  // Every caller makes the list show what this returns.
  listed_seen_ = store::FilesSeen(files, {book});
  QStringList keys;
  store::ScanItems(files, book, files.ReadCount(book), [&](int item, const char* group) {
    const QByteArrayView key = store::FieldBytes(book, group, kFieldKey);
    if (!key.isEmpty() && initials.contains(key.front())) {
      keys.append(store::FieldText(book, group, kFieldKey));
      if (items) items->insert(keys.back(), item);
    }
  });
  // Alphabetical, as a sorted list box orders them: letters regardless of
  // case first, then exactly.
  std::sort(keys.begin(), keys.end(), [](const QString& a, const QString& b) {
    const int folded = QString::compare(a, b, Qt::CaseInsensitive);
    return folded != 0 ? folded < 0 : QString::compare(a, b, Qt::CaseSensitive) < 0;
  });
  return keys;
}

void AddressBookWindow::ShowEntry(const QString& key) {
  const int item = key.isEmpty() ? -1 : FindAddressEntry(app_.files(), key);
  if (item < 0) return;
  int group = -1;
  for (int i = 0; i < kGroupCount && group < 0; ++i) {
    if (GroupInitials(GroupText(i)).contains(key.front())) group = i;
  }
  if (group >= 0) {
    ChooseGroup(group);
    FillNameList();  // the file may hold more than the list showed
    names_->setCurrentIndex(names_->findText(key, Qt::MatchExactly | Qt::MatchCaseSensitive));
  } else {
    names_->setCurrentIndex(-1);
  }
  ShowEntryAt(item);
  names_->setFocus(Qt::OtherFocusReason);
}

void AddressBookWindow::ClearDisplay() {
  for (QLineEdit* phone : phones_) phone->clear();
  address_->clear();
  birthday_->clear();
  email_->clear();
  home_page_->clear();
  notes_->clear();
}

void AddressBookWindow::ShowAddressEntry() {
  const QString key = names_->currentText();
  ShowEntryAt(key.isEmpty() ? -1 : FindAddressEntry(app_.files(), key));
}

void AddressBookWindow::ShowEntryAt(int item) {
  shown_seen_ = store::FilesSeen(app_.files(), {store::Channel::kAddBook});
  shown_key_ = names_->currentText();
  if (item < 0) {
    ClearDisplay();
    return;
  }
  const AddressEntry entry = ReadAddressEntry(app_.files(), item);
  address_->SetStoredText(entry.address);
  const bool has_birthday = BirthdayFlagSet(entry.birthday_flag);
  birthday_->setVisible(has_birthday);
  birthday_label_->setVisible(has_birthday);
  birthday_flag_->setChecked(has_birthday);
  birthday_->setText(entry.birthday_date);
  email_->setText(entry.email);
  home_page_->setText(entry.home_page);
  notes_->SetStoredText(entry.notes);
  for (int i = 0; i < 6; ++i) phones_[i]->setText(entry.phones[i]);
  name_holder_->setText(entry.name);
  surname_holder_->setText(entry.surname);
}

}  // namespace quorvel
