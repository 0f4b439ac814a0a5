// One link to a controller for one command, over the program's operations.
#pragma once

#include "cli/clioperator.h"
#include "cli/linksetup.h"
#include "service/outcome.h"
#include "service/servicesession.h"
#include "shell/exchangefeed.h"

namespace ktv31::cli {

// The operations' session on the link the options describe; whatever happens, the call is hung
// up and the port closed when closed or destroyed.
class CliSession
{
public:
    CliSession(const LinkSetup &setup, CliOperator &op, bool trace);
    ~CliSession();
    CliSession(const CliSession &) = delete;
    CliSession &operator=(const CliSession &) = delete;

    // Opens the port and loads the exchange session; on a telephone link also dials. An exit
    // status; the reason has been told.
    int connect();
    // Hangs up when a call may be up, then closes the port.
    void close();

    // Ends the running exchange or dialling at once and every later one before it starts.
    void interrupt() { service_.interrupt(); }
    bool interrupted() const { return service_.interrupted(); }

    ServiceSession &service() { return service_; }
    CliOperator &op() { return op_; }
    const LinkSetup &setup() const { return setup_; }

    // The exit status of an operation's outcome. An interruption, which the operations tell
    // nobody, gets its result text printed here, with what a write got through.
    int statusOf(const Outcome &outcome);

private:
    LinkSetup setup_;
    ConnectionSettings settings_; // followed by the table-3 writes; never saved
    CliOperator &op_;
    bool trace_;
    std::unique_ptr<ExchangeLineWatch> traceWatch_;
    ServiceSession service_;
};

} // namespace ktv31::cli
