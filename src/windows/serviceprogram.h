// The run of ktv31-service from its application object to its exit status.
#pragma once

#include <QString>

class QApplication;

namespace ktv31 {

// Qt's dialogs in Russian, the exchange log, the main window over `programDir` (ending with '/')
// opened maximised, and an orderly end on a signal or the session's end. The exit status: 0, or
// 128 + the number of the signal that ended the program.
int RunServiceProgram(QApplication &app, const QString &programDir);

} // namespace ktv31
