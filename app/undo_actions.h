// Undo, Redo and Restore… in the main window's pop-up menu. Undo and Redo
// answer Ctrl+Z and Ctrl+Shift+Z in every window of the program; while a
// text box has the focus, those keys stay its own text undo and redo.
#pragma once

class QMenu;
class QWidget;

namespace quorvel {

class Application;

// Adds the three items to `menu`; the keys work wherever `window` (the
// main window) is part of the program.
void AddUndoItems(Application& app, QMenu* menu, QWidget* window);

// Undoes or redoes the newest change, saying so when it cannot.
void UndoChange(Application& app);
void RedoChange(Application& app);

}  // namespace quorvel
