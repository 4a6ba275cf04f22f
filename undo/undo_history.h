// The changes made in this run of the program, newest last, each kept as
// the bytes it replaced and the bytes it wrote, so that it can be undone
// and redone exactly.
//
// Every operation the data files commit is recorded (an edit, a delete, an
// import, what a sync received), except one that changed nothing but the
// program's own bookkeeping (a sync that only sent: its links and its
// copies of the server's resources). Undoing a change writes back, through one
// journaled operation, exactly the records and file lengths it replaced;
// redoing it writes its own bytes again. Either is refused, with nothing
// written, when the files no longer hold what the change left (or, for a
// redo, what the undo left): something else changed them since.
//
// Synced items undo as changes made here: the sync links follow the
// appointments to their restored places and the address entries to their
// restored keys, so the next sync sends the undone state to the server, to
// the same resources, rather than fetching the change again.
//
// Memory is bounded: at most kStepLimit changes and kByteLimit bytes of
// images; the oldest go first, and a change larger than the whole bound
// ends the history before it.
#pragma once

#include <functional>
#include <vector>

#include <QCoreApplication>
#include <QString>

#include "store/data_files.h"
#include "store/outcome.h"

namespace quorvel {

// UndoTexts::tr(...): the undo steps' names and refusals, in the "Undo" context.
class UndoTexts {
  Q_DECLARE_TR_FUNCTIONS(Undo)
};

}  // namespace quorvel

namespace quorvel::undo {

class UndoHistory {
 public:
  static constexpr int kStepLimit = 100;
  static constexpr qint64 kByteLimit = qint64(64) << 20;

  // Starts recording every operation `files` commits from now on.
  explicit UndoHistory(store::DataFiles& files, int step_limit = kStepLimit,
                       qint64 byte_limit = kByteLimit);
  ~UndoHistory();
  UndoHistory(const UndoHistory&) = delete;
  UndoHistory& operator=(const UndoHistory&) = delete;

  bool CanUndo() const { return !undo_.empty(); }
  bool CanRedo() const { return !redo_.empty(); }
  int UndoCount() const { return int(undo_.size()); }
  int RedoCount() const { return int(redo_.size()); }
  // What the next undo or redo changes back, for a menu item:
  // "Undo Appointment Change" …; the plain word when there is nothing.
  QString UndoText() const;
  QString RedoText() const;

  // Puts back what the newest change replaced, or refuses with a sentence
  // for the user and nothing written.
  store::Outcome Undo();
  // Makes the newest undone change again.
  store::Outcome Redo();

  // Forgets every change (the files were replaced as a whole, by a restore).
  void Clear();

  // Called whenever what can be undone or redone changes.
  void SetChangedHandler(std::function<void()> handler) { changed_ = std::move(handler); }

  // The bytes the kept images take.
  qint64 BytesKept() const { return bytes_; }

 private:
  struct Step {
    std::vector<store::FileChange> files;
    qint64 bytes = 0;
  };

  void Record(const store::CommittedChange& change);
  // Turns the files from what `step` left into what it found (undo) or
  // back (redo).
  store::Outcome Apply(const Step& step, bool undo);
  void Changed();
  static QString Label(const Step& step, bool undo);

  store::DataFiles& files_;
  int step_limit_;
  qint64 byte_limit_;
  std::vector<Step> undo_;  // oldest first
  std::vector<Step> redo_;  // the next to redo last
  qint64 bytes_ = 0;
  bool applying_ = false;
  std::function<void()> changed_;
};

}  // namespace quorvel::undo
