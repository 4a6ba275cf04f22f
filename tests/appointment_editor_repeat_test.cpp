// The appointment editor's All day and Repeats: reached by keyboard and
// named for a screen reader; a repeating or all-day appointment is kept as
// an event, a plain one made repeating leaves the appointment file in the
// same step.
#include <QAccessible>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QSpinBox>
#include <QTest>

#include "app/application.h"
#include "calendar/activities_window.h"
#include "calendar/appointment_editor_window.h"
#include "calendar/appointment_repeat_panel.h"
#include "calendar/occurrence_actions.h"
#include "events/edit.h"
#include "events/event_file.h"
#include "events/occurrences.h"
#include "events/repeat.h"
#include "items/appointment_event_store.h"
#include "items/appointment_file.h"
#include "items/sync_state.h"
#include "store_sweep.h"
#include "test_support.h"
#include "undo/undo_history.h"

namespace quorvel::testing {
namespace {

using store::Channel;

class EditorRepeatsTest : public AppFixture {
 protected:
  AppointmentEditorWindow& OpenEditor(QDate day, bool edit) {
    ActivitiesWindow& activities = app_->Activities();
    activities.SetDate(day);
    activities.show();
    activities.FillActivities();
    QTest::mouseClick(activities.findChild<QAbstractButton*>(edit ? activities_names::kEdit
                                                                  : activities_names::kAdd),
                      Qt::LeftButton);
    AppointmentEditorWindow& editor = app_->AppointmentEditor();
    EXPECT_TRUE(editor.isVisible());
    // Mnemonics work in the active window.
    editor.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&editor));
    return editor;
  }
  template <class T>
  static T* Child(QWidget& w, const char* name) {
    T* child = w.findChild<T*>(QLatin1String(name));
    EXPECT_NE(child, nullptr) << name;
    return child;
  }
  // Role, name and value as assistive technology reads them.
  static QString Read(QWidget* w) {
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
    QString value = a->text(QAccessible::Value);
    if (a->role() == QAccessible::CheckBox) value = a->state().checked ? "checked" : "unchecked";
    return QStringLiteral("%1 %2 = %3").arg(int(a->role())).arg(a->text(QAccessible::Name), value);
  }
  static QString Role(QAccessible::Role role, const QString& rest) {
    return QString::number(int(role)) + QLatin1Char(' ') + rest;
  }
  std::vector<events::Occurrence> Occurrences(QDate from, QDate to) {
    return events::ReadOccurrences(files(), from, to, QTimeZone::systemTimeZone());
  }
};

