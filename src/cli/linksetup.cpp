// Overlaying the options on the settings file and checking the link values the tool will use.
#include "cli/linksetup.h"

#include "cli/exitstatus.h"
#include "cli/linkparameters.h"

namespace ktv31::cli {
namespace {

struct SettingsRead
{
    ConnectionSettings settings;
    QString error;
    QString note; // the program's own file was damaged: the defaults are taken
};

// The program's own settings file may be missing or short, as for the windows: then the
// defaults hold, and a damaged one is told, since a controller at another speed would then
// seem not to answer. A file named on the command line must be a whole record.
SettingsRead ReadSettings(const QString &path, bool named)
{
    const SettingsFileRead read = ReadSettingsFile(path);
    const bool missing =
        read.fault == FileFault::NoSuchFile || read.fault == FileFault::NoSuchFolder;
    if (read.fault != FileFault::None && (named || !missing))
        return {{},
                QStringLiteral("файл настроек %1: %2: %3")
                    .arg(path, OpenFailedText(), FileFaultText(read.fault)),
                {}};
    if (named && !read.ok())
        return {{},
                QStringLiteral("файл настроек %1: %2 байт, а не запись настроек из %3")
                    .arg(path)
                    .arg(read.size())
                    .arg(ConnectionSettings::Size),
                {}};
    if (!missing && !read.ok())
        return {read.settings,
                {},
                QStringLiteral("файл настроек %1 повреждён (%2 байт из %3), взяты значения по "
                               "умолчанию")
                    .arg(path)
                    .arg(read.size())
                    .arg(ConnectionSettings::Size)};
    return {read.settings, {}, {}};
}

// Checks one value the settings file supplied (the options were checked when parsed).
class ValueCheck
{
public:
    explicit ValueCheck(const QString &settingsPath) : settingsPath_(settingsPath) {}

    bool operator()(const LinkParameter &parameter, const std::optional<int> &given,
                    qint64 fromFile)
    {
        if (given || InRange(parameter, fromFile) || !error.isEmpty())
            return error.isEmpty();
        error = QStringLiteral("файл настроек %1: %2 = %3; укажите --%4")
                    .arg(settingsPath_, OutOfRangeText(parameter))
                    .arg(fromFile)
                    .arg(QString::fromLatin1(parameter.option));
        return false;
    }

    QString error;

private:
    QString settingsPath_;
};

void Overlay(const LinkOptions &o, ConnectionSettings &s)
{
    if (o.port)
        s.setPortNumber(quint8(*o.port));
    if (o.speed)
        s.setSpeed(*o.speed);
    if (o.preambles)
        s.setPreambleCount(quint8(*o.preambles));
    if (o.attempts)
        s.setAttempts(quint8(*o.attempts));
    if (o.firstByteWaitS)
        s.setFirstByteWaitS(*o.firstByteWaitS);
    if (o.nextByteWaitMs)
        s.setNextByteWaitMs(*o.nextByteWaitMs);
    if (o.rtsPauseMs)
        s.setRtsPauseMs(*o.rtsPauseMs);
    if (o.connectWaitS)
        s.setConnectWaitS(*o.connectWaitS);
    if (o.connectAttempts)
        s.setConnectAttempts(*o.connectAttempts);
    if (o.modemInit)
        s.setModemCommand(*o.modemInit);
    if (o.phone) {
        // The whole number stands in the number field: the dialler joins the parts anyway.
        s.setLinkType(TelephoneLink);
        s.setCountryCode(QString());
        s.setCityCode(QString());
        s.setPhoneNumber(*o.phone);
    } else if (o.direct)
        s.setLinkType(DirectLink);
}

// The dialler sends only what begins with "AT"; a text without any is not sent at all, which
// the engineer should know before wondering why the modem ignored it.
QString UnsentInitNote(const LinkOptions &o, const ConnectionSettings &s, const QString &path)
{
    const QString init = s.ModemCommand();
    if (init.trimmed().isEmpty() || !SplitInitString(init).commands.isEmpty())
        return {};
    const QString source = o.modemInit
                               ? QStringLiteral("--modem-init")
                               : QStringLiteral("файл настроек %1: Команда модему").arg(path);
    return QStringLiteral("%1 \"%2\": в ней нет команды AT, модему ничего из неё не посылается")
        .arg(source, init);
}

} // namespace

PreparedLink PrepareLink(const LinkOptions &options, const QString &programDir)
{
    PreparedLink result;
    const bool named = !options.settingsPath.isEmpty();
    const QString path = named ? options.settingsPath : SettingsFilePath(programDir);
    SettingsRead read = ReadSettings(path, named);
    if (!read.error.isEmpty()) {
        result.status = ExitStatus::FileProblem;
        result.error = read.error;
        return result;
    }
    const ConnectionSettings file = read.settings;
    ConnectionSettings &s = result.setup.settings;
    s = file;
    Overlay(options, s);
    result.setup.devicePath = options.device;

    using namespace LinkParameters;
    ValueCheck check(path);
    const bool linkTypeGiven = options.phone || options.direct;
    if (!linkTypeGiven)
        check(LinkType, std::nullopt, file.LinkType());
    if (options.device.isEmpty())
        check(Port, options.port, file.PortNumber());
    check(Speed, options.speed, file.Speed());
    check(Attempts, options.attempts, file.Attempts());
    check(FirstByteWait, options.firstByteWaitS, file.FirstByteWaitS());
    check(NextByteWait, options.nextByteWaitMs, file.NextByteWaitMs());
    check(Preambles, options.preambles, file.PreambleCount());
    check(RtsPause, options.rtsPauseMs, file.RtsPauseMs());
    if (check.error.isEmpty() && result.setup.kind().dials()) {
        check(ConnectWait, options.connectWaitS, file.ConnectWaitS());
        check(ConnectAttempts, options.connectAttempts, file.ConnectAttempts());
        if (check.error.isEmpty() && !options.phone && s.PhoneNumber().trimmed().isEmpty())
            check.error = QStringLiteral("файл настроек %1: телефонная связь без номера "
                                         "(N телефона); укажите --phone или --direct")
                              .arg(path);
        if (check.error.isEmpty() && !options.modemInit) {
            if (const QString fault = ModemCommandFault(s.ModemCommand()); !fault.isEmpty())
                check.error = QStringLiteral("файл настроек %1: Команда модему: %2; укажите "
                                             "--modem-init")
                                  .arg(path, fault);
        }
        if (check.error.isEmpty() && !options.phone) {
            if (const QString fault = DialNumberFault(DialNumberText(s)); !fault.isEmpty())
                check.error = QStringLiteral("файл настроек %1: N телефона: %2; укажите --phone")
                                  .arg(path, fault);
        }
    }
    // Every value checked here came from the file: the options were checked when parsed.
    if (!check.error.isEmpty()) {
        result.status = ExitStatus::FileProblem;
        result.error = check.error;
        return result;
    }
    QStringList notes{read.note};
    if (result.setup.kind().dials())
        notes << UnsentInitNote(options, s, path);
    notes.removeAll(QString());
    result.note = notes.join(QLatin1Char('\n'));
    return result;
}

} // namespace ktv31::cli
