// The translation context of what synchronisation tells the user.
#pragma once

#include <QCoreApplication>

namespace quorvel {

// SyncTexts::tr(...): the texts of the "Sync" context.
class SyncTexts {
  Q_DECLARE_TR_FUNCTIONS(Sync)
};

}  // namespace quorvel
