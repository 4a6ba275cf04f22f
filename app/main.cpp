#include <QApplication>

#include "app/application.h"
#include "app/artwork.h"
#include "app/seams.h"
#include "store/fatal.h"

int main(int argc, char* argv[]) {
  QApplication qt(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Quorvel"));
  QApplication::setWindowIcon(quorvel::ProgramIcon());
  quorvel::store::SetFatalHandler(quorvel::ReportFatalAndExit);
  quorvel::store::SetNoticeHandler(quorvel::ShowMessage);
  quorvel::Application app;
  app.Start();
  return QApplication::exec();
}
