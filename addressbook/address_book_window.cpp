#include "addressbook/address_book_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QStringList>

#include "addressbook/address_editor_window.h"
#include "addressbook/address_ui.h"
#include "addressbook/name_list_model.h"
#include "calendar/month_calendar_window.h"
#include "items/address_file.h"
#include "ui/accessibility.h"
#include "ui/contrast.h"
#include "ui/data_changes.h"
#include "ui/limited_text_edit.h"
#include "ui/organiser.h"
#include "ui/seams.h"
#include "ui/ui.h"

namespace quorvel {

namespace {

namespace names = address_book_names;

using address_ui::Frame;

const char* const kGroupTexts[AddressBookWindow::kGroupCount] = {
    "A", "B", "C", "D", "E",  "F", "G", "H", "I", "J", "K",   "L",
    "M", "N", "O", "P", "QR", "S", "T", "U", "V", "W", "XYZ", "123"};

const char* const kPhoneCaptions[6] = {
    QT_TRANSLATE_NOOP("quorvel::AddressBookWindow", "Home"),
    QT_TRANSLATE_NOOP("quorvel::AddressBookWindow", "Business #1"),
    QT_TRANSLATE_NOOP("quorvel::AddressBookWindow", "Business #2"),
    QT_TRANSLATE_NOOP("quorvel::AddressBookWindow", "Mobile"),
    QT_TRANSLATE_NOOP("quorvel::AddressBookWindow", "Fax"),
    QT_TRANSLATE_NOOP("quorvel::AddressBookWindow", "Other")};

QLineEdit* ReadOnlyBox(QWidget* parent, const char* object_name, const QRect& rect) {
  auto* box = new QLineEdit(parent);
  box->setObjectName(QLatin1String(object_name));
  box->setReadOnly(true);
  box->setGeometry(rect);
  return box;
}

QPushButton* Button(QWidget* parent, const char* object_name, const QString& caption,
                    const QRect& rect) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(QLatin1String(object_name));
  button->setGeometry(rect);
  button->setAutoDefault(false);
  return button;
}

// Gives a letter button a flat background of `colour`: the style's shaded
// face would show a lighter yellow than the one chosen.
void PaintGroupButton(QPushButton* button, const QColor& colour) {
  QPalette palette = button->palette();
  palette.setColor(QPalette::Button, colour);
  // The caption stays readable on the yellow in a dark palette too.
  const QColor ink = ReadableOn(QApplication::palette().color(QPalette::ButtonText), colour);
  palette.setColor(QPalette::ButtonText, ink);
  button->setPalette(palette);
  const QFont font = button->font();
  button->setStyleSheet(
      QStringLiteral(
          "QPushButton { background-color: %1; color: %4; border: 1px solid palette(dark);"
          " border-radius: 2px; font-family: \"%2\"; font-size: %3pt; }"
          "QPushButton:focus { border-color: palette(highlight); }"
          "QPushButton:pressed { background-color: palette(mid); }")
          .arg(colour.name(), font.family())
          .arg(font.pointSizeF())
          .arg(ink.name()));
}

QColor ButtonFace() { return QApplication::palette().color(QPalette::Button); }

}  // namespace

AddressBookWindow::AddressBookWindow(Organiser& app) : app_(app) {
  setObjectName(QLatin1String(names::kWindow));
  setWindowTitle(tr("Address Book"));
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
  setFont(ArialFont(8));
  setFixedSize(Px(7830), Px(4815));

  BuildGroupButtons();
  BuildNameList();
  BuildFrames();
  BuildButtons();
  ChainKeyboardOrder();

  // The window opens on its current group, "A", chosen and listed: a first
  // click on "A" would otherwise change nothing and show nothing.
  PaintGroupButton(group_buttons_[0], QColor(255, 255, 0));
  FillNameList();
}

void AddressBookWindow::BuildGroupButtons() {
  for (int i = 0; i < kGroupCount; ++i) {
    auto* button = new QPushButton(GroupText(i), this);
    button->setObjectName(QLatin1String(names::kGroups[i]));
    button->setGeometry(TwipsRect(480 * (i % 12), i < 12 ? 0 : 240, 495, 255));
    button->setAutoDefault(false);
    button->setToolTip(tr("Entries whose surname starts with %1")
                           .arg(GroupInitials(GroupText(i))
                                    .split(QString(), Qt::SkipEmptyParts)
                                    .join(QStringLiteral(", "))));
    connect(button, &QPushButton::clicked, this, [this, i] { ChooseGroup(i); });
    group_buttons_[i] = button;
    PaintGroupButton(button, ButtonFace());
  }
}

