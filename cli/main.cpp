#include "application.h"
#include "console.h"

#include <QCoreApplication>

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("orvel"));
    QCoreApplication::setApplicationVersion(QStringLiteral("1.0.0"));
    // Installed before anything of the library runs, so that no diagnostic line slips through.
    Console::installMessageHandler();
    Application application;
    return application.run(QCoreApplication::arguments());
}
