// The floor for the reminder agent's idle figures: a Qt Core program that
// does nothing but wait in its event loop.
#include <QCoreApplication>

int main(int argc, char* argv[]) {
  QCoreApplication app(argc, argv);
  return QCoreApplication::exec();
}
