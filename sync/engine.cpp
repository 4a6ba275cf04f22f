#include "sync/engine.h"

#include <set>

#include "sync/kept_store.h"

#include "sync/engine_run.h"
#include "sync/item_codec.h"
#include "sync/texts.h"

namespace quorvel::sync {

using namespace run;

QString SyncReport::Summary() const {
  if (stopped) return error;
  if (!ok()) return SyncTexts::tr("Sync failed: ") + error;
  QString line = SyncTexts::tr("Sync done: %1 received, %2 sent").arg(received).arg(sent);
  if (!conflicts.isEmpty()) {
    line += SyncTexts::tr(", %1 changed on both sides and kept twice (%2)")
                .arg(conflicts.size())
                .arg(conflicts.join(QStringLiteral("; ")));
  }
  if (!skipped.isEmpty()) {
    line += SyncTexts::tr(", %1 left on the server (%2)")
                .arg(skipped.size())
                .arg(skipped.join(QStringLiteral("; ")));
  }
  if (!ignored.isEmpty()) {
    line += SyncTexts::tr(
                ", %1 ignored: the server named them outside their "
                "collection (%2)")
                .arg(ignored.size())
                .arg(ignored.join(QStringLiteral("; ")));
  }
  if (!restored.isEmpty()) {
    line += SyncTexts::tr(", %1 edited here but deleted on the server, put back there (%2)")
                .arg(restored.size())
                .arg(restored.join(QStringLiteral("; ")));
  }
  if (!brought_back.isEmpty()) {
    line += SyncTexts::tr(
                ", %1 missing from the files (changed by another program) and brought back from "
                "the server (%2)")
                .arg(brought_back.size())
                .arg(brought_back.join(QStringLiteral("; ")));
  }
  if (!partly_held.isEmpty()) {
    line += SyncTexts::tr(
                ", %1 held without details that do not fit here, which stay on the server (%2)")
                .arg(partly_held.size())
                .arg(partly_held.join(QStringLiteral("; ")));
  }
  if (!problems.isEmpty()) {
    line += SyncTexts::tr(", %1 to retry (%2)")
                .arg(problems.size())
                .arg(problems.join(QStringLiteral("; ")));
  }
  return line + QLatin1Char('.');
}

QString DeletionWarning::Text() const {
  const QString where = here ? SyncTexts::tr("here") : SyncTexts::tr("on the server");
  QString text = SyncTexts::tr("This sync would delete %1 of %2 %3 %4")
                     .arg(deletions)
                     .arg(total)
                     .arg(what, where);
  if (!names.isEmpty())
    text += QStringLiteral(" (") + names.join(QStringLiteral("; ")) + QStringLiteral(")");
  return text + SyncTexts::tr(". Nothing was changed.");
}

void SyncEngine::Impl::Progress(const QString& step, int done, int total) {
  if (engine.progress_) engine.progress_(SyncProgress{step, done, total});
}

void SyncEngine::Impl::Files(const std::function<void()>& work) {
  if (engine.run_on_files_) {
    engine.run_on_files_(work);
  } else {
    work();
  }
}

std::vector<LocalItem> SyncEngine::Impl::ReadAppointments(const store::DataFiles& files) {
  std::vector<LocalItem> items;
  const int count = files.ReadCount(store::Channel::kAppoint);
  items.reserve(count);
  for (int k = 0; k < count; ++k) items.push_back(LocalAppointment(k, ReadAppointment(files, k)));
  return items;
}

// The kept server copies of every linked item that may need one: those
// not found unchanged where their link says.
void SyncEngine::Impl::ReadKeptCopies(const store::DataFiles& files, const SyncState& loaded) {
  for (bool calendar : {true, false}) {
    const std::vector<LocalItem>& locals = calendar ? appointments : entries;
    std::map<QString, const LocalItem*> by_ident;
    for (const LocalItem& item : locals) by_ident[item.ident] = &item;
    for (const Link& link : calendar ? loaded.appointments : loaded.entries) {
      const auto it = by_ident.find(IdentOf(link, calendar));
      if (it != by_ident.end() && it->second->digest == link.digest) continue;
      if (std::optional<QByteArray> bytes = ReadKept(files, link)) {
        kept[link.href] = *bytes;
      } else if (link.kept_first > 0) {
        kept_lost.insert(link.href);
      }
    }
  }
}

std::vector<LocalItem> SyncEngine::Impl::ReadEntries(const store::DataFiles& files) {
  std::vector<LocalItem> items;
  const int count = files.ReadCount(store::Channel::kAddBook);
  items.reserve(count);
  for (int k = 0; k < count; ++k) items.push_back(LocalEntry(ReadAddressEntry(files, k)));
  return items;
}

// Applies the planned changes and the links in one operation. False when
// the local items changed since they were read (the run starts over).
bool SyncEngine::Impl::Store() {
  bool unchanged = true;
  Files([&] {
    const store::DataFiles& files = engine.files_;
    const auto now_appointments = ReadAppointments(files);
    const auto now_entries = ReadEntries(files);
    bool damaged = false;
    const auto now_events = ReadLocalEvents(files, &damaged);
    const bool same_events = std::equal(now_events.begin(), now_events.end(), events.begin(),
                                        events.end(), [](const LocalEvent& x, const LocalEvent& y) {
                                          return x.uid == y.uid && x.digest == y.digest;
                                        });
    auto same = [](const std::vector<LocalItem>& a, const std::vector<LocalItem>& b) {
      return a.size() == b.size() &&
             std::equal(a.begin(), a.end(), b.begin(), [](const LocalItem& x, const LocalItem& y) {
               return x.ident == y.ident && x.digest == y.digest;
             });
    };
    if (!same(now_appointments, appointments) || !same(now_entries, entries) || !same_events) {
      unchanged = false;
      return;
    }
    store::Operation op(engine.files_);
    ApplyCalendar(op);
    ApplyEvents(op);
    ApplyBook(op);
    for (const QString& href : StageKept(op, before, state, renewed)) {
      report.problems << href.section(QLatin1Char('/'), -1) +
                             SyncTexts::tr(
                                 ": no room left to keep the server's copy; edits to it wait");
    }
    SaveState(engine.files_, op, state);
    const store::Outcome outcome = op.Commit();
    if (outcome.refused()) report.error = outcome.reason();
  });
  return unchanged;
}

SyncEngine::SyncEngine(store::DataFiles& files, DavClient& client, FilesRunner run_on_files)
    : files_(files), client_(client), run_on_files_(std::move(run_on_files)) {}

SyncEngine::~SyncEngine() = default;

void SyncEngine::set_stop(std::shared_ptr<const std::atomic<bool>> stop) {
  client_.set_stop(std::move(stop));
}

SyncReport SyncEngine::Run() {
  const int requests_before = client_.request_count();
  SyncReport last;
  // The sides the user let delete (asked once per run).
  std::set<std::pair<QString, bool>> allowed;
  // Local edits made while the server was asked start the run over once.
  for (int attempt = 0; attempt < 3; ++attempt) {
    Impl run(*this);
    std::optional<SyncState> loaded;
    run.Files([&] {
      loaded = LoadState(files_);
      if (!loaded) return;
      run.appointments = Impl::ReadAppointments(files_);
      run.entries = Impl::ReadEntries(files_);
      run.events = Impl::ReadLocalEvents(files_, &run.events_damaged);
      run.ReadKeptCopies(files_, *loaded);
    });
    if (!loaded) {
      run.report.error =
          SyncTexts::tr("The sync state in Sync.dat is damaged. Set up sync again to start over.");
      return run.report;
    }
    run.state = *loaded;
    run.before = *loaded;
    auto finish = [&] {
      run.report.requests = client_.request_count() - requests_before;
      run.report.ignored = client_.ignored();
      return run.report;
    };
    try {
      // Both collections are asked and decided before anything is written.
      std::optional<DecideInput> calendar_in, book_in;
      const SyncSettings& settings = run.state.settings;
      if (settings.calendar.isValid()) calendar_in = run.Gather(settings.calendar, true);
      if (settings.address_book.isValid()) book_in = run.Gather(settings.address_book, false);
      run.Progress(SyncTexts::tr("Comparing changes…"));
      std::optional<Plan> calendar_plan, book_plan;
      if (calendar_in) calendar_plan = Decide(std::move(*calendar_in));
      if (book_in) {
        if (calendar_plan) book_in->skipped = calendar_plan->skipped;
        book_plan = Decide(std::move(*book_in));
      }
      for (const std::optional<Plan>* plan : {&calendar_plan, &book_plan}) {
        if (!*plan) continue;
        for (const DeletionWarning& w : (*plan)->TooMany()) {
          const std::pair<QString, bool> side{w.what, w.here};
          if (allowed.count(side)) continue;
          if (confirm_deletions_ && confirm_deletions_(w)) {
            allowed.insert(side);
            continue;
          }
          run.report.error = w.Text();
          run.report.deletions_refused = true;
          return finish();
        }
      }
      if (calendar_plan) run.Carry(*calendar_plan, true);
      if (book_plan) run.Carry(*book_plan, false);
      run.Progress(SyncTexts::tr("Storing changes…"));
      const bool stored = run.Store();
      if (stored) return finish();
      last = finish();
    } catch (const DavError& error) {
      run.report.error = error.Message();
      run.report.stopped = error.kind == DavErrorKind::kStopped;
      return finish();
    } catch (const Stopped&) {
      if (run.report.error.isNull()) run.report.error = QStringLiteral("stopped before the end");
      return finish();
    }
  }
  last.error = SyncTexts::tr("The items kept changing while syncing; sync again later.");
  return last;
}

}  // namespace quorvel::sync