TEST_F(EditorRepeatsTest, ARepeatingAppointmentMadeByKeyboard) {
  AppointmentEditorWindow& editor = OpenEditor(QDate(2026, 1, 13), false);  // a Tuesday
  auto* repeats = Child<QComboBox>(editor, appointment_editor_names::kRepeats);
  auto* all_day = Child<QCheckBox>(editor, appointment_editor_names::kAllDay);
  EXPECT_EQ(Read(all_day), Role(QAccessible::CheckBox, "All day = unchecked"));
  EXPECT_EQ(Read(repeats), Role(QAccessible::ComboBox, "Repeats = Never"));
  EXPECT_FALSE(Child<QWidget>(editor, repeat_panel_names::kPanel)->isVisible());
  const QSize plain = editor.size();

  Child<QComboBox>(editor, appointment_editor_names::kStart)->setEditText(QStringLiteral("18:00"));
  Child<QComboBox>(editor, appointment_editor_names::kEnd)->setEditText(QStringLiteral("19:30"));
  Child<QLineEdit>(editor, appointment_editor_names::kSubject)->setText(QStringLiteral("Choir"));
  // Alt+R reaches Repeats; the arrow keys choose.
  QTest::keyClick(&editor, Qt::Key_R, Qt::AltModifier);
  ASSERT_EQ(QApplication::focusWidget(), repeats);
  QTest::keyClick(repeats, Qt::Key_Down);
  QTest::keyClick(repeats, Qt::Key_Down);
  EXPECT_EQ(Read(repeats), Role(QAccessible::ComboBox, "Repeats = Weekly"));
  EXPECT_TRUE(Child<QWidget>(editor, repeat_panel_names::kPanel)->isVisible());
  EXPECT_GT(editor.height(), plain.height());
  // The day's own weekday is proposed; every weekday box is named in full.
  EXPECT_EQ(Read(Child<QCheckBox>(editor, repeat_panel_names::kWeekdays[1])),
            Role(QAccessible::CheckBox, "Tuesday = checked"));
  EXPECT_EQ(Read(Child<QCheckBox>(editor, repeat_panel_names::kWeekdays[3])),
            Role(QAccessible::CheckBox, "Thursday = unchecked"));
  EXPECT_EQ(Read(Child<QSpinBox>(editor, repeat_panel_names::kEvery)),
            Role(QAccessible::SpinBox, "Every how many weeks = 1"));
  // Tab goes on from Repeats through the week's controls and the end.
  QStringList order;
  for (QWidget* w = repeats->nextInFocusChain();
       w != Child<QWidget>(editor, appointment_editor_names::kDescription);
       w = w->nextInFocusChain()) {
    if ((w->focusPolicy() & Qt::TabFocus) && w->isVisibleTo(&editor) &&
        !w->objectName().isEmpty() && !w->objectName().startsWith(QStringLiteral("qt_"))) {
      order << w->objectName();
    }
  }
  EXPECT_EQ(order, (QStringList{repeat_panel_names::kEvery, repeat_panel_names::kWeekdays[0],
                                repeat_panel_names::kWeekdays[1], repeat_panel_names::kWeekdays[2],
                                repeat_panel_names::kWeekdays[3], repeat_panel_names::kWeekdays[4],
                                repeat_panel_names::kWeekdays[5], repeat_panel_names::kWeekdays[6],
                                repeat_panel_names::kEnds}));
  QTest::keyClick(&editor, Qt::Key_Y, Qt::AltModifier);
  EXPECT_EQ(QApplication::focusWidget(), Child<QWidget>(editor, repeat_panel_names::kEvery));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);  // every 2 weeks
  Child<QCheckBox>(editor, repeat_panel_names::kWeekdays[3])->click();
  QTest::keyClick(&editor, Qt::Key_E, Qt::AltModifier);
  auto* ends = Child<QComboBox>(editor, repeat_panel_names::kEnds);
  ASSERT_EQ(QApplication::focusWidget(), ends);
  QTest::keyClick(ends, Qt::Key_Down);
  QTest::keyClick(ends, Qt::Key_Down);
  EXPECT_EQ(Read(ends), Role(QAccessible::ComboBox, "Ends = After"));
  auto* count = Child<QSpinBox>(editor, repeat_panel_names::kCount);
  EXPECT_TRUE(count->isVisible());
  count->setValue(3);

  editor.Ok();
  EXPECT_TRUE(messages_.isEmpty()) << messages_.join('\n').toStdString();
  EXPECT_FALSE(editor.isVisible());
  EXPECT_EQ(files().ReadCount(Channel::kAppoint), 0);
  const events::EventsRead kept = events::ReadEvents(files());
  ASSERT_EQ(kept.events.size(), 1u);
  EXPECT_TRUE(kept.events[0].text.contains("RRULE:FREQ=WEEKLY;COUNT=3;INTERVAL=2;BYDAY=TU,TH"))
      << kept.events[0].text.toStdString();
  QStringList shown;
  for (const events::Occurrence& o : Occurrences({2026, 1, 1}, {2026, 3, 31})) {
    shown << o.start.toString(QStringLiteral("MM-dd HH:mm-")) +
                 o.end.toString(QStringLiteral("HH:mm ")) + o.summary;
  }
  EXPECT_EQ(shown, (QStringList{"01-13 18:00-19:30 Choir", "01-15 18:00-19:30 Choir",
                                "01-27 18:00-19:30 Choir"}));

  // Opened again, the editor is plain as before.
  AppointmentEditorWindow& again = OpenEditor(QDate(2026, 1, 14), false);
  EXPECT_EQ(Read(Child<QComboBox>(again, appointment_editor_names::kRepeats)),
            Role(QAccessible::ComboBox, "Repeats = Never"));
  EXPECT_EQ(again.size(), plain);
}

