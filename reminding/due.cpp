#include "reminding/due.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QLocale>

#include "events/event_file.h"
#include "events/occurrences.h"
#include "reminding/reminder_keeper.h"
#include "store/record_codec.h"
#include "store/trim.h"

namespace quorvel::reminding {
namespace {

using store::Channel;

constexpr int kSubjectShown = 30;

std::optional<int> WholeNumber(QStringView text) {
  if (text.isEmpty() || text.size() > 9) return std::nullopt;
  int value = 0;
  for (QChar c : text) {
    if (c < QLatin1Char('0') || c > QLatin1Char('9')) return std::nullopt;
    value = value * 10 + (c.unicode() - '0');
  }
  return value;
}

// "HH:MM" (and whatever follows) as minutes of the day; 24:00 is the end
// of the day when `end_of_day` allows it.
std::optional<int> ClockMinutes(const QString& text, bool end_of_day) {
  if (text.size() < 5 || text.at(2) != QLatin1Char(':')) return std::nullopt;
  const auto hour = WholeNumber(QStringView(text).left(2));
  const auto minute = WholeNumber(QStringView(text).mid(3, 2));
  if (!hour || !minute || *minute > 59) return std::nullopt;
  if (*hour == 24 && *minute == 0 && end_of_day) return 1440;
  if (*hour > 23) return std::nullopt;
  return *hour * 60 + *minute;
}

QDateTime At(const QDate& day, int minutes) {
  const int in_day = minutes % 1440;
  return QDateTime(day.addDays(minutes / 1440), QTime(in_day / 60, in_day % 60));
}

struct Stat {
  bool present = false;
  qint64 size = 0;
  timespec modified{};
  timespec changed{};
  ino_t inode = 0;
  bool operator==(const Stat& o) const {
    return present == o.present && size == o.size && inode == o.inode &&
           modified.tv_sec == o.modified.tv_sec && modified.tv_nsec == o.modified.tv_nsec &&
           changed.tv_sec == o.changed.tv_sec && changed.tv_nsec == o.changed.tv_nsec;
  }
};

bool Exists(const QByteArray& path) {
  struct stat info {};
  return ::lstat(path.constData(), &info) == 0;
}

// The file as it stands between two changes (see ReadAppointFile).
std::optional<QByteArray> ReadFolderFile(const QString& folder, Channel channel);

}  // namespace

QString DisplaySubject(const QString& subject) {
  const QString trimmed = store::TrimSpaces(subject);
  if (trimmed.size() <= kSubjectShown) return trimmed;
  return trimmed.left(kSubjectShown) + QStringLiteral(" ...");
}

std::vector<Reminder> RemindersIn(const QByteArray& appoint) {
  std::vector<Reminder> reminders;
  const Channel channel = Channel::kAppoint;
  const store::ChannelInfo& info = store::Info(channel);
  const int length = info.record_length;
  auto record = [&](int number) -> const char* {
    const qint64 offset = qint64(number - 1) * length;
    if (offset + length > appoint.size()) return nullptr;
    return appoint.constData() + offset;
  };
  const char* count_record = record(store::CountRecord(channel));
  if (count_record == nullptr) return reminders;
  const int count = store::CountOf(channel, store::DecodeVariantAt(count_record, length));
  for (int k = 0; k < count; ++k) {
    const char* group = record(store::FieldRecord(channel, k, 1));
    if (group == nullptr || record(store::FieldRecord(channel, k, 7)) == nullptr) break;
    auto field = [&](int f) { return group + qsizetype(f - 1) * length; };
    if (store::DecodeIntegerAt(field(5), length) != -1) continue;
    const QByteArrayView id = store::TextBytesAt(field(1), length);
    if (id.size() < 8) continue;
    const QDate day =
        QDate::fromString(QString::fromLatin1(id.first(8)), QStringLiteral("yyyyMMdd"));
    if (!day.isValid()) continue;
    Reminder r;
    r.start = store::DecodeTextAt(field(3), length);
    r.end = store::DecodeTextAt(field(4), length);
    const QString lead = store::TrimSpaces(store::DecodeTextAt(field(6), length));
    const auto start = ClockMinutes(r.start, false);
    const auto minutes = WholeNumber(lead);
    if (!start || !minutes) continue;
    r.day = day;
    r.lead = QString::number(*minutes);
    r.starts = At(day, *start);
    r.due = r.starts.addSecs(-qint64(*minutes) * 60);
    const auto end = ClockMinutes(r.end, true);
    r.ends = end && *end > *start ? At(day, *end) : r.starts;
    r.subject = store::TrimSpaces(store::DecodeTextAt(field(2), length));
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(id.first(8));
    for (int f : {2, 3, 4}) {
      hash.addData(QByteArrayView("\0", 1));
      hash.addData(store::TextBytesAt(field(f), length));
    }
    hash.addData(QByteArrayView("\0", 1));
    hash.addData(r.lead.toLatin1());
    r.key = hash.result().left(16);
    reminders.push_back(std::move(r));
  }
  return reminders;
}

std::vector<Reminder> EventReminders(const QByteArray& text, const QDate& from, const QDate& to,
                                     const QTimeZone& zone) {
  std::vector<Reminder> reminders;
  {
    events::Expansion expansion = events::OccurrencesBetween(text, from, to, zone);
    // An alarm days ahead of its occurrence is due before the occurrence
    // comes into the days asked for: those ahead are looked at too, as far
    // as the longest alarm reaches back from them.
    constexpr int kMinutesPerDay = 24 * 60;
    if (expansion.longest_alarm_minutes >= kMinutesPerDay) {
      expansion = events::OccurrencesBetween(
          text, from, to.addDays(expansion.longest_alarm_minutes / kMinutesPerDay + 1), zone);
    }
    const QDateTime after_last(to.addDays(1), QTime(0, 0), zone);
    for (const events::Occurrence& o : expansion.occurrences) {
      if (o.alarm_minutes < 0) continue;
      const QDateTime due = o.start.addSecs(-qint64(o.alarm_minutes) * 60);
      if (o.first_day() > to && due >= after_last) continue;
      Reminder r;
      r.day = o.start.date();
      r.starts = o.start;
      r.ends = o.end > o.start ? o.end : o.start;
      r.due = due;
      r.subject = o.summary.trimmed();
      r.lead = QString::number(o.alarm_minutes);
      r.all_day = o.all_day;
      if (o.all_day) {
        r.start = ReminderKeeper::tr("All day");
      } else {
        r.start = o.start.toString(QStringLiteral("HH:mm"));
        r.end = o.end.date() > o.start.date() && o.end > o.start
                    ? QLocale().toString(o.end.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
                          o.end.toString(QStringLiteral("HH:mm"))
                    : r.ends.toString(QStringLiteral("HH:mm"));
      }
      // Which occurrence, at what moment, about what: a moved or renamed
      // occurrence, or another lead, is a new reminder.
      QCryptographicHash hash(QCryptographicHash::Sha256);
      hash.addData(QByteArrayView("event", 5));
      for (const QString& part :
           {o.uid, o.instance, QString::number(o.start.toSecsSinceEpoch()), r.subject, r.lead}) {
        hash.addData(QByteArrayView("\0", 1));
        hash.addData(part.toUtf8());
      }
      r.key = hash.result().left(16);
      reminders.push_back(std::move(r));
    }
  }
  return reminders;
}

void SortByStart(std::vector<Reminder>& reminders) {
  std::stable_sort(reminders.begin(), reminders.end(),
                   [](const Reminder& a, const Reminder& b) { return a.starts < b.starts; });
}

std::vector<Reminder> EventRemindersIn(const QByteArray& bytes, const QDate& from, const QDate& to,
                                       const QTimeZone& zone) {
  std::vector<Reminder> reminders;
  for (const events::StoredEvent& event : events::EventsIn(bytes).events) {
    std::vector<Reminder> own = EventReminders(event.text, from, to, zone);
    reminders.insert(reminders.end(), own.begin(), own.end());
  }
  SortByStart(reminders);
  return reminders;
}

std::optional<QByteArray> ReadAppointFile(const QString& folder) {
  return ReadFolderFile(folder, Channel::kAppoint);
}

std::optional<QByteArray> ReadEventsFile(const QString& folder) {
  return ReadFolderFile(folder, Channel::kEvents);
}

QByteArray EventsFileStamp(const QString& folder) {
  const QByteArray path = QFile::encodeName(
      QDir(folder).filePath(QString::fromLatin1(store::Info(Channel::kEvents).file_name)));
  if (Exists(path + "-journal")) return QByteArray();
  struct stat info {};
  if (::lstat(path.constData(), &info) != 0)
    return errno == ENOENT ? QByteArray("none") : QByteArray();
  QByteArray stamp;
  for (qint64 part :
       {qint64(info.st_size), qint64(info.st_ino), qint64(info.st_mtim.tv_sec),
        qint64(info.st_mtim.tv_nsec), qint64(info.st_ctim.tv_sec), qint64(info.st_ctim.tv_nsec)}) {
    stamp += QByteArray::number(part) + ' ';
  }
  return stamp;
}

namespace {

std::optional<QByteArray> ReadFolderFile(const QString& folder, Channel channel) {
  const QByteArray path =
      QFile::encodeName(QDir(folder).filePath(QString::fromLatin1(store::Info(channel).file_name)));
  const QByteArray journal = path + "-journal";
  auto look = [&](Stat* into) {
    struct stat info {};
    if (::lstat(path.constData(), &info) != 0) return errno == ENOENT;
    if (!S_ISREG(info.st_mode)) return false;
    into->present = true;
    into->size = info.st_size;
    into->modified = info.st_mtim;
    into->changed = info.st_ctim;
    into->inode = info.st_ino;
    return true;
  };
  Stat before;
  if (Exists(journal) || !look(&before)) return std::nullopt;
  if (!before.present) return QByteArray();
  const int handle = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (handle < 0) return std::nullopt;
  QByteArray bytes;
  QFile file;
  if (file.open(handle, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
    bytes = file.readAll();
  else
    ::close(handle);
  Stat after;
  if (Exists(journal) || !look(&after) || !(after == before) || bytes.size() != before.size) {
    return std::nullopt;
  }
  return bytes;
}

}  // namespace

bool Current(const Reminder& reminder, const QDateTime& now) {
  if (now < reminder.due) return false;
  return now < reminder.ends || reminder.due.msecsTo(now) < kShortestShowMs;
}

bool Missed(const Reminder& reminder, const QDateTime& now) {
  return reminder.due.msecsTo(now) > kLateAfterMs;
}

}  // namespace quorvel::reminding
