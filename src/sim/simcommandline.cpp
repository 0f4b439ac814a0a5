// Options of the ktv31-sim tool and their conversion into SimOptions.
#include "sim/simcommandline.h"

#include "sim/telephonenetwork.h"

#include "protocol/controllercodes.h"

namespace ktv31::sim {
namespace {

struct OutcomeName
{
    DialOutcome outcome;
    const char *name;
};
constexpr OutcomeName kOutcomes[] = {
    {DialOutcome::Connect, "connect"},      {DialOutcome::Busy, "busy"},
    {DialOutcome::NoCarrier, "no-carrier"}, {DialOutcome::NoDialtone, "no-dialtone"},
    {DialOutcome::NoAnswer, "no-answer"},   {DialOutcome::Error, "error"},
    {DialOutcome::Silence, "silence"},
};

QCommandLineOption opt(const QString &name, const QString &help, const QString &value = {})
{
    return QCommandLineOption(name, help, value);
}

bool readNumber(const QCommandLineParser &parser, const QString &name, qint64 low, qint64 high,
                qint64 &value, QString *error)
{
    if (!parser.isSet(name))
        return true;
    bool ok = false;
    const QString text = parser.value(name);
    const qint64 v = text.startsWith(QLatin1String("0x")) ? text.mid(2).toLongLong(&ok, 16)
                                                          : text.toLongLong(&ok);
    if (!ok || v < low || v > high) {
        if (error)
            *error = QStringLiteral("--%1 needs a number %2...%3, not \"%4\"")
                         .arg(name)
                         .arg(low)
                         .arg(high)
                         .arg(text);
        return false;
    }
    value = v;
    return true;
}

template <typename T>
bool readInto(const QCommandLineParser &parser, const QString &name, qint64 low, qint64 high,
              T &field, QString *error)
{
    qint64 value = qint64(field);
    if (!readNumber(parser, name, low, high, value, error))
        return false;
    field = T(value);
    return true;
}

} // namespace

bool ParseDialScript(const QString &text, QList<DialOutcome> &script)
{
    QList<DialOutcome> parsed;
    for (const QString &item : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool known = false;
        for (const OutcomeName &o : kOutcomes)
            if (item.trimmed().toLower() == QLatin1String(o.name)) {
                parsed.append(o.outcome);
                known = true;
            }
        if (!known)
            return false;
    }
    if (parsed.isEmpty())
        return false;
    script = parsed;
    return true;
}

void DeclareSimOptions(QCommandLineParser &parser)
{
    parser.setApplicationDescription(
        QStringLiteral("Simulated ktv31-ar controller (optionally behind a Hayes modem) on a "
                       "pseudo-terminal.\n"
                       "Prints the device path the program is to open.\n\nFaults (--fault): ") +
        FaultSyntaxHelp());
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOptions({
        opt(QStringLiteral("link"),
            QStringLiteral("Place a symbolic link to the device at <path> "
                           "(e.g. build/bin/INI/COM1); removed on exit."),
            QStringLiteral("path")),
        opt(QStringLiteral("device"),
            QStringLiteral("Run on this real serial port instead of a "
                           "pseudo-terminal."),
            QStringLiteral("path")),
        opt(QStringLiteral("address"), QStringLiteral("Controller address (default 0)."),
            QStringLiteral("n")),
        opt(QStringLiteral("type"), QStringLiteral("Controller type code (default 8)."),
            QStringLiteral("n")),
        opt(QStringLiteral("firmware"),
            QStringLiteral("Firmware version (default 5; 3 and 4 "
                           "have 7 fields in table 3)."),
            QStringLiteral("n")),
        opt(QStringLiteral("hardware"), QStringLiteral("Hardware version (default 2)."),
            QStringLiteral("n")),
        opt(QStringLiteral("build-date"),
            QStringLiteral("Firmware build date and time, "
                           "\"yyyy-MM-dd hh:mm:ss\"."),
            QStringLiteral("when")),
        opt(QStringLiteral("destroyed"),
            QStringLiteral("Destroyed tables, comma-separated "
                           "(e.g. 6 or 3,5)."),
            QStringLiteral("list")),
        opt(QStringLiteral("upper-mask"),
            QStringLiteral("Table 1 field 0: available speed codes "
                           "towards the PC, bit i = code i "
                           "(default 0x3FFFFF)."),
            QStringLiteral("mask")),
        opt(QStringLiteral("calculator-mask"),
            QStringLiteral("Table 1 field 1: available speed "
                           "codes towards calculators."),
            QStringLiteral("mask")),
        opt(QStringLiteral("speed"),
            QStringLiteral("Exchange speed in bit/s (default: table 3, "
                           "1200 unless --config says otherwise)."),
            QStringLiteral("bps")),
        opt(QStringLiteral("config"),
            QStringLiteral("Load tables 3, 5 and 6 from this "
                           "configuration file."),
            QStringLiteral("file")),
        opt(QStringLiteral("pacing"), QStringLiteral("Take the wire time of 10 bits a byte for "
                                                     "requests and answers.")),
        opt(QStringLiteral("think"),
            QStringLiteral("Think time before each answer in ms "
                           "(default 0)."),
            QStringLiteral("ms")),
        opt(QStringLiteral("fault"), QStringLiteral("Add a fault rule (repeatable), see above."),
            QStringLiteral("rule")),
        opt(QStringLiteral("fault-seed"), QStringLiteral("Seed of the garbage bytes (default 1)."),
            QStringLiteral("n")),
        opt(QStringLiteral("modem"), QStringLiteral("Put a Hayes modem in front of the "
                                                    "controller.")),
        opt(QStringLiteral("no-modem-at-all"), QStringLiteral("Play a port without a modem: "
                                                              "nothing ever answers.")),
        opt(QStringLiteral("modem-guard"),
            QStringLiteral("Escape guard time in ms "
                           "(default 1000)."),
            QStringLiteral("ms")),
        opt(QStringLiteral("modem-dial-delay"),
            QStringLiteral("Delay of the dial result in ms "
                           "(default 2000)."),
            QStringLiteral("ms")),
        opt(QStringLiteral("modem-dial"),
            QStringLiteral("Dial results in turn, the last "
                           "repeating: connect, busy, no-carrier, "
                           "no-dialtone, no-answer, error, silence "
                           "(default connect)."),
            QStringLiteral("list")),
        opt(QStringLiteral("log"),
            QStringLiteral("Frame log to this file (default: standard "
                           "error)."),
            QStringLiteral("file")),
        opt(QStringLiteral("no-log"), QStringLiteral("No frame log output.")),
        opt(QStringLiteral("network"),
            QStringLiteral("Play a telephone network from this file: the number dialled "
                           "decides who answers; every --link is a line with a modem of its "
                           "own."),
            QStringLiteral("file")),
    });
}

bool ReadSimOptions(const QCommandLineParser &parser, SimCommandLine &out, QString *error)
{
    SimOptions &o = out.options;
    out.linkPath = parser.value(QStringLiteral("link"));
    out.linkPaths = parser.values(QStringLiteral("link"));
    o.devicePath = parser.value(QStringLiteral("device"));
    o.configFile = parser.value(QStringLiteral("config"));
    o.pacing = parser.isSet(QStringLiteral("pacing"));
    o.frameLogPath = parser.isSet(QStringLiteral("no-log")) ? QString()
                     : parser.isSet(QStringLiteral("log"))  ? parser.value(QStringLiteral("log"))
                                                            : QStringLiteral("-");
    if (!readInto(parser, QStringLiteral("address"), 0, 255, o.address, error) ||
        !readInto(parser, QStringLiteral("type"), 0, 255, o.typeCode, error) ||
        !readInto(parser, QStringLiteral("firmware"), 0, 255, o.firmwareVersion, error) ||
        !readInto(parser, QStringLiteral("hardware"), 0, 255, o.hardwareVersion, error) ||
        !readInto(parser, QStringLiteral("upper-mask"), 0, 0xFFFFFFFFLL, o.upperSpeedMask, error) ||
        !readInto(parser, QStringLiteral("calculator-mask"), 0, 0xFFFFFFFFLL, o.calculatorSpeedMask,
                  error) ||
        !readInto(parser, QStringLiteral("speed"), 1, 1000000, o.speed, error) ||
        !readInto(parser, QStringLiteral("think"), 0, 60000, o.thinkTimeMs, error) ||
        !readInto(parser, QStringLiteral("fault-seed"), 0, 0xFFFFFFFFLL, o.faultSeed, error) ||
        !readInto(parser, QStringLiteral("modem-guard"), 0, 60000, o.modem.guardTimeMs, error) ||
        !readInto(parser, QStringLiteral("modem-dial-delay"), 0, 600000, o.modem.dialDelayMs,
                  error))
        return false;
    if (o.speed != 0 && SpeedToCode(o.speed) < 0) {
        if (error)
            *error =
                QStringLiteral("--speed %1 is not one of the controller's speeds").arg(o.speed);
        return false;
    }
    if (parser.isSet(QStringLiteral("build-date"))) {
        const QString text = parser.value(QStringLiteral("build-date"));
        QDateTime when = QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd hh:mm:ss"));
        if (!when.isValid())
            when = QDateTime(QDate::fromString(text, QStringLiteral("yyyy-MM-dd")), QTime(0, 0));
        if (!when.isValid()) {
            if (error)
                *error = QStringLiteral("--build-date needs \"yyyy-MM-dd hh:mm:ss\"");
            return false;
        }
        o.buildDate = when;
    }
    if (parser.isSet(QStringLiteral("destroyed"))) {
        for (const QString &item : parser.value(QStringLiteral("destroyed"))
                                       .split(QLatin1Char(','), Qt::SkipEmptyParts)) {
            bool ok = false;
            const int table = item.trimmed().toInt(&ok);
            if (!ok || table < 1 || table > 7) {
                if (error)
                    *error = QStringLiteral("--destroyed takes table numbers 1...7");
                return false;
            }
            o.destroyedTables.append(table);
        }
    }
    for (const QString &text : parser.values(QStringLiteral("fault"))) {
        FaultRule rule;
        QString reason;
        if (!ParseFaultRule(text, rule, &reason)) {
            if (error)
                *error = QStringLiteral("--fault %1: %2").arg(text, reason);
            return false;
        }
        o.faults.append(rule);
    }
    o.modem.absent = parser.isSet(QStringLiteral("no-modem-at-all"));
    o.modem.enabled = o.modem.absent || parser.isSet(QStringLiteral("modem"));
    if (parser.isSet(QStringLiteral("network"))) {
        auto network = std::make_shared<TelephoneNetwork>();
        if (!ReadNetworkFile(parser.value(QStringLiteral("network")), *network, error))
            return false;
        o.modem.network = std::move(network);
        o.modem.enabled = true;
    }
    if (parser.isSet(QStringLiteral("modem-dial")) &&
        !ParseDialScript(parser.value(QStringLiteral("modem-dial")), o.modem.dialScript)) {
        if (error)
            *error = QStringLiteral("--modem-dial: unknown outcome in \"%1\"")
                         .arg(parser.value(QStringLiteral("modem-dial")));
        return false;
    }
    return true;
}

} // namespace ktv31::sim
