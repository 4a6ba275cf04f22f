#include "notes/notes_window.h"

#include "app/application.h"

namespace quorvel {

NotesWindow::NotesWindow(Application& app) : app_(app) { setObjectName(QStringLiteral("Form2")); }


}  // namespace quorvel
