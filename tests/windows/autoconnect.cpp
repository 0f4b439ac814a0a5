// ktv31-service-autoconnect: ktv31-service as the tests and the benchmark start it, over the
// program folder given as its argument, with a person who presses "Связаться" at once. It writes
// "commands shown" to standard error whenever the controller's commands appear in the menu.
#include "connectingperson.h"
#include "windows/serviceprogram.h"

#include <QApplication>
#include <QDir>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 2) {
        std::fputs("usage: ktv31-service-autoconnect PROGRAMDIR\n", stderr);
        return 2;
    }
    ktv31::test::ConnectingPerson person;
    QObject::connect(&person, &ktv31::test::ConnectingPerson::commandsShown, [] {
        std::fputs("commands shown\n", stderr);
        std::fflush(stderr);
    });
    return ktv31::RunServiceProgram(app, QDir(arguments[1]).absolutePath() + QLatin1Char('/'));
}
