// The state that lives for the whole run: created with the main window, lent to every dialog.
#pragma once

#include "config/configfile.h"
#include "config/configimage.h"
#include "link/serialport.h"
#include "protocol/plcbox.h"
#include "shell/settings.h"

#include <QString>

namespace ktv31 {

struct ProgramState
{
    QString programDir; // the program folder (ProgramDir()), ending with '/'
    QString settingsPath;
    ConnectionSettings settings;
    ExchangeSession session;
    ConfigImage image;
    // The open COM port (the documents' OpenPortHandle); session.PortHandle points at it.
    PortPtr openPort;
    bool deviceAccepted = false;
    ConfigFileContext files; // the configuration folder and the current file path
};

} // namespace ktv31
