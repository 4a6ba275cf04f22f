// The values a plan is made of (plan.h), as read from the files and the server.
#include "events/event_file.h"
#include "sync/item_codec.h"
#include "sync/plan.h"
#include "sync/reconcile.h"

namespace quorvel::sync {

QString IdentOf(const Link& link, bool calendar) {
  return calendar ? (link.index >= 0 ? QString::number(link.index) : QString()) : link.key;
}

LocalItem LocalAppointment(int position, const Appointment& appointment) {
  LocalItem item;
  item.ident = QString::number(position);
  item.appointment = appointment;
  item.digest = Digest(appointment);
  return item;
}

LocalItem LocalEntry(const AddressEntry& entry) {
  LocalItem item;
  item.ident = entry.Key();
  item.entry = entry;
  item.digest = Digest(entry);
  return item;
}

Fetched ReadFetched(const QString& href, const QString& etag, const QByteArray& data,
                    bool calendar) {
  Fetched f;
  f.href = href;
  f.etag = etag;
  f.data = data;
  if (calendar) {
    DecodedAppointment d = DecodeAppointment(data);
    f.uid = d.uid;
    f.problem = d.problem;
    f.name = d.name;
    f.date = d.date;
    f.appointment = d.appointment;
    f.appointment.id = DayKey(d.date) + QStringLiteral("-1");
    f.digest = Digest(f.appointment);
    f.left_out = d.left_out;
    f.event = d.whole && data.size() <= events::LargestEventText() && !events::UidOf(data).isNull();
    if (f.event) f.uid = events::UidOf(data);
  } else {
    DecodedEntry d = DecodeEntry(data);
    f.uid = d.uid;
    f.problem = d.problem;
    f.name = d.name;
    f.entry = d.entry;
    f.digest = Digest(f.entry);
    f.left_out = d.left_out;
  }
  return f;
}

std::vector<DeletionWarning> Plan::TooMany() const {
  std::vector<DeletionWarning> out;
  for (const DeletionWarning& w : {here, there}) {
    if (TooManyDeletions(w.deletions, w.total)) out.push_back(w);
  }
  return out;
}

}  // namespace quorvel::sync
