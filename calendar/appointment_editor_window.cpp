#include "calendar/appointment_editor_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextCursor>
#include <QWheelEvent>

#include "calendar/activities_window.h"
#include "calendar/appointment_repeat_panel.h"
#include "events/edit.h"
#include "events/event_file.h"
#include "ui/accessibility.h"
#include "ui/organiser.h"
#include "ui/seams.h"
#include "ui/ui.h"
#include "ui/window_keys.h"

namespace quorvel {

namespace {

namespace names = appointment_editor_names;

QStringList HalfHours(bool with_midnight) {
  QStringList times;
  for (int hour = 7; hour < 24; ++hour) {
    for (int minute : {0, 30}) {
      times.append(QStringLiteral("%1:%2")
                       .arg(hour, 2, 10, QLatin1Char('0'))
                       .arg(minute, 2, 10, QLatin1Char('0')));
    }
  }
  if (with_midnight) times.append(QStringLiteral("24:00"));
  return times;
}

// A time list the user may also type into. Qt reports a typed text that
// matches an item as an activation when the box is left or Return is
// pressed; Picked() tells a real pick (the drop-down, the arrow keys, the
// wheel, a choice made through assistive technology) from that.
class TimeCombo : public NamedComboBox {
 public:
  explicit TimeCombo(QWidget* parent) : NamedComboBox(parent) {}
  void WatchTyping() {
    connect(lineEdit(), &QLineEdit::textEdited, this, [this] { typed_ = true; });
  }
  bool Picked() const { return !typed_; }
  void showPopup() override {
    typed_ = false;
    NamedComboBox::showPopup();
  }
  void Choose(int row) override {
    typed_ = false;
    NamedComboBox::Choose(row);
  }

 protected:
  void keyPressEvent(QKeyEvent* event) override {
    switch (event->key()) {
      case Qt::Key_Up:
      case Qt::Key_Down:
      case Qt::Key_PageUp:
      case Qt::Key_PageDown:
        typed_ = false;
        break;
      default:
        break;
    }
    QComboBox::keyPressEvent(event);
  }
  void wheelEvent(QWheelEvent* event) override {
    typed_ = false;
    QComboBox::wheelEvent(event);
  }

