// The link to one controller and what every operation on it shares: the exchange session, the
// configuration image, the open port and the call.
#pragma once

#include "config/configfile.h"
#include "config/configimage.h"
#include "config/tabletransfer.h"
#include "link/connectmodem.h"
#include "link/serialport.h"
#include "protocol/exchangeengine.h"
#include "service/linkkind.h"
#include "service/sessionlink.h"

#include <QDateTime>
#include <QObject>

#include <functional>

namespace ktv31 {

class ConnectionSettings;
class Operator;

class ServiceSession : public QObject
{
    Q_OBJECT
public:
    // `settings` are the link values in force (the connection dialog's, the tool's options); a
    // table-3 write makes them follow the controller's new speed. `settings` and `op` outlive
    // the session.
    ServiceSession(ConnectionSettings &settings, Operator &op, const QString &programDir,
                   QObject *parent = nullptr);
    // Hangs up a call that may be up and closes the port.
    ~ServiceSession() override;
    ServiceSession(const ServiceSession &) = delete;
    ServiceSession &operator=(const ServiceSession &) = delete;

    ConnectionSettings &settings() { return settings_; }
    // What the link in force allows: everything that differs between direct and telephone. The
    // link made keeps the kind it was made as; before it is made, the settings' kind.
    LinkKind linkKind() const { return link_.open() ? link_.kind() : LinkKind::Of(settings_); }
    ExchangeSession &exchange() { return exchange_; }
    ConfigImage &image() { return image_; }
    Operator &op() { return op_; }
    const QString &programDir() const { return programDir_; }
    // The configuration folder and the file last loaded or offered.
    ConfigFileContext &files() { return files_; }

    SerialPort *port() const { return link_.port(); }
    bool linkOpen() const { return link_.open(); }
    bool callUp() const { return link_.callUp(); }
    // Ending the link now would hang up.
    bool endHangsUp() const { return link_.endHangsUp(); }
    bool deviceAccepted() const { return deviceAccepted_; }

    // The transfers' view of this session for one operation.
    TransferContext transferContext();

    // Ends the running exchange or dial at once.
    void cutShort();
    // The same, and every later exchange or dial fails before it starts: the program is ending.
    void interrupt();
    bool interrupted() const { return interrupted_; }
    DialCancel &dialCancel() { return dialCancel_; }

    // What the front end sets before the link is made.
    QString devicePath;      // a device instead of COM<n> (the tool's --device)
    ModemTiming modemTiming; // the dialogue's fixed waits; tests shorten them
    int closingWaitMs = 500; // the controller's settling time after a table run
    bool verifyWrites = true;
    bool keepBackups = true; // the configuration as read is kept before a write changes it
    // A lost port is opened again when the person asks for another try (an adapter pulled out
    // and put back); otherwise the tries go to the lost port.
    bool reopenLostPort = false;
    std::function<QDateTime()> clock = [] { return QDateTime::currentDateTime(); };

    // For the operations: the link made on a port opened with `link`, the dial over it, its
    // end (hung up when the modem may hold the line) and a port let go to be opened again.
    void adoptPort(PortPtr port, const ConnectionSettings &link);
    DialResult dial(const StatusPanel &panel);
    void endLink();
    void releasePort();
    void setDeviceAccepted(bool accepted) { deviceAccepted_ = accepted; }

signals:
    // The call came up or went; the windows show its duration while it is up.
    void callChanged(bool up);
    // A dial runs: the windows let Esc cancel it meanwhile.
    void diallingChanged(bool dialling);

private:
    ConnectionSettings &settings_;
    Operator &op_;
    const QString programDir_;
    ConfigFileContext files_;
    ExchangeSession exchange_;
    ConfigImage image_;
    SessionLink link_;
    DialCancel dialCancel_;
    bool deviceAccepted_ = false;
    bool interrupted_ = false;
};

} // namespace ktv31
