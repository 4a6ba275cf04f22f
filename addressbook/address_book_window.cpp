#include "addressbook/address_book_window.h"

#include "app/application.h"

namespace quorvel {

AddressBookWindow::AddressBookWindow(Application& app) : app_(app) { setObjectName(QStringLiteral("Form3")); }


}  // namespace quorvel
