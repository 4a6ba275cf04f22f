#include "fuzz/readers.h"

#include <QDate>

#include "calendar/appointment_file.h"

namespace quorvel::fuzz {

void InitializeReaders() {}

void RunReaders(const store::DataFiles& files, std::uint8_t selector) {
  const QDate day = QDate(2026, 1, 1).addDays(selector);
  HasAppointmentOn(files, day);
}

}  // namespace quorvel::fuzz