void AddressBookWindow::BuildNameList() {
  current_group_ = new QLabel(QStringLiteral("A"), this);
  current_group_->setObjectName(QLatin1String(names::kCurrentGroup));
  current_group_->hide();

  auto* name_frame = Frame(this, names::kNameFrame, tr("Name"), TwipsRect(0, 600, 5775, 735));
  names_ = new NamedComboBox(name_frame);
  names_->setObjectName(QLatin1String(names::kNames));
  names_->setEditable(false);
  names_model_ = new NameListModel(names_);
  names_->setModel(names_model_);
  names_->setGeometry(TwipsRect(120, 240, 5535, 315));
  names_->setAccessibleName(tr("Name"));
  connect(names_, &QComboBox::activated, this, [this] { ShowAddressEntry(); });
  connect(&app_.Changes(), &DataChanges::DataChanged, this, [this](store::ChangedFiles changed) {
    if (changed.Has(store::Channel::kAddBook)) Refresh();
  });

  view_toggle_ =
      Button(this, names::kViewToggle, tr("View Details"), TwipsRect(5880, 960, 1215, 375));
  connect(view_toggle_, &QPushButton::clicked, this, &AddressBookWindow::ToggleView);
}

// The phones, and in the same place the address or the details.
void AddressBookWindow::BuildFrames() {
  auto* phone_frame =
      Frame(this, names::kPhonesFrame, tr("Telephone Numbers"), TwipsRect(0, 1440, 3375, 2775));
  for (int i = 0; i < 6; ++i) {
    const int top = 360 + 360 * i;
    phones_[i] = new QLineEdit(phone_frame);
    phones_[i]->setObjectName(QLatin1String(names::kPhones[i]));
    phones_[i]->setReadOnly(true);
    phones_[i]->setGeometry(TwipsRect(1320, top, 1935, 285));
    Caption(phone_frame, QLatin1String(names::kPhoneCaptions[i]), tr(kPhoneCaptions[i]),
            TwipsRect(120, top, 1095, 255), phones_[i]);
  }

  address_frame_ =
      Frame(this, names::kAddressFrame, tr("Address"), TwipsRect(3480, 1440, 4215, 2775));
  address_ = new LimitedTextEdit(kAddressLimit, address_frame_);
  address_->setObjectName(QLatin1String(names::kAddress));
  address_->setReadOnly(true);
  address_->setGeometry(TwipsRect(120, 240, 3975, 2415));
  address_->setAccessibleName(tr("Address"));

  details_frame_ =
      Frame(this, names::kDetailsFrame, tr("Details"), TwipsRect(3480, 1440, 4215, 2775));
  birthday_ = ReadOnlyBox(details_frame_, names::kBirthday, TwipsRect(1200, 240, 1935, 285));
  email_ = ReadOnlyBox(details_frame_, names::kEmail, TwipsRect(1200, 600, 2895, 285));
  home_page_ = ReadOnlyBox(details_frame_, names::kHomePage, TwipsRect(1200, 960, 2895, 285));
  notes_ = new LimitedTextEdit(kNotesLimit, details_frame_);
  notes_->setObjectName(QLatin1String(names::kNotes));
  notes_->setReadOnly(true);
  notes_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  notes_->setGeometry(TwipsRect(1200, 1320, 2895, 1335));
  birthday_label_ = Caption(details_frame_, QLatin1String(names::kBirthdayCaption), tr("Birthday:"),
                            TwipsRect(120, 240, 975, 255), birthday_);
  Caption(details_frame_, QLatin1String(names::kEmailCaption), tr("e-mail:"),
          TwipsRect(120, 600, 975, 255), email_);
  Caption(details_frame_, QLatin1String(names::kHomePageCaption), tr("Home Page:"),
          TwipsRect(120, 960, 975, 255), home_page_);
  Caption(details_frame_, QLatin1String(names::kNotesCaption), tr("Notes:"),
          TwipsRect(120, 1320, 975, 255), notes_);
  birthday_flag_ = new QCheckBox(details_frame_);
  birthday_flag_->setObjectName(QLatin1String(names::kBirthdayFlag));
  birthday_flag_->hide();
  name_holder_ = new QLineEdit(details_frame_);
  name_holder_->setObjectName(QLatin1String(names::kNameHolder));
  name_holder_->hide();
  surname_holder_ = new QLineEdit(details_frame_);
  surname_holder_->setObjectName(QLatin1String(names::kSurnameHolder));
  surname_holder_->hide();
  details_frame_->hide();
}

