// Readings stored in the data files in one store operation (StoreReadings).
#include "interchange/transfer.h"

#include "events/event_file.h"
#include "interchange/kept_events.h"
#include "interchange/texts.h"
#include "interchange/transfer_internal.h"
#include "items/imported_appointments.h"
#include "store/date_text.h"

#include <QHash>
#include <QSet>

#include <map>

namespace quorvel::interchange {
namespace {

QString AlreadyPresent() { return InterchangeTexts::tr("already present"); }

QString AppointmentKey(const QString& day_key, const Appointment& a) {
  return day_key + QLatin1Char('\t') + a.start + QLatin1Char('\t') + a.subject;
}

QString KeptProblem(events::PutResult put, qsizetype length) {
  switch (put) {
    case events::PutResult::kTooLarge:
      return InterchangeTexts::tr("it is too large to be kept (%1 bytes; at most %2)")
          .arg(length)
          .arg(events::LargestEventText());
    case events::PutResult::kNoRoom:
      return InterchangeTexts::tr("the file of events kept whole (Events.dat) is full");
    default:
      return InterchangeTexts::tr("it cannot be kept as one event");
  }
}

}  // namespace

ImportSummary StoreReadings(store::DataFiles& files, const std::vector<Reading>& readings) {
  ImportSummary summary;
  summary.files.resize(readings.size());
  store::Operation op(files);

  // What is stored now.
  QSet<QString> keys;
  QSet<QString> birthdays;
  const store::Channel book = store::Channel::kAddBook;
  for (int k = 0, count = op.ReadCount(book); k < count; ++k) {
    const QString key = op.ReadText(book, store::FieldRecord(book, k, kFieldKey));
    keys.insert(key);
    if (BirthdayFlagSet(op.ReadText(book, store::FieldRecord(book, k, kFieldBirthdayFlag)))) {
      birthdays.insert(key);
    }
  }
  QSet<QString> appointments;
  QHash<QString, int> per_day;
  const store::Channel cal = store::Channel::kAppoint;
  for (int k = 0, count = op.ReadCount(cal); k < count; ++k) {
    Appointment a;
    a.id = op.ReadText(cal, store::FieldRecord(cal, k, 1));
    a.subject = op.ReadText(cal, store::FieldRecord(cal, k, 2));
    a.start = op.ReadText(cal, store::FieldRecord(cal, k, 3));
    appointments.insert(AppointmentKey(a.id.left(8), a));
    ++per_day[a.id.left(8)];
  }

  // The events kept whole, by UID.
  std::map<QString, Revision> kept;
  for (const events::StoredEvent& e : events::ReadEvents(files).events)
    kept[e.uid] = RevisionOf(e.text);
  // The events imported appointments came as.
  std::map<QString, ImportedAppointment> imported;
  for (auto& [index, a] : ReadImported(files)) imported.emplace(a.uid, std::move(a));

  // Contacts first: a birthday event of a contact imported now is then
  // already present.
  for (size_t i = 0; i < readings.size(); ++i) {
    const ContactReading& reading = readings[i].contacts;
    FileSummary& file = summary.files[i];
    file.path = readings[i].path;
    file.skipped = reading.skipped;
    file.shortened = reading.shortened;
    file.left_out = reading.left_out;
    for (const AddressEntry& entry : reading.entries) {
      const QString key = entry.Key();
      if (keys.contains(key)) {
        file.skipped.push_back({key, AlreadyPresent()});
        continue;
      }
      const store::Outcome outcome = AddAddressEntry(op, entry, &keys);
      if (outcome.refused()) {
        file.skipped.push_back({key, outcome.reason()});
        continue;
      }
      if (BirthdayFlagSet(entry.birthday_flag)) birthdays.insert(key);
      ++file.contacts;
    }
  }
  for (size_t i = 0; i < readings.size(); ++i) {
    const EventReading& reading = readings[i].events;
    FileSummary& file = summary.files[i];
    file.skipped.insert(file.skipped.end(), reading.skipped.begin(), reading.skipped.end());
    file.left_out.append(reading.left_out);
    file.notes.append(reading.notes);
    for (const BirthdayEvent& b : reading.birthdays) {
      const QString item = InterchangeTexts::tr("Birthday - ") + b.key;
      if (birthdays.contains(b.key)) {
        file.skipped.push_back({item, AlreadyPresent()});
      } else {
        file.skipped.push_back(
            {item,
             InterchangeTexts::tr("birthdays come from the address book: import its vCard file")});
      }
    }
    for (const KeptEvent& e : reading.kept) {
      const auto present = kept.find(e.uid);
      const bool newer =
          present != kept.end() && Revision{e.sequence, e.modified}.NewerThan(present->second);
      if ((present != kept.end() && !newer) ||
          (present == kept.end() && !e.plain_key.isEmpty() && appointments.contains(e.plain_key))) {
        file.skipped.push_back({e.name, AlreadyPresent()});
        continue;
      }
      const events::PutResult put = events::PutEvent(op, e.text);
      if (put != events::PutResult::kStored) {
        file.skipped.push_back({e.name, KeptProblem(put, e.text.size())});
        continue;
      }
      kept[e.uid] = Revision{e.sequence, e.modified};
      ++file.appointments;
      if (newer) ++file.updated;
    }
    ImportedKeeper keeper(op);
    QHash<QString, QString> named;  // what the user is told of each UID kept
    for (const EventAppointment& e : reading.appointments) {
      const QString day = DayKey(e.date);
      const QString item = InterchangeTexts::tr("\"%1\" on %2 at %3")
                               .arg(e.appointment.subject, DateText(e.date), e.appointment.start);
      if (e.date.year() < 1000 || e.date.year() > 9999) {
        file.skipped.push_back({item, InterchangeTexts::tr("its year cannot be stored")});
        continue;
      }
      const QString key = AppointmentKey(day, e.appointment);
      const auto known = e.kept.isEmpty() ? imported.end() : imported.find(e.uid);
      if (known != imported.end() && RevisionOf(e.kept).NewerThan(RevisionOf(known->second.text))) {
        // A newer copy of an imported event: taken in place of the one
        // here while that is as it came and stays on its day.
        ImportedAppointment& was = known->second;
        const int k = was.index;
        Appointment now;
        now.id = op.ReadText(cal, store::FieldRecord(cal, k, 1));
        now.subject = op.ReadText(cal, store::FieldRecord(cal, k, 2));
        now.start = op.ReadText(cal, store::FieldRecord(cal, k, 3));
        now.end = op.ReadText(cal, store::FieldRecord(cal, k, 4));
        now.reminder = op.ReadInteger(cal, store::FieldRecord(cal, k, 5)) == -1;
        now.minutes = op.ReadText(cal, store::FieldRecord(cal, k, 6));
        now.description = op.ReadText(cal, store::FieldRecord(cal, k, 7));
        if (k < 0 || k >= op.ReadCount(cal) || !SameAppointment(now, was.as_read) ||
            now.id.left(8) != day) {
          file.skipped.push_back(
              {item, InterchangeTexts::tr("a newer copy of an appointment already here, "
                                          "which was changed here or moves to another day")});
          continue;
        }
        Appointment a = e.appointment;
        a.id = now.id;
        RewriteAppointment(op, k, a);
        keeper.Add(k, e.uid, e.kept, a);
        named.insert(e.uid, item);
        was.text = e.kept;
        was.as_read = a;
        appointments.remove(AppointmentKey(day, now));
        appointments.insert(key);
        ++file.appointments;
        ++file.updated;
        continue;
      }
      if (appointments.contains(key) || known != imported.end()) {
        file.skipped.push_back({item, AlreadyPresent()});
        continue;
      }
      Appointment a = e.appointment;
      a.id = day + QLatin1Char('-') + QString::number(per_day.value(day) + 1);
      const int index = op.ReadCount(cal);
      const store::Outcome outcome = AddAppointment(op, a);
      if (outcome.refused()) {
        file.skipped.push_back({item, outcome.reason()});
        continue;
      }
      if (!e.kept.isEmpty()) {
        keeper.Add(index, e.uid, e.kept, a);
        imported[e.uid] = ImportedAppointment{index, e.uid, e.kept, a};
        named.insert(e.uid, item);
      }
      appointments.insert(key);
      ++per_day[day];
      ++file.appointments;
    }
    for (const QString& uid : keeper.Finish()) {
      file.left_out.append(
          InterchangeTexts::tr("%1: the event as it came, with its UID and what "
                               "the appointment has no field for (it cannot be kept beside it)")
              .arg(named.value(uid)));
    }
  }
  const store::Outcome committed = op.Commit();
  if (committed.refused()) {
    summary.error = InterchangeTexts::tr("Nothing was imported: %1").arg(committed.reason());
    summary.files.clear();
  }
  return summary;
}

}  // namespace quorvel::interchange
