// One link to a controller for one command: port, exchange session, dialling and hang-up.
#pragma once

#include "cli/clioperator.h"
#include "cli/linksetup.h"
#include "config/configimage.h"
#include "config/tabletransfer.h"
#include "link/connectmodem.h"
#include "link/serialport.h"
#include "protocol/plcbox.h"

namespace ktv31::cli {

// Opens the port as the connection dialog does, dials on a telephone link and, whatever
// happens afterwards, hangs up and closes the port when closed or destroyed.
class CliSession
{
public:
    CliSession(const LinkSetup &setup, CliOperator &op, bool trace);
    ~CliSession();
    CliSession(const CliSession &) = delete;
    CliSession &operator=(const CliSession &) = delete;

    // Opens the port and loads the exchange session; on a telephone link also dials. An exit
    // status; the reason has been printed.
    int connect(bool dial = true);
    // Hangs up when a call may be up, then closes the port.
    void close();

    // Ends the running exchange or dialling at once and every later one before it starts.
    void interrupt();
    bool interrupted() const { return interrupted_; }

    ExchangeSession &exchange() { return exchange_; }
    ConfigImage &image() { return image_; }
    TransferContext context();
    const LinkSetup &setup() const { return setup_; }
    CliOperator &op() { return op_; }

    // The exit status of a transfer operation that returned false, telling an interruption,
    // which the transfers report to nobody.
    int transferFailed();

private:
    int dial();

    LinkSetup setup_;
    ConnectionSettings settings_; // followed by the table-3 writes; never saved
    CliOperator &op_;
    bool trace_;
    ExchangeSession exchange_;
    ConfigImage image_;
    PortPtr port_;
    DialCancel cancel_;
    bool mayBeOffHook_ = false;
    bool interrupted_ = false;
};

} // namespace ktv31::cli
