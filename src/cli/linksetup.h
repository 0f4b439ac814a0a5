// The link a controller command uses: the settings file overlaid with the options, checked.
#pragma once

#include "cli/cliargs.h"
#include "connection/controllerlink.h"
#include "service/linkkind.h"
#include "shell/settings.h"

#include <QString>

namespace ktv31::cli {

struct LinkSetup
{
    ConnectionSettings settings; // the effective values; never written back to any file
    QString devicePath;          // --device; empty: COM port settings.PortNumber()

    LinkKind kind() const { return LinkKind::Of(settings); }
};

struct PreparedLink
{
    LinkSetup setup;
    int status = 0; // an exit status when the link cannot be used
    QString error;  // the reason, for standard error
    QString note;   // something the engineer should know, though the link can be used
    bool ok() const { return status == 0; }
};

// Reads the settings file (`options.settingsPath`, or the program's own under `programDir`),
// lays the given options over it and checks every value the link will use, in the order of the
// connection dialog. A missing program settings file gives the defaults; a named one must be
// readable.
PreparedLink PrepareLink(const LinkOptions &options, const QString &programDir);

} // namespace ktv31::cli
