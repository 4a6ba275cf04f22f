// The time zones of a calendar being read (see event_zones.h).
#include "interchange/event_zones.h"

#include <QDateTime>
#include <QRegularExpression>

namespace quorvel::interchange::ical {
namespace {

// The IANA name `tzid` stands for: itself, or the name at the end of a
// prefixed form ("/mozilla.org/20050126_1/Europe/Paris"); empty when it is
// none.
QByteArray RealZoneName(const QByteArray& tzid) {
  if (tzid.isEmpty()) return QByteArray();
  if (QTimeZone::isTimeZoneIdAvailable(tzid)) return tzid;
  for (qsizetype slash = tzid.indexOf('/'); slash >= 0; slash = tzid.indexOf('/', slash + 1)) {
    const QByteArray rest = tzid.mid(slash + 1);
    if (rest.contains('/') && QTimeZone::isTimeZoneIdAvailable(rest)) return rest;
  }
  return QByteArray();
}

// The Windows zone a display name such as "(GMT+10:00) Canberra, Melbourne,
// Sydney", "(UTC+01:00) Amsterdam, Berlin, Bern" or "(UTC-05:00) Eastern
// Time (US & Canada)" stands for: at the offset named, the one whose name
// the region is, else the one whose zones include most of the cities named.
// Empty when no Windows zone Qt knows matches.
QByteArray WindowsIdOfDisplayName(const QString& name) {
  static const QRegularExpression form(
      QStringLiteral(
          "^\\(\\s*(?:GMT|UTC)\\s*(?:([+-])\\s*(\\d{1,2})(?:[:.]?(\\d{2}))?)?\\s*\\)\\s*(.+)$"),
      QRegularExpression::CaseInsensitiveOption);
  const QRegularExpressionMatch m = form.match(name.trimmed());
  if (!m.hasMatch()) return QByteArray();
  int offset = m.captured(2).toInt() * 3600 + m.captured(3).toInt() * 60;
  if (m.captured(1) == QLatin1String("-")) offset = -offset;
  // Every zone Qt knows, by its city ("Australia/Sydney": "sydney").
  static const std::multimap<QString, QByteArray> by_city = [] {
    std::multimap<QString, QByteArray> index;
    for (const QByteArray& id : QTimeZone::availableTimeZoneIds()) {
      const QString city = QString::fromLatin1(id.mid(id.lastIndexOf('/') + 1))
                               .replace(QLatin1Char('_'), QLatin1Char(' '));
      index.emplace(city.toLower(), id);
    }
    return index;
  }();
  static const QRegularExpression separators(QStringLiteral("\\s*(?:[,;:/&]|\\band\\b)\\s*"));
  std::map<QByteArray, int> votes;
  // A region named as the Windows zone is ("Eastern Time (US & Canada)" for
  // "Eastern Standard Time") outweighs any number of cities.
  static const std::set<QByteArray> windows_ids = [] {
    std::set<QByteArray> ids;
    for (const QByteArray& id : QTimeZone::availableTimeZoneIds()) {
      const QByteArray windows = QTimeZone::ianaIdToWindowsId(id);
      if (!windows.isEmpty()) ids.insert(windows);
    }
    return ids;
  }();
  const QString place = m.captured(4).trimmed();
  for (const QByteArray& id : windows_ids) {
    QString region = QString::fromLatin1(id);
    region.replace(QLatin1String(" Standard Time"), QLatin1String(" Time"));
    if (region.contains(QLatin1Char(' ')) && place.startsWith(region, Qt::CaseInsensitive))
      votes[id] += 1000;
  }
  for (const QString& city : place.split(separators, Qt::SkipEmptyParts)) {
    std::set<QByteArray> windows;  // one vote per city and Windows zone
    const auto [from, to] = by_city.equal_range(city.trimmed().toLower());
    for (auto it = from; it != to; ++it) {
      const QByteArray id = QTimeZone::ianaIdToWindowsId(it->second);
      if (!id.isEmpty()) windows.insert(id);
    }
    for (const QByteArray& id : windows) ++votes[id];
  }
  QByteArray best;
  int most = 0;
  const QDateTime now = QDateTime::currentDateTimeUtc();
  for (const auto& [id, count] : votes) {
    const QTimeZone zone(QTimeZone::windowsIdToDefaultIanaId(id));
    if (!zone.isValid() || zone.standardTimeOffset(now) != offset) continue;
    if (count > most) {
      best = id;
      most = count;
    }
  }
  return best;
}

}  // namespace

Wall ToWall(icaltimetype t, const QTimeZone& zone) {
  if (t.is_date) return Wall{QDate(t.year, t.month, t.day), 0};
  if (icaltime_is_utc(t) || t.zone) {
    const time_t secs =
        icaltime_as_timet_with_zone(t, t.zone ? t.zone : icaltimezone_get_utc_timezone());
    const QDateTime local = QDateTime::fromSecsSinceEpoch(static_cast<qint64>(secs), zone);
    return Wall{local.date(), local.time().hour() * 60 + local.time().minute()};
  }
  return Wall{QDate(t.year, t.month, t.day), t.hour * 60 + t.minute};
}

qint64 SecondsBetween(icaltimetype a, icaltimetype b) {
  auto secs = [](icaltimetype t) {
    return static_cast<qint64>(
        icaltime_as_timet_with_zone(t, t.zone ? t.zone : icaltimezone_get_utc_timezone()));
  };
  return secs(b) - secs(a);
}

QString InstanceKey(icaltimetype t) {
  if (t.is_date) return QStringLiteral("d%1-%2-%3").arg(t.year).arg(t.month).arg(t.day);
  if (icaltime_is_utc(t) || t.zone) {
    return QStringLiteral("u%1").arg(static_cast<qint64>(
        icaltime_as_timet_with_zone(t, t.zone ? t.zone : icaltimezone_get_utc_timezone())));
  }
  return QStringLiteral("f%1-%2-%3T%4:%5:%6")
      .arg(t.year)
      .arg(t.month)
      .arg(t.day)
      .arg(t.hour)
      .arg(t.minute)
      .arg(t.second);
}
QString DateKey(icaltimetype t) {
  return QStringLiteral("d%1-%2-%3").arg(t.year).arg(t.month).arg(t.day);
}

icaltimetype Zones::With(icaltimetype t, icalproperty* property) {
  if (t.is_date || icaltime_is_utc(t) || t.zone) return t;
  icalparameter* tzid = icalproperty_get_first_parameter(property, ICAL_TZID_PARAMETER);
  if (!tzid || !icalparameter_get_tzid(tzid)) return t;
  const char* name = icalparameter_get_tzid(tzid);
  const Entry& entry = Find(name);
  t.zone = entry.zone;
  if (entry.own && entry.zone && entry.own != entry.zone) {
    // The definition is told it was overruled only where it differs, at
    // this time or in the winter or summer of its year.
    for (icaltimetype probe : {t, FloatingDay(t.year, 1, 15), FloatingDay(t.year, 7, 15)}) {
      int dst = 0;
      probe.zone = nullptr;
      if (icaltimezone_get_utc_offset(entry.own, &probe, &dst) !=
          icaltimezone_get_utc_offset(entry.zone, &probe, &dst)) {
        report_.overruled.insert(QString::fromUtf8(name));
        break;
      }
    }
  }
  return t;
}

icaltimezone* Zones::Replacement(const char* tzid) {
  const Entry& entry = Find(tzid);
  return entry.zone != entry.own ? entry.zone : nullptr;
}

void Zones::CountUnknown(icalproperty* property) {
  icalparameter* tzid = icalproperty_get_first_parameter(property, ICAL_TZID_PARAMETER);
  if (tzid && icalparameter_get_tzid(tzid))
    ++report_.unknown[QString::fromUtf8(icalparameter_get_tzid(tzid))];
}

icaltimetype Zones::FloatingDay(int year, int month, int day) {
  icaltimetype t = icaltime_null_time();
  t.year = year;
  t.month = month;
  t.day = day;
  t.hour = 12;
  return t;
}

const Zones::Entry& Zones::Find(const char* name) {
  const QByteArray tzid(name);
  auto found = cache_.find(tzid);
  if (found != cache_.end()) return found->second;
  Entry entry;
  entry.own = icalcomponent_get_timezone(calendar_, name);
  const QByteArray real = RealZoneName(tzid);
  if (!real.isEmpty()) entry.zone = icaltimezone_get_builtin_timezone(real.constData());
  if (!entry.zone) entry.zone = entry.own;
  if (!entry.zone) entry.zone = icaltimezone_get_builtin_timezone(name);
  if (!entry.zone) {
    QByteArray windows = QTimeZone::windowsIdToDefaultIanaId(tzid);
    if (windows.isEmpty()) {
      const QByteArray id = WindowsIdOfDisplayName(QString::fromUtf8(tzid));
      if (!id.isEmpty()) windows = QTimeZone::windowsIdToDefaultIanaId(id);
    }
    if (!windows.isEmpty()) entry.zone = icaltimezone_get_builtin_timezone(windows.constData());
  }
  return cache_.emplace(tzid, entry).first->second;
}

}  // namespace quorvel::interchange::ical
