#include "ui/translation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace quorvel {

void LoadTranslation() {
  const QLocale locale;
  // Owned by the application object, which outlives every text shown.
  auto* own = new QTranslator(QCoreApplication::instance());
  if (!own->load(locale, QStringLiteral("quorvel"), QStringLiteral("_"),
                 QStringLiteral(":/i18n"))) {
    delete own;
    return;
  }
  QCoreApplication::installTranslator(own);
  // Month and day names (the calendar's) in the language of the texts, even
  // when only LANGUAGE asks for it.
  QLocale::setDefault(QLocale(own->language()));
  auto* qt = new QTranslator(QCoreApplication::instance());
  if (qt->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
               QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QCoreApplication::installTranslator(qt);
  } else {
    delete qt;
  }
}

}  // namespace quorvel
