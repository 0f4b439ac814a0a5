// Overlaying the options on the settings file and checking the link values the tool will use.
#include "cli/linksetup.h"

#include "cli/exitstatus.h"
#include "cli/linkparameters.h"
#include "connection/controllerlink.h"
#include "service/linkform.h"

#include <utility>

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

// The value the settings file holds for a parameter the form found at fault.
qint64 StoredValue(const LinkLimit &limit, const ConnectionSettings &s)
{
    using namespace LinkLimits;
    const std::pair<const LinkLimit *, qint64> stored[] = {
        {&LinkType, s.LinkType()},
        {&Port, s.PortNumber()},
        {&Speed, s.Speed()},
        {&Attempts, s.Attempts()},
        {&FirstByteWait, s.FirstByteWaitS()},
        {&NextByteWait, s.NextByteWaitMs()},
        {&Preambles, s.PreambleCount()},
        {&RtsPause, s.RtsPauseMs()},
        {&ConnectWait, s.ConnectWaitS()},
        {&ConnectAttempts, s.ConnectAttempts()},
    };
    for (const auto &[parameter, value] : stored)
        if (parameter == &limit)
            return value;
    return 0;
}

// The settings as the connection dialog would take them: the same checks in the same order,
// told with the option that would replace the value. The options were checked when they were
// parsed, so a fault is the file's. `portUsed` is false when a device is named instead.
QString SettingsFault(const ConnectionSettings &s, bool portUsed, const QString &path)
{
    LinkForm form = LinkFormOf(s);
    if (!portUsed)
        form.port = LinkLimits::Port.low;
    ConnectionSettings checked = s;
    const std::optional<LinkFault> fault = CheckAndStoreLinkForm(form, checked);
    if (!fault)
        return {};
    const LinkLimit &limit = *fault->parameter;
    const QString file = QStringLiteral("файл настроек %1: ").arg(path);
    if (&limit == &LinkLimits::PhoneNumber && s.PhoneNumber().isEmpty())
        return file + QStringLiteral(
                          "телефонная связь без номера (N телефона); укажите --phone или --direct");
    if (&limit == &LinkLimits::PhoneNumber)
        return file + QStringLiteral("N телефона: %1; укажите --phone")
                          .arg(DialNumberFault(DialNumberText(s)));
    if (&limit == &LinkLimits::ModemCommand)
        return file + QStringLiteral("Команда модему: %1; укажите --modem-init")
                          .arg(ModemCommandFault(s.ModemCommand()));
    const LinkParameter *parameter = LinkParameterOf(limit);
    if (!parameter)
        return file + fault->line1;
    return file + QStringLiteral("%1 = %2; укажите --%3")
                      .arg(OutOfRangeText(*parameter))
                      .arg(StoredValue(limit, s))
                      .arg(QString::fromLatin1(parameter->option));
}

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

    if (const QString fault = SettingsFault(s, options.device.isEmpty(), path); !fault.isEmpty()) {
        result.status = ExitStatus::FileProblem;
        result.error = fault;
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