TEST_F(EditorRepeatsTest, AllDayAndAPlainAppointmentMadeRepeating) {
  // All day: no times needed, the day kept as a date.
  AppointmentEditorWindow& editor = OpenEditor(QDate(2026, 7, 10), false);
  Child<QLineEdit>(editor, appointment_editor_names::kSubject)->setText(QStringLiteral("Holiday"));
  QTest::keyClick(&editor, Qt::Key_A, Qt::AltModifier);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
  EXPECT_TRUE(Child<QCheckBox>(editor, appointment_editor_names::kAllDay)->isChecked());
  EXPECT_FALSE(Child<QWidget>(editor, appointment_editor_names::kStart)->isEnabled());
  editor.Ok();
  EXPECT_TRUE(messages_.isEmpty()) << messages_.join('\n').toStdString();
  ASSERT_EQ(events::ReadEvents(files()).events.size(), 1u);
  EXPECT_TRUE(events::ReadEvents(files()).events[0].text.contains("DTSTART;VALUE=DATE:20260710"))
      << events::ReadEvents(files()).events[0].text.toStdString();
  EXPECT_TRUE(events::ReadEvents(files()).events[0].text.contains("DTEND;VALUE=DATE:20260711"));

  // A plain appointment made yearly: gone from the file, kept as one series,
  // in one step (one undo brings the appointment back).
  ASSERT_TRUE(AddAppointment(files(), Appointment{"20260310-1", "Anniversary", "19:00", "22:00",
                                                  true, "30", "Dinner"})
                  .stored());
  AppointmentEditorWindow& edit = OpenEditor(QDate(2026, 3, 10), true);
  EXPECT_EQ(Child<QLineEdit>(edit, appointment_editor_names::kSubject)->text(),
            QStringLiteral("Anniversary"));
  auto* repeats = Child<QComboBox>(edit, appointment_editor_names::kRepeats);
  repeats->setCurrentIndex(repeats->findText(QStringLiteral("Yearly")));
  edit.Ok();
  EXPECT_TRUE(messages_.isEmpty()) << messages_.join('\n').toStdString();
  EXPECT_EQ(files().ReadCount(Channel::kAppoint), 0);
  const std::vector<events::Occurrence> series = Occurrences({2027, 3, 10}, {2027, 3, 10});
  ASSERT_EQ(series.size(), 1u);
  EXPECT_EQ(series[0].summary, QStringLiteral("Anniversary"));
  EXPECT_EQ(series[0].description, QStringLiteral("Dinner"));
  EXPECT_EQ(series[0].alarm_minutes, 30);
  EXPECT_EQ(series[0].start.time(), QTime(19, 0));
  const int steps = app_->History().UndoCount();
  ASSERT_TRUE(app_->History().Undo().stored());
  EXPECT_EQ(ReadAppointment(files(), 0).subject, QStringLiteral("Anniversary"));
  EXPECT_EQ(events::ReadEvents(files()).events.size(), 1u);  // the holiday only
  ASSERT_TRUE(app_->History().Redo().stored());
  EXPECT_EQ(files().ReadCount(Channel::kAppoint), 0);
  EXPECT_EQ(app_->History().UndoCount(), steps);

  // The checks of a plain appointment, in their order; then what only a
  // repeating one needs.
  AppointmentEditorWindow& bad = OpenEditor(QDate(2026, 5, 1), false);
  auto* bad_repeats = Child<QComboBox>(bad, appointment_editor_names::kRepeats);
  bad_repeats->setCurrentIndex(1);
  bad.Ok();
  Child<QComboBox>(bad, appointment_editor_names::kStart)->setEditText(QStringLiteral("9 am"));
  Child<QComboBox>(bad, appointment_editor_names::kEnd)->setEditText(QStringLiteral("9 pm"));
  bad.Ok();
  Child<QComboBox>(bad, appointment_editor_names::kStart)->setEditText(QStringLiteral("09:00"));
  Child<QComboBox>(bad, appointment_editor_names::kEnd)->setEditText(QStringLiteral("10:00"));
  Child<QComboBox>(bad, repeat_panel_names::kEnds)->setCurrentIndex(1);
  bad.findChild<QDateEdit*>(repeat_panel_names::kUntil)->setDate(QDate(2026, 4, 30));
  bad.Ok();
  EXPECT_EQ(
      messages_,
      (QStringList{"You need to specify a Start-Time for the Appointment",
                   "A repeating appointment needs its times as hours and minutes, such as 09:30.",
                   "The repeating cannot end before the day it begins."}));
  EXPECT_TRUE(bad.isVisible());
  EXPECT_EQ(events::ReadEvents(files()).events.size(), 2u);
}

