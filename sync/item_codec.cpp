#include "sync/item_codec.h"

#include <QCryptographicHash>
#include <QDateTime>

#include "interchange/mapping.h"
#include "interchange/patch.h"
#include "store/data_files.h"
#include "store/date_text.h"
#include "sync/texts.h"

namespace quorvel::sync {
namespace {

QByteArray Hash(const QStringList& parts) {
  QCryptographicHash hash(QCryptographicHash::Sha256);
  for (const QString& part : parts) {
    const QByteArray bytes = part.toUtf8();
    hash.addData(QByteArray::number(bytes.size()) + ':');
    hash.addData(bytes);
  }
  return hash.result().left(16);
}

QString FieldsProblem(store::Channel channel, const QStringList& fields) {
  for (const QString& text : fields) {
    const QString refusal = store::TextRefusal(channel, text);
    if (!refusal.isNull()) return refusal;
  }
  return QString();
}

}  // namespace

QString NameOf(const Appointment& a) {
  const QDate date = QDate::fromString(a.id.left(8), QStringLiteral("yyyyMMdd"));
  return SyncTexts::tr("\"%1\" on %2").arg(a.subject, DateText(date));
}

QString NameOf(const AddressEntry& e) { return QStringLiteral("\"%1\"").arg(e.Key()); }

DecodedAppointment DecodeAppointment(const QByteArray& ics) {
  DecodedAppointment out;
  const interchange::EventReading reading = interchange::ReadEvents(ics);
  if (!reading.ok()) {
    out.problem = reading.error;
    out.name = SyncTexts::tr("an event");
    return out;
  }
  const std::size_t events = reading.kept.size() + reading.appointments.size();
  if (!reading.kept.empty() || events > 1) {
    // Not one appointment: kept whole when it is one event (the plan
    // checks that its VEVENTs share one UID).
    out.whole = true;
    if (!reading.kept.empty()) {
      out.name = reading.kept.front().name;
      out.uid = reading.kept.front().uid;
    } else {
      Appointment first = reading.appointments.front().appointment;
      first.id = DayKey(reading.appointments.front().date) + QStringLiteral("-1");
      out.name = NameOf(first);
      out.uid = reading.appointments.front().uid;
    }
    out.problem = events > 1 ? SyncTexts::tr("it holds several events")
                             : SyncTexts::tr("an appointment here cannot hold it");
    return out;
  }
  if (!reading.skipped.empty()) {
    out.name = reading.skipped.front().item;
    out.problem = reading.skipped.front().reason;
    return out;
  }
  if (!reading.birthdays.empty()) {
    out.name = SyncTexts::tr("the birthday of %1").arg(reading.birthdays.front().key);
    out.problem = SyncTexts::tr("birthdays are kept in the address book");
    return out;
  }
  if (reading.appointments.empty()) {
    out.name = SyncTexts::tr("an entry without an event");
    out.problem = SyncTexts::tr("it holds no event");
    return out;
  }
  const interchange::EventAppointment& first = reading.appointments.front();
  out.left_out = reading.left_out;
  out.date = first.date;
  out.appointment = first.appointment;
  out.appointment.id = DayKey(first.date) + QStringLiteral("-1");
  out.uid = first.uid;
  out.name = NameOf(out.appointment);
  out.problem = StorageProblem(out.appointment);
  // What the record cannot take is kept whole, as the event it is.
  out.whole = !out.problem.isNull();
  out.appointment.id.clear();
  return out;
}

DecodedEntry DecodeEntry(const QByteArray& vcf) {
  DecodedEntry out;
  const interchange::ContactReading reading = interchange::ReadContacts(vcf);
  if (!reading.ok()) {
    out.problem = reading.error;
    out.name = SyncTexts::tr("a contact");
    return out;
  }
  if (!reading.skipped.empty()) {
    out.name = reading.skipped.front().item;
    out.problem = reading.skipped.front().reason;
    return out;
  }
  if (reading.entries.size() != 1) {
    out.name = SyncTexts::tr("a contact");
    out.problem = reading.entries.empty() ? SyncTexts::tr("it holds no contact")
                                          : SyncTexts::tr("it holds several contacts");
    return out;
  }
  out.entry = reading.entries.front();
  out.left_out = reading.left_out;
  if (!reading.uids.empty()) out.uid = reading.uids.front();
  out.name = NameOf(out.entry);
  out.problem = StorageProblem(out.entry);
  return out;
}

QByteArray EncodeAppointment(const Appointment& appointment, const QString& uid) {
  return interchange::WriteAppointmentEvent(appointment, uid, QDateTime::currentDateTimeUtc(),
                                            QTimeZone::systemTimeZone());
}

std::optional<QByteArray> PatchAppointment(const QByteArray& kept, const Appointment& now,
                                           const QString& uid) {
  DecodedAppointment before = DecodeAppointment(kept);
  if (!before.problem.isNull()) return std::nullopt;
  before.appointment.id = DayKey(before.date) + QStringLiteral("-1");
  return interchange::PatchEvent(kept, before.appointment, now, uid);
}

std::optional<QByteArray> PatchEntry(const QByteArray& kept, const AddressEntry& now,
                                     const QString& uid) {
  const DecodedEntry before = DecodeEntry(kept);
  if (!before.problem.isNull()) return std::nullopt;
  return interchange::PatchCard(kept, before.entry, now, uid);
}

QByteArray EncodeEntry(const AddressEntry& entry, const QString& uid) {
  QByteArray card = interchange::WriteContact(entry);
  // The card carries the UID the server knows it by.
  const int uid_at = card.indexOf("\r\nUID:");
  if (uid_at >= 0) {
    const int end = card.indexOf("\r\n", uid_at + 2);
    card.replace(uid_at + 2, end - uid_at - 2, "UID:" + uid.toUtf8());
  } else {
    card.replace("\r\nVERSION:3.0\r\n", "\r\nVERSION:3.0\r\nUID:" + uid.toUtf8() + "\r\n");
  }
  return card;
}

QByteArray Digest(const Appointment& a) {
  return Hash({a.id.left(8), a.subject, a.start, a.end,
               a.reminder ? QStringLiteral("1") : QStringLiteral("0"), a.minutes, a.description});
}

QByteArray Digest(const AddressEntry& e) {
  const auto fields = e.Fields();
  return Hash(QStringList(fields.begin(), fields.end()));
}

QString StorageProblem(const Appointment& a) {
  return FieldsProblem(store::Channel::kAppoint,
                       {a.id, a.subject, a.start, a.end, a.minutes, a.description});
}

QString StorageProblem(const AddressEntry& e) {
  const auto fields = e.Fields();
  return FieldsProblem(store::Channel::kAddBook, QStringList(fields.begin(), fields.end()));
}

}  // namespace quorvel::sync
