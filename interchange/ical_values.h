// Small iCalendar helpers that events are read and written with: values, texts, own properties.
#pragma once

#include <libical/ical.h>

#include <memory>
#include <optional>

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QString>

namespace quorvel::interchange::ical {

struct ComponentFree {
  void operator()(icalcomponent* c) const { icalcomponent_free(c); }
};
using Component = std::unique_ptr<icalcomponent, ComponentFree>;

inline constexpr char kBirthdayProperty[] = "X-QUORVEL-BIRTHDAY";
inline constexpr char kStartProperty[] = "X-QUORVEL-START";
inline constexpr char kEndProperty[] = "X-QUORVEL-END";
inline constexpr char kMinutesProperty[] = "X-QUORVEL-MINUTES";

void InitLibical();

QString FromUtf8(const char* text);

// "HH:MM" of a valid time, with "24:00" allowed as an end.
std::optional<int> MinuteOfDay(const QString& text, bool end);

QString TimeText(int minute_of_day);

QDate DateOfId(const QString& id);

icaltimetype DateValue(const QDate& date);

icaltimetype FloatingValue(const QDate& date, int minute_of_day);

icaltimetype StampValue(const QDateTime& stamp);

// This program's own properties carry stored texts exactly: percent-encoded,
// so that no space at an end, comma or line break is changed on the way.
void AddX(icalcomponent* event, const char* name, const QString& value);

// The first of this program's own properties named `name` on `component`.
icalproperty* FindX(icalcomponent* component, const char* name);

QString Hex(const QString& text, int length);

QByteArray Serialise(icalcomponent* calendar);

}  // namespace quorvel::interchange::ical
