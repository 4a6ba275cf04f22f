#include "interchange/card_values.h"

#include <QRegularExpression>
#include <QUrl>

namespace quorvel::interchange {

QString WithoutScheme(const QString& value, const char* scheme) {
  const QString prefix = QString::fromLatin1(scheme);
  return value.startsWith(prefix, Qt::CaseInsensitive) ? value.mid(prefix.size()) : value;
}

QStringList PhoneForms(const QString& value) {
  if (!value.startsWith(QLatin1String("tel:"), Qt::CaseInsensitive)) return {value};
  const QStringList parts = value.mid(4).split(QLatin1Char(';'));
  const QString number = QUrl::fromPercentEncoding(parts.value(0).trimmed().toUtf8());
  QString ext;
  for (const QString& part : parts.mid(1)) {
    if (part.startsWith(QLatin1String("ext="), Qt::CaseInsensitive)) {
      ext = QUrl::fromPercentEncoding(part.mid(4).trimmed().toUtf8());
    }
  }
  if (ext.isEmpty())
    return {number, QString(number).remove(QRegularExpression(QStringLiteral("[-.()]")))};
  QString compact = number;
  compact.remove(QRegularExpression(QStringLiteral("[-.() ]")));
  return {number + QStringLiteral(" ext. ") + ext, number + QStringLiteral(" x") + ext,
          compact + QStringLiteral(" ext. ") + ext, compact + QStringLiteral(" x") + ext};
}

}  // namespace quorvel::interchange