// A series that came from elsewhere: one occurrence moved on its own, the
// series renamed, one occurrence and then the series deleted as the user
// answers; the rest of the event kept, every step undoable.
TEST_F(EditorRepeatsTest, AnOccurrenceEditedAndDeletedAsAsked) {
  const QByteArray series =
      "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//phone//EN\r\nBEGIN:VEVENT\r\nUID:s-1\r\n"
      "DTSTAMP:20260101T000000Z\r\nDTSTART:20260105T090000Z\r\nDTEND:20260105T093000Z\r\n"
      "RRULE:FREQ=WEEKLY;COUNT=5\r\nSUMMARY:Stand-up\r\nX-PHONE-COLOUR:teal\r\nEND:VEVENT\r\nEND:"
      "VCALENDAR\r\n";
  {
    store::Operation op(files());
    ASSERT_EQ(events::PutEvent(op, series), events::PutResult::kStored);
    ASSERT_TRUE(op.Commit().stored());
  }
  const QTimeZone zone = QTimeZone::systemTimeZone();
  auto on = [&](QDate day) {
    const std::vector<events::Occurrence> found = events::ReadOccurrences(files(), day, day, zone);
    EXPECT_EQ(found.size(), 1u) << day.toString().toStdString();
    return found.empty() ? events::Occurrence{} : found[0];
  };
  // This occurrence, chosen in Activities: Edit asks, then opens the editor
  // bound to it; the repeat is the series' and cannot be changed here.
  const events::Occurrence second = on({2026, 1, 12});
  choice_ = 0;
  AppointmentEditorWindow& editor = OpenEditor({2026, 1, 12}, true);
  EXPECT_EQ(offered_, (QStringList{"This Occurrence", "All Occurrences", "Cancel"}));
  EXPECT_EQ(Child<QLineEdit>(editor, appointment_editor_names::kSubject)->text(),
            QStringLiteral("Stand-up"));
  EXPECT_EQ(Child<QComboBox>(editor, appointment_editor_names::kStart)->currentText(),
            second.start.toString(QStringLiteral("HH:mm")));
  EXPECT_EQ(Read(Child<QComboBox>(editor, appointment_editor_names::kRepeats)),
            Role(QAccessible::ComboBox, "Repeats = Weekly"));
  EXPECT_FALSE(Child<QWidget>(editor, appointment_editor_names::kRepeats)->isEnabled());
  EXPECT_FALSE(Child<QWidget>(editor, appointment_editor_names::kAllDay)->isEnabled());
  const QString later = second.start.addSecs(3600).toString(QStringLiteral("HH:mm"));
  Child<QComboBox>(editor, appointment_editor_names::kStart)->setEditText(later);
  Child<QComboBox>(editor, appointment_editor_names::kEnd)
      ->setEditText(second.end.addSecs(3600).toString(QStringLiteral("HH:mm")));
  Child<QLineEdit>(editor, appointment_editor_names::kSubject)
      ->setText(QStringLiteral("Stand-up (late)"));
  editor.Ok();
  EXPECT_TRUE(messages_.isEmpty()) << messages_.join('\n').toStdString();
  EXPECT_EQ(on({2026, 1, 12}).summary, QStringLiteral("Stand-up (late)"));
  EXPECT_EQ(on({2026, 1, 12}).start, second.start.addSecs(3600));
  EXPECT_TRUE(on({2026, 1, 12}).changed);
  EXPECT_EQ(on({2026, 1, 19}).summary, QStringLiteral("Stand-up"));

  // All occurrences: the series' rule shows in the controls.
  editor.OpenForOccurrence(on({2026, 1, 19}), true);
  EXPECT_TRUE(Child<QWidget>(editor, appointment_editor_names::kRepeats)->isEnabled());
  EXPECT_EQ(Read(Child<QComboBox>(editor, repeat_panel_names::kEnds)),
            Role(QAccessible::ComboBox, "Ends = After"));
  EXPECT_EQ(Child<QSpinBox>(editor, repeat_panel_names::kCount)->value(), 5);
  Child<QLineEdit>(editor, appointment_editor_names::kSubject)
      ->setText(QStringLiteral("Daily meeting"));
  editor.Ok();
  EXPECT_EQ(on({2026, 1, 5}).summary, QStringLiteral("Daily meeting"));
  EXPECT_EQ(on({2026, 1, 12}).summary, QStringLiteral("Stand-up (late)"));  // its own subject
  const QByteArray kept = events::FindEvent(files(), QStringLiteral("s-1"))->text;
  EXPECT_TRUE(kept.contains("X-PHONE-COLOUR:teal"));
  EXPECT_TRUE(kept.contains("RRULE:FREQ=WEEKLY;COUNT=5"));

  // Deleting asks; Cancel deletes nothing, "This Occurrence" one, "All" the series.
  choice_ = 2;
  EXPECT_FALSE(DeleteOccurrenceAsked(files(), on({2026, 1, 19})));
  EXPECT_EQ(offered_, (QStringList{"This Occurrence", "All Occurrences", "Cancel"}));
  choice_ = 0;
  {
    // Delete in Activities, the occurrence chosen.
    ActivitiesWindow& activities = app_->Activities();
    activities.SetDate({2026, 1, 19});
    activities.show();
    activities.FillActivities();
    ASSERT_TRUE(activities.ChosenOccurrence().has_value());
    QTest::mouseClick(activities.findChild<QAbstractButton*>(activities_names::kDelete),
                      Qt::LeftButton);
    EXPECT_TRUE(activities.ListedItems().isEmpty());
  }
  EXPECT_TRUE(events::ReadOccurrences(files(), {2026, 1, 19}, {2026, 1, 19}, zone).empty());
  EXPECT_EQ(events::ReadOccurrences(files(), {2026, 1, 1}, {2026, 2, 28}, zone).size(), 4u);
  choice_ = 1;
  EXPECT_TRUE(DeleteOccurrenceAsked(files(), on({2026, 1, 26})));
  EXPECT_TRUE(events::ReadEvents(files()).events.empty());
  // Undo brings back the series, then the occurrence.
  ASSERT_TRUE(app_->History().Undo().stored());
  EXPECT_EQ(events::ReadOccurrences(files(), {2026, 1, 1}, {2026, 2, 28}, zone).size(), 4u);
  ASSERT_TRUE(app_->History().Undo().stored());
  EXPECT_EQ(events::ReadOccurrences(files(), {2026, 1, 1}, {2026, 2, 28}, zone).size(), 5u);
}

