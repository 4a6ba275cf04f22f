#include "addressbook/address_editor_window.h"

#include "app/application.h"

namespace quorvel {

AddressEditorWindow::AddressEditorWindow(Application& app) : app_(app) { setObjectName(QStringLiteral("Form7")); }


}  // namespace quorvel