 private:
  bool typed_ = false;
};

TimeCombo* TimeList(QWidget* parent, const char* name, const QRect& rect,
                    const QStringList& times) {
  auto* combo = Place(new TimeCombo(parent), name, rect);
  combo->setEditable(true);
  combo->setInsertPolicy(QComboBox::NoInsert);
  combo->setCompleter(nullptr);
  combo->addItems(times);
  combo->setMaxVisibleItems(12);
  combo->lineEdit()->setMaxLength(AppointmentEditorWindow::kTimeLimit);
  combo->WatchTyping();
  return combo;
}

// A time from the list is selected there; any other text is shown as it is.
void SetTime(QComboBox* combo, const QString& time) {
  const int index = combo->findText(time, Qt::MatchExactly | Qt::MatchCaseSensitive);
  combo->setCurrentIndex(index);
  if (index < 0) combo->setEditText(time);
}

}  // namespace

QStringList AppointmentEditorWindow::StartTimes() { return HalfHours(false); }
QStringList AppointmentEditorWindow::EndTimes() { return HalfHours(true); }

AppointmentEditorWindow::AppointmentEditorWindow(Organiser& app) : app_(app) {
  setObjectName(QLatin1String(names::kWindow));
  setWindowTitle(tr("Add Appointment"));
  setFixedSize(360, 292);
  setFont(ArialFont(9));

  auto* frame =
      Place(new QGroupBox(tr("Appointments"), this), names::kFrame, QRect(8, 8, 344, 240));
  frame_ = frame;
  subject_ = Place(new QLineEdit(frame), names::kSubject, QRect(12, 24, 320, 24));
  subject_->setMaxLength(kSubjectLimit);
  subject_->setAccessibleName(tr("Subject"));

  TimeCombo* start = TimeList(frame, names::kStart, QRect(84, 58, 76, 24), StartTimes());
  start_ = start;
  auto* start_label =
      Place(new QLabel(tr("Start Time"), frame), names::kStartCaption, QRect(12, 60, 70, 20));
  start_label->setBuddy(start_);
  start_->setAccessibleName(tr("Start Time"));
  end_ = TimeList(frame, names::kEnd, QRect(256, 58, 76, 24), EndTimes());
  auto* end_label =
      Place(new QLabel(tr("End Time"), frame), names::kEndCaption, QRect(186, 60, 66, 20));
  end_label->setBuddy(end_);
  end_->setAccessibleName(tr("End Time"));

  reminder_ = Place(new QCheckBox(tr("Reminder"), frame), names::kReminder, QRect(12, 92, 84, 22));
  minutes_ =
      Place(new QLineEdit(QStringLiteral("15"), frame), names::kMinutes, QRect(104, 92, 44, 22));
  minutes_->setMaxLength(kMinutesLimit);
  minutes_->setAccessibleName(tr("Minutes before meeting"));
  minutes_label_ = Place(new QLabel(tr("Minutes before meeting"), frame), names::kMinutesCaption,
                         QRect(154, 93, 180, 20));
  minutes_label_->setBuddy(minutes_);

  // Repeating and all-day appointments are kept as events beside the file.
  all_day_ = Place(new QCheckBox(tr("&All day"), frame), names::kAllDay, QRect(12, 122, 84, 22));
  auto* repeats_label =
      Place(new QLabel(tr("&Repeats"), frame), names::kRepeatsCaption, QRect(104, 124, 80, 20));
  repeats_ = Place(new NamedComboBox(frame), names::kRepeats, QRect(188, 120, 144, 24));
  repeats_->addItems({tr("Never"), tr("Daily"), tr("Weekly"), tr("Monthly"), tr("Yearly")});
  repeats_->setAccessibleName(tr("Repeats"));
  repeats_label->setBuddy(repeats_);
  repeat_panel_ = new RepeatPanel(frame);
  repeat_panel_->move(12, 152);

  description_ = Place(new QPlainTextEdit(frame), names::kDescription, QRect(12, 152, 320, 104));
  description_->setTabChangesFocus(true);
  description_->setAccessibleName(tr("Description"));

  auto* ok = Place(new QPushButton(tr("OK"), this), names::kOk, QRect(272, 256, 80, 28));
  ok->setDefault(true);

  id_ = Place(new QLineEdit(QStringLiteral("ID"), this), names::kId, QRect(8, 256, 100, 22));
  id_->hide();

  setTabOrder(subject_, start_);
  setTabOrder(start_, end_);
  setTabOrder(end_, reminder_);
  setTabOrder(reminder_, minutes_);
  QWidget* previous = minutes_;
  for (QWidget* next : QList<QWidget*>{all_day_, repeats_} + repeat_panel_->Controls() +
                           QList<QWidget*>{description_, ok}) {
    setTabOrder(previous, next);
    previous = next;
  }
  ok_ = ok;

  ShowReminderMinutes(false);
  Reset();
  Relayout();

  connect(reminder_, &QCheckBox::toggled, this, [this](bool on) { ShowReminderMinutes(on); });
  connect(all_day_, &QCheckBox::toggled, this, [this](bool on) { ShowAllDay(on); });
  connect(repeats_, qOverload<int>(&QComboBox::currentIndexChanged), this, [this] {
    repeat_panel_->ShowFor(Repetition().kind, day_.isValid() ? day_ : QDate::currentDate());
  });
  connect(repeat_panel_, &RepeatPanel::Resized, this, [this] { Relayout(); });
  // Picking a start proposes an end half an hour later; typing does not.
  connect(start_, &QComboBox::activated, this, [this, start](int index) {
    if (!start->Picked()) return;
    if (index >= 0 && index + 1 < end_->count()) end_->setCurrentIndex(index + 1);
  });
  connect(description_, &QPlainTextEdit::textChanged, this, [this] { LimitDescription(); });
  connect(ok, &QPushButton::clicked, this, [this] { Ok(); });
  // OK is the default button: Enter in the subject or the minutes presses it.
  // (In a time box Enter only takes the typed time; the description keeps it
  // for new lines.)
  connect(subject_, &QLineEdit::returnPressed, ok, &QPushButton::click);
  connect(minutes_, &QLineEdit::returnPressed, ok, &QPushButton::click);
  // Escape leaves the way the title bar's close control does.
  EscapeCloses(*this);
}

void AppointmentEditorWindow::ShowReminderMinutes(bool shown) {
  minutes_->setVisible(shown);
  minutes_label_->setVisible(shown);
}

void AppointmentEditorWindow::Relayout() {
  const int panel = repeat_panel_->isHidden() ? 0 : repeat_panel_->height();
  const int top = 152 + (panel > 0 ? panel + 4 : 0);
  description_->move(12, top);
  frame_->resize(344, top + 104 + 12);
  const int bottom = 8 + frame_->height();
  ok_->move(272, bottom + 8);
  setFixedSize(360, bottom + 8 + 28 + 8);
}

void AppointmentEditorWindow::ShowAllDay(bool all_day) {
  start_->setEnabled(!all_day);
  end_->setEnabled(!all_day);
}

events::Repeat AppointmentEditorWindow::Repetition() const {
  using Kind = events::Repeat::Kind;
  static constexpr Kind kKinds[] = {Kind::kNever, Kind::kDaily, Kind::kWeekly, Kind::kMonthlyByDate,
                                    Kind::kYearly};
  const int index = repeats_->currentIndex();
  if (index == 5) return shown_repeat_;  // a rule of elsewhere, kept as it is
  const Kind kind = index >= 0 && index < 5 ? kKinds[index] : Kind::kNever;
  events::Repeat repeat = repeat_panel_->Value(kind);
  if (kind == Kind::kNever) repeat = events::Repeat{};
  return repeat;
}

void AppointmentEditorWindow::Reset() {
  occurrence_.reset();
  shown_repeat_ = events::Repeat{};
  all_day_->setChecked(false);
  all_day_->setEnabled(true);
  start_->setEnabled(true);
  end_->setEnabled(true);
  repeats_->setEnabled(true);
  while (repeats_->count() > 5) repeats_->removeItem(5);
  repeats_->setCurrentIndex(0);
  repeat_panel_->Set(events::Repeat{}, day_.isValid() ? day_ : QDate::currentDate());
  description_->setPlainText(tr("Description"));
  minutes_->setText(QStringLiteral("15"));
  subject_->setText(tr("Subject"));
  start_->setCurrentIndex(-1);
  start_->setEditText(QString());
  end_->setCurrentIndex(-1);
  end_->setEditText(QString());
}

// The description box takes at most 100 characters as stored (a line
// break counts as two); an insertion that would pass that is not taken.
void AppointmentEditorWindow::LimitDescription() {
  const QString text = description_->toPlainText();
  if (DescriptionForStorage(text).size() <= kDescriptionBoxLimit) {
    last_description_ = text;
    return;
  }
  const int position = description_->textCursor().position() -
                       static_cast<int>(text.size() - last_description_.size());
  const QSignalBlocker block(description_);
  description_->setPlainText(last_description_);
  QTextCursor cursor = description_->textCursor();
  cursor.setPosition(std::clamp(position, 0, static_cast<int>(last_description_.size())));
  description_->setTextCursor(cursor);
}

void AppointmentEditorWindow::OpenForAdd(const QString& id) {
  setWindowTitle(tr("Add Appointment"));
  day_ = QDate::fromString(id.left(8), QStringLiteral("yyyyMMdd"));
  Reset();
  id_->setText(id);
  // The ID shown is only a proposal: OK gives the day's next one as the
  // file holds it then.
  opened_.reset();
  subject_->selectAll();
  subject_->setFocus();
}

void AppointmentEditorWindow::OpenForEdit(const Appointment& appointment) {
  OpenForEdit(appointment, appointment);
}

void AppointmentEditorWindow::OpenForEdit(const Appointment& shown, const Appointment& stored) {
  const Appointment& appointment = shown;
  opened_ = stored;
  day_ = QDate::fromString(stored.id.left(8), QStringLiteral("yyyyMMdd"));
  setWindowTitle(tr("Edit Appointment"));
  Reset();
  SetTime(start_, appointment.start);
  SetTime(end_, appointment.end);
  description_->setPlainText(DescriptionForDisplay(appointment.description));
  subject_->setText(appointment.subject);
  reminder_->setChecked(appointment.reminder);
  ShowReminderMinutes(appointment.reminder);
  minutes_->setText(appointment.minutes);
  id_->setText(appointment.id);
  subject_->selectAll();
  subject_->setFocus();
}

void AppointmentEditorWindow::OpenForOccurrence(const events::Occurrence& occurrence,
                                                bool whole_series) {
  opened_.reset();
  day_ = occurrence.start.date();
  setWindowTitle(tr("Edit Appointment"));
  Reset();
  occurrence_ = occurrence;
  whole_series_ = whole_series || occurrence.instance.isEmpty();
  if (!occurrence.all_day) {
    SetTime(start_, occurrence.start.toString(QStringLiteral("HH:mm")));
    const bool midnight = occurrence.end.date() > day_ && occurrence.end.time() == QTime(0, 0);
    SetTime(end_,
            midnight ? QStringLiteral("24:00") : occurrence.end.toString(QStringLiteral("HH:mm")));
  }
  subject_->setText(occurrence.summary);
  description_->setPlainText(occurrence.description);
  reminder_->setChecked(occurrence.alarm_minutes >= 0);
  ShowReminderMinutes(occurrence.alarm_minutes >= 0);
  minutes_->setText(QString::number(occurrence.alarm_minutes >= 0 ? occurrence.alarm_minutes : 15));
  // Whether it is all day stays as it came; only the series repeats.
  all_day_->setChecked(occurrence.all_day);
  all_day_->setEnabled(false);
  ShowAllDay(occurrence.all_day);
  const std::optional<events::StoredEvent> stored = events::FindEvent(app_.files(), occurrence.uid);
  shown_repeat_ = events::RepeatOf(stored ? events::RepeatRuleOf(stored->text) : QByteArray(),
                                   occurrence.start);
  using Kind = events::Repeat::Kind;
  if (shown_repeat_.kind == Kind::kOther) repeats_->addItem(tr("As set elsewhere"));
  const Kind kind = shown_repeat_.kind;
  repeats_->setCurrentIndex(kind == Kind::kOther                                              ? 5
                            : kind == Kind::kDaily                                            ? 1
                            : kind == Kind::kWeekly                                           ? 2
                            : kind == Kind::kMonthlyByDate || kind == Kind::kMonthlyByWeekday ? 3
                            : kind == Kind::kYearly                                           ? 4
                                                                                              : 0);
  repeat_panel_->Set(shown_repeat_, day_);
  repeats_->setEnabled(whole_series_);
  id_->setText(QString());
  subject_->selectAll();
  subject_->setFocus();
}

}  // namespace quorvel