// The editor's step that turns a synced plain appointment into a series:
// Appoint.dat, Events.dat and Sync.dat change together or not at all, at
// every crash point and failing call.
class EventStoreSweepTest : public SeamsFixture {};

sync::Link Linked(int index, const QString& href) {
  sync::Link link;
  link.index = index;
  link.href = href;
  link.etag = QStringLiteral("1");
  return link;
}

TEST_F(EventStoreSweepTest, APlainAppointmentBecomesASeries) {
  static const Appointment kFirst{"20260310-1", "Anniversary", "19:00", "22:00",
                                  true,         "30",          "Dinner"};
  static const QDateTime kStart(QDate(2026, 3, 10), QTime(19, 0), QTimeZone("Europe/Berlin"));
  const int points = RunSweep(
      "a plain appointment made a series, with its sync link and another event changed",
      {[](const QString& dir) {
         store::DataFiles files;
         files.SetDataDir(dir);
         ASSERT_EQ(files.OpenDataFiles(), store::OpenResult::kOpened);
         store::Operation op(files);
         ASSERT_TRUE(AddAppointment(op, kFirst).stored());
         ASSERT_TRUE(AddAppointment(
                         op, Appointment{"20260310-2", "Late", "22:00", "23:00", false, "15", ""})
                         .stored());
         sync::SyncState state;
         state.appointments = {Linked(0, "/c/a.ics"), Linked(1, "/c/b.ics")};
         sync::SaveState(files, op, state);
         ASSERT_EQ(events::PutEvent(
                       op, events::NewEventText({.summary = "Old",
                                                 .start = kStart.addDays(-7),
                                                 .end = kStart.addDays(-7).addSecs(3600),
                                                 .repeat = {.kind = events::Repeat::Kind::kDaily}},
                                                kStart)),
                   events::PutResult::kStored);
         ASSERT_TRUE(op.Commit().stored());
       },
       [](store::DataFiles& files) {
         // Made once: every run stores the same text (a new event's UID is new).
         static const QByteArray text =
             events::NewEventText({.summary = "Anniversary",
                                   .start = kStart,
                                   .end = kStart.addSecs(3 * 3600),
                                   .alarm_minutes = 30,
                                   .repeat = {.kind = events::Repeat::Kind::kYearly}},
                                  kStart);
         StoreEventFor(files, text, &kFirst);
       }});
  EXPECT_GT(points, 50);

  // What the step leaves when nothing fails: the later link moved down, the
  // appointment's own marked deleted here, the series kept beside the other.
  auto folder = SweepFolder();
  store::DataFiles files;
  files.SetDataDir(folder->path());
  ASSERT_EQ(files.OpenDataFiles(), store::OpenResult::kOpened);
  {
    store::Operation op(files);
    ASSERT_TRUE(AddAppointment(op, kFirst).stored());
    ASSERT_TRUE(
        AddAppointment(op, Appointment{"20260310-2", "Late", "22:00", "23:00", false, "15", ""})
            .stored());
    sync::SyncState state;
    state.appointments = {Linked(0, "/c/a.ics"), Linked(1, "/c/b.ics")};
    sync::SaveState(files, op, state);
    ASSERT_TRUE(op.Commit().stored());
  }
  const QByteArray text = events::NewEventText({.summary = "A",
                                                .start = kStart,
                                                .end = kStart.addSecs(60),
                                                .repeat = {.kind = events::Repeat::Kind::kYearly}},
                                               kStart);
  EXPECT_EQ(StoreEventFor(files, text, &kFirst), EventStoreResult::kStored);
  EXPECT_EQ(files.ReadCount(Channel::kAppoint), 1);
  const std::optional<sync::SyncState> state = sync::LoadState(files);
  ASSERT_TRUE(state);
  for (const sync::Link& link : state->appointments) {
    EXPECT_EQ(link.index, link.href == "/c/b.ics" ? 0 : -1) << link.href.toStdString();
  }
  // Made again from the same (now gone) appointment: nothing is stored.
  EXPECT_EQ(StoreEventFor(files,
                          events::NewEventText(
                              {.summary = "B", .start = kStart, .end = kStart.addSecs(60)}, kStart),
                          &kFirst),
            EventStoreResult::kAppointmentGone);
  EXPECT_EQ(events::ReadEvents(files).events.size(), 1u);
}

}  // namespace
}  // namespace quorvel::testing
