// The program's own pictures that are not tied to one window.
#pragma once

#include <QIcon>

namespace quorvel {

// The program icon, drawn sharp at every usual icon size.
QIcon ProgramIcon();

}  // namespace quorvel
