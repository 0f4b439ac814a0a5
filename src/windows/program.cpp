// ktv31-service: the service program of the ktv31-ar controller.
#include "shell/settings.h"
#include "windows/serviceprogram.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    return ktv31::RunServiceProgram(app, ktv31::ProgramDir());
}
