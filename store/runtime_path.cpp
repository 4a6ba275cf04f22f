#include "store/runtime_path.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace quorvel::store {

QString RuntimePath(const QString& folder, const QString& suffix) {
  QString canonical = QFileInfo(folder).canonicalFilePath();
  if (canonical.isEmpty()) canonical = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
  const QByteArray hash =
      QCryptographicHash::hash(QFile::encodeName(canonical), QCryptographicHash::Sha256)
          .toHex()
          .left(24);
  QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  if (runtime.isEmpty()) runtime = QDir::tempPath();
  return QDir(runtime).filePath(QStringLiteral("quorvel-") + QString::fromLatin1(hash) + suffix);
}

}  // namespace quorvel::store