void AddressBookWindow::BuildButtons() {
  close_button_ = Button(this, names::kClose, tr("Close"), TwipsRect(120, 4320, 1215, 375));
  add_button_ = Button(this, names::kAddEntry, tr("Add Entry"), TwipsRect(3840, 4320, 1215, 375));
  edit_button_ =
      Button(this, names::kEditEntry, tr("Edit Entry"), TwipsRect(5160, 4320, 1215, 375));
  delete_button_ =
      Button(this, names::kDeleteEntry, tr("Delete Entry"), TwipsRect(6480, 4320, 1215, 375));
  connect(close_button_, &QPushButton::clicked, this, &QWidget::hide);
  connect(add_button_, &QPushButton::clicked, this, &AddressBookWindow::AddEntry);
  connect(edit_button_, &QPushButton::clicked, this, &AddressBookWindow::EditEntry);
  connect(delete_button_, &QPushButton::clicked, this, &AddressBookWindow::DeleteEntry);
}

void AddressBookWindow::ChainKeyboardOrder() {
  // Keyboard order: groups, list, toggle, phones, the shown frame, buttons.
  QWidget* previous = group_buttons_[0];
  auto chain = [&previous](QWidget* next) {
    QWidget::setTabOrder(previous, next);
    previous = next;
  };
  for (int i = 1; i < kGroupCount; ++i) chain(group_buttons_[i]);
  chain(names_);
  chain(view_toggle_);
  for (QLineEdit* phone : phones_) chain(phone);
  chain(address_);
  chain(birthday_);
  chain(email_);
  chain(home_page_);
  chain(notes_);
  chain(close_button_);
  chain(add_button_);
  chain(edit_button_);
  chain(delete_button_);
}

QString AddressBookWindow::GroupText(int index) { return QLatin1String(kGroupTexts[index]); }

QString AddressBookWindow::GroupInitials(const QString& group) {
  if (group == QLatin1String("123")) return QStringLiteral("1234567890");
  if (group == QLatin1String("QR") || group == QLatin1String("XYZ")) return group;
  return group.left(1);
}

void AddressBookWindow::ChooseGroup(int index) {
  for (QPushButton* button : group_buttons_) PaintGroupButton(button, ButtonFace());
  PaintGroupButton(group_buttons_[index], QColor(255, 255, 0));
  SetCurrentGroup(GroupText(index));
}

void AddressBookWindow::ToggleView() {
  const bool show_details = view_toggle_->text() == tr("View Details");
  view_toggle_->setText(show_details ? tr("View Address") : tr("View Details"));
  address_frame_->setVisible(!show_details);
  details_frame_->setVisible(show_details);
}

void AddressBookWindow::SetEntryButtonsEnabled(bool enabled) {
  delete_button_->setEnabled(enabled);
  edit_button_->setEnabled(enabled);
  add_button_->setEnabled(enabled);
}

void AddressBookWindow::AddEntry() {
  app_.SetEditMode(false);
  SetEntryButtonsEnabled(false);
  AddressEditorWindow& editor = app_.AddressEditor();
  editor.PrepareAdd(app_.MonthCalendar().SelectedDate());
  OpenToolWindow(editor);
}

void AddressBookWindow::EditEntry() {
  const QString key = names_->currentText();
  if (key.isEmpty()) return;
  const int item = FindAddressEntry(app_.files(), key);
  if (item < 0) {
    // The list no longer matches the file: show what it now holds.
    FillNameList();
    return;
  }
  app_.SetEditMode(true);
  SetEntryButtonsEnabled(false);
  AddressEditorWindow& editor = app_.AddressEditor();
  editor.PrepareEdit(key, ReadAddressEntry(app_.files(), item));
  OpenToolWindow(editor);
}

void AddressBookWindow::DeleteEntry() {
  const QString key = names_->currentText();
  const int row = names_->currentIndex();
  bool deleted = false;
  if (!key.isEmpty() && FindAddressEntry(app_.files(), key) >= 0) {
    const store::Outcome outcome = DeleteAddressEntry(app_.files(), key);
    if (outcome.refused()) {
      ShowMessage(outcome.reason());
    } else {
      deleted = true;
      app_.MonthCalendar().MarkMonthCalendar();
    }
  }
  // The list is read again; when it differs from what was shown only by the
  // deleted key, that one row goes instead of the whole list being rebuilt.
  QHash<QString, int> items;
  const QStringList stored = GroupKeys(&items);
  QStringList shown = names_model_->Keys();
  if (deleted && row >= 0 && row < shown.size()) shown.removeAt(row);
  if (stored == shown && deleted && row >= 0) {
    names_model_->Remove(row);
  } else if (stored != names_model_->Keys()) {
    names_model_->SetKeys(stored);
  }
  SelectFirst(items);
}

}  // namespace quorvel
