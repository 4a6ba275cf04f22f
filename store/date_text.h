// How a date is shown to a person, in every window and message: 07/01/2026.
// (Also the form the address book stores a birthday in.)
#pragma once

#include <QDate>
#include <QString>

namespace quorvel {

inline constexpr char kDateFormat[] = "dd/MM/yyyy";

// `date` as every window shows it: dd/MM/yyyy, digits only, the same in
// every language.
inline QString DateText(const QDate& date) { return date.toString(QLatin1String(kDateFormat)); }

}  // namespace quorvel
