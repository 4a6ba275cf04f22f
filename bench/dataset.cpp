#include "bench/dataset.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "store/text_codec.h"
#include "store/trim.h"

namespace quorvel::bench {

using store::Channel;

namespace {

const QDate kBusiestDay(2026, 3, 10);

int Scaled(double fraction, Channel channel, int least) {
  const int most = store::Info(channel).max_items;
  return std::clamp(int(std::lround(most * fraction)), least, most);
}

QString Time(int half_hours_after_seven) {
  const int minutes = 7 * 60 + 30 * half_hours_after_seven;
  return QStringLiteral("%1:%2")
      .arg(minutes / 60, 2, 10, QLatin1Char('0'))
      .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

// A file image being built record by record.
class Image {
 public:
  explicit Image(Channel channel)
      : channel_(channel), length_(store::Info(channel).record_length) {}

  void Put(int record, const QByteArray& bytes) {
    const qint64 end = qint64(record) * length_;
    if (bytes_.size() < end) bytes_.resize(end, '\0');
    std::copy(bytes.begin(), bytes.end(), bytes_.begin() + (end - length_));
  }
  void Text(int record, const QString& text) {
    Put(record, store::EncodeTextRecord(*store::EncodeText(text), length_));
  }
  void Integer(int record, std::int16_t value) {
    Put(record, store::EncodeIntegerRecord(value, length_));
  }
  void Count(int count) {
    Put(store::CountRecord(channel_),
        store::EncodeVariantRecord({store::Variant::kInt16, count}, length_));
  }
  QByteArray Take(qint64 size) {
    if (bytes_.size() < size) bytes_.resize(size, '\0');
    return bytes_;
  }

 private:
  Channel channel_;
  int length_;
  QByteArray bytes_;
};

}  // namespace

Dataset Generate(double fraction) {
  Dataset data;
  data.busiest_day = kBusiestDay;

  const int appointments = Scaled(fraction, Channel::kAppoint, 16);
  const int busy = std::max(2, appointments / 96);
  const int spacing = appointments / busy;
  std::map<QString, int> ordinals;
  for (int k = 0; k < appointments; ++k) {
    QDate date = QDate(2026, 1, 1).addDays((k * 37) % 730);
    if (k % spacing == 0 && k / spacing < busy) {
      date = kBusiestDay;
    } else if (date == kBusiestDay) {
      date = date.addDays(1);
    }
    const QString key = DayKey(date);
    Appointment a;
    a.id = key + QLatin1Char('-') + QString::number(++ordinals[key]);
    a.subject = QStringLiteral("Meeting %1 about the quarterly plan").arg(k);
    a.start = Time(k % 30);
    a.end = Time(k % 30 + 1 + k % 3);
    a.reminder = k % 3 == 0;
    a.minutes = QStringLiteral("15");
    a.description =
        QStringLiteral("Bring the figures for item %1.\r\nRoom 2, second floor.").arg(k);
    data.appointments.push_back(a);
  }

  const int entries = Scaled(fraction, Channel::kAddBook, 8);
  const QString initials = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789");
  for (int g = 0; g < entries; ++g) {
    AddressEntry e;
    e.name = QStringLiteral("Name%1").arg(g);
    e.surname = QStringLiteral("%1orthwood%2")
                    .arg(initials.at(g % initials.size()))
                    .arg(g, 4, 10, QLatin1Char('0'));
    e.address = QStringLiteral("%1 High Street\r\nLittle Hampton\r\nWest County").arg(g);
    for (int i = 0; i < kAddressPhoneCount; ++i) {
      e.phones[i] = QStringLiteral("0%1 555 %2").arg(i + 1).arg(g, 4, 10, QLatin1Char('0'));
    }
    const QDate born(1950 + g % 50, 1 + (g * 5) % 12, 1 + (g * 7) % 28);
    e.birthday_date = BirthdayText(born);
    e.birthday_flag = g % 4 == 3 ? QStringLiteral("0") : QStringLiteral("1");
    e.email = QStringLiteral("person%1@example.org").arg(g);
    e.home_page = QStringLiteral("www.example.org/%1").arg(g);
    e.notes = QStringLiteral("Met at the conference.\r\nPrefers mornings.");
    data.entries.push_back(e);
  }

  const int notes = Scaled(fraction, Channel::kNotes, 8);
  QString body;
  while (body.size() < 400)
    body += QStringLiteral("Remember the shopping list and the letters.\r\n");
  body.truncate(400);
  for (int n = 0; n < notes; ++n) {
    data.notes.push_back(
        Note{QStringLiteral("Note %1").arg(n, 5, 10, QLatin1Char('0')), body.left(300 + n % 100)});
  }
  return data;
}

QByteArray AppointImage(const std::vector<Appointment>& items, qint64 size) {
  Image image(Channel::kAppoint);
  image.Count(int(items.size()));
  for (int k = 0; k < int(items.size()); ++k) {
    const Appointment& a = items[k];
    const auto record = [k](int field) { return store::FieldRecord(Channel::kAppoint, k, field); };
    image.Text(record(kAppointmentId), a.id);
    image.Text(record(kAppointmentSubject), a.subject);
    image.Text(record(kAppointmentStart), a.start);
    image.Text(record(kAppointmentEnd), a.end);
    image.Integer(record(kAppointmentReminder), a.reminder ? -1 : 0);
    image.Text(record(kAppointmentMinutes), a.minutes);
    image.Text(record(kAppointmentDescription), a.description);
  }
  return image.Take(size);
}

QByteArray AddBookImage(const std::vector<AddressEntry>& items, qint64 size) {
  Image image(Channel::kAddBook);
  image.Count(int(items.size()));
  for (int g = 0; g < int(items.size()); ++g) {
    const auto fields = items[g].Fields();
    for (int f = 1; f <= kAddressFieldCount; ++f) {
      image.Text(store::FieldRecord(Channel::kAddBook, g, f), fields[f - 1]);
    }
  }
  return image.Take(size);
}

QByteArray NotesImage(const std::vector<Note>& items, qint64 size) {
  Image image(Channel::kNotes);
  image.Count(int(items.size()));
  for (int n = 0; n < int(items.size()); ++n) {
    image.Text(store::FieldRecord(Channel::kNotes, n, kNoteTitle), items[n].title);
    image.Text(store::FieldRecord(Channel::kNotes, n, kNoteBody), items[n].body);
  }
  return image.Take(size);
}

std::vector<Appointment> WithoutAppointment(std::vector<Appointment> items, int index) {
  const QString id = items[index].id;
  const QString day = id.left(8);
  const int ordinal = id.mid(9).toInt();
  items.erase(items.begin() + index);
  for (Appointment& a : items) {
    if (a.id.left(8) != day) continue;
    const int other = a.id.mid(9).toInt();
    if (other > ordinal) a.id = a.id.left(9) + QString::number(other - 1);
  }
  return items;
}

std::set<int> AppointmentDays(const Dataset& data, int year, int month) {
  std::set<int> days;
  const QString prefix =
      QStringLiteral("%1%2").arg(year, 4, 10, QLatin1Char('0')).arg(month, 2, 10, QLatin1Char('0'));
  for (const Appointment& a : data.appointments) {
    if (a.id.startsWith(prefix)) days.insert(a.id.mid(6, 2).toInt());
  }
  return days;
}

std::set<int> BirthdayDays(const Dataset& data, int year, int month) {
  std::set<int> days;
  for (const AddressEntry& e : data.entries) {
    const QDate born = ParseBirthdayText(e.birthday_date);
    if (!BirthdayFlagSet(e.birthday_flag) || born.month() != month) continue;
    if (QDate(year, month, born.day()).isValid()) days.insert(born.day());
  }
  return days;
}

QStringList SubjectsOn(const Dataset& data, const QDate& date) {
  QStringList subjects;
  const QString key = DayKey(date);
  for (const Appointment& a : data.appointments) {
    if (a.id.left(8) == key) subjects.append(store::TrimSpaces(a.subject));
  }
  return subjects;
}

int BirthdayCountOn(const Dataset& data, const QDate& date) {
  int count = 0;
  for (const AddressEntry& e : data.entries) {
    const QDate born = ParseBirthdayText(e.birthday_date);
    if (BirthdayFlagSet(e.birthday_flag) && born.day() == date.day() &&
        born.month() == date.month()) {
      ++count;
    }
  }
  return count;
}

}  // namespace quorvel::bench
