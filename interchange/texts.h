// The translation context of what import and export tell the user.
#pragma once

#include <QCoreApplication>

namespace quorvel {

// InterchangeTexts::tr(...): the texts of the "Interchange" context.
class InterchangeTexts {
  Q_DECLARE_TR_FUNCTIONS(Interchange)
};

}  // namespace quorvel
