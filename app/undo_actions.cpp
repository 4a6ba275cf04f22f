#include "app/undo_actions.h"

#include <QAction>
#include <QMenu>
#include <QPointer>
#include <QWidget>

#include "app/application.h"
#include "app/main_window.h"
#include "app/restore_window.h"
#include "ui/seams.h"
#include "ui/ui.h"
#include "undo/undo_history.h"

namespace quorvel {

namespace names = main_window_names;

// The open windows follow through the files' change announcement, as they
// do for every other change.
void UndoChange(Application& app) {
  const store::Outcome outcome = app.History().Undo();
  if (outcome.refused()) ShowMessage(outcome.reason());
}

void RedoChange(Application& app) {
  const store::Outcome outcome = app.History().Redo();
  if (outcome.refused()) ShowMessage(outcome.reason());
}

void AddUndoItems(Application& app, QMenu* menu, QWidget* window) {
  QAction* undo = menu->addAction(app.History().UndoText(), window, [&app] { UndoChange(app); });
  undo->setObjectName(QLatin1String(names::kUndo));
  undo->setShortcut(QKeySequence::Undo);
  QAction* redo = menu->addAction(app.History().RedoText(), window, [&app] { RedoChange(app); });
  redo->setObjectName(QLatin1String(names::kRedo));
  redo->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
  for (QAction* action : {undo, redo}) {
    action->setShortcutContext(Qt::ApplicationShortcut);
    window->addAction(action);
  }
  QAction* restore =
      menu->addAction(UndoTexts::tr("Restore…"), window, [&app] { OpenToolWindow(app.Restore()); });
  restore->setObjectName(QLatin1String(names::kRestore));

  QPointer<QAction> undo_ptr = undo;
  QPointer<QAction> redo_ptr = redo;
  auto update = [&app, undo_ptr, redo_ptr] {
    if (undo_ptr) {
      undo_ptr->setText(app.History().UndoText());
      undo_ptr->setEnabled(app.History().CanUndo());
    }
    if (redo_ptr) {
      redo_ptr->setText(app.History().RedoText());
      redo_ptr->setEnabled(app.History().CanRedo());
    }
  };
  app.History().SetChangedHandler(update);
  update();
}

}  // namespace quorvel
