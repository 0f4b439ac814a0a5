// Names, ranges and the first-fault checks of the connection parameters.
#include "connection/linkparameters.h"

#include "connection/controllerlink.h"
#include "link/connectmodem.h"
#include "protocol/controllercodes.h"
#include "shell/settings.h"

#include <algorithm>
#include <utility>

namespace ktv31 {

namespace LinkLimits {
const LinkLimit LinkType{"Тип связи", 0, 1};
const LinkLimit Port{"Порт подключения", 1, 16};
const LinkLimit Speed{"Скорость обмена", 0, 0};
const LinkLimit Attempts{"Количество попыток обмена", 1, 5};
const LinkLimit FirstByteWait{"Время ожидания первого байта ответа", 1, 120};
const LinkLimit NextByteWait{"Время ожидания следующих байтов ответа", 55, 5000};
const LinkLimit Preambles{"Количество преамбул в запросе", 0, 255};
const LinkLimit RtsPause{"Пауза после установки RTS", 2, 1000};
const LinkLimit ConnectWait{"Ожидание соединения", 1, 360};
const LinkLimit ConnectAttempts{"Кол. попыток соединения", 1, 10};
const LinkLimit PhoneNumber{"N телефона", 0, 0}; // a text: DialNumberFault judges it
const LinkLimit ModemCommand{"Команда модему", 0, 0};
} // namespace LinkLimits

namespace {

LinkFault Fault(const InputFault &lines, const LinkLimit &parameter)
{
    return {lines, &parameter};
}

LinkFault NotAllEntered(const LinkLimit &parameter)
{
    return Fault(NotAllEnteredFault(), parameter);
}

LinkFault TelephoneOutOfRange(const LinkLimit &parameter)
{
    return Fault(
        {QStringLiteral("Вводите значения"), QStringLiteral("согласно допустимого диапазона")},
        parameter);
}

LinkFault OutOfRange(const LinkLimit &limit)
{
    return Fault(
        {QString::fromUtf8(limit.name), QStringLiteral("Параметр вне допустимого диапазона")},
        limit);
}

// The edits take only digits; anything else (or a number too long for the field) is out of
// range rather than silently zero.
std::optional<qint64> Number(const QString &text)
{
    bool ok = false;
    const qint64 value = text.toLongLong(&ok);
    return ok ? std::optional<qint64>(value) : std::nullopt;
}

bool Passes(const LinkLimit &limit, const QString &text, qint64 &value)
{
    const std::optional<qint64> number = Number(text);
    if (!number || !InRange(limit, *number))
        return false;
    value = *number;
    return true;
}

} // namespace

bool InRange(const LinkLimit &limit, qint64 value)
{
    if (&limit == &LinkLimits::Speed)
        return value >= 0 && value <= 0x7FFFFFFF && SpeedToCode(int(value)) >= 0;
    return value >= limit.low && value <= limit.high;
}

std::optional<LinkFault> CheckTelephoneParameters(const LinkForm &form, ConnectionSettings &working)
{
    if (form.connectWaitS.isEmpty())
        return NotAllEntered(LinkLimits::ConnectWait);
    if (form.phoneNumber.isEmpty())
        return NotAllEntered(LinkLimits::PhoneNumber);
    if (form.connectAttempts.isEmpty())
        return NotAllEntered(LinkLimits::ConnectAttempts);
    // A control character would reach the modem inside a command.
    if (!ModemCommandFault(form.modemCommand).isEmpty())
        return TelephoneOutOfRange(LinkLimits::ModemCommand);
    working.setModemCommand(form.modemCommand);
    qint64 value = 0;
    if (!Passes(LinkLimits::ConnectWait, form.connectWaitS, value))
        return TelephoneOutOfRange(LinkLimits::ConnectWait);
    working.setConnectWaitS(qint32(value));
    working.setCountryCode(form.countryCode);
    working.setCityCode(form.cityCode);
    working.setPhoneNumber(form.phoneNumber);
    // The number goes into the dial command: what would end that command early is refused.
    if (!DialNumberFault(DialNumberText(working)).isEmpty())
        return OutOfRange(LinkLimits::PhoneNumber);
    if (!Passes(LinkLimits::ConnectAttempts, form.connectAttempts, value))
        return TelephoneOutOfRange(LinkLimits::ConnectAttempts);
    working.setConnectAttempts(qint32(value));
    return std::nullopt;
}

std::optional<LinkFault> CheckLinkSelections(const LinkForm &form)
{
    using namespace LinkLimits;
    const std::pair<bool, const LinkLimit &> entered[] = {
        {form.port >= 0, Port},
        {form.speed >= 0, Speed},
        {form.attempts >= 0, Attempts},
        {form.linkType >= 0, LinkType},
        {!form.firstByteWaitS.isEmpty(), FirstByteWait},
        {!form.nextByteWaitMs.isEmpty(), NextByteWait},
        {!form.preambles.isEmpty(), Preambles},
        {!form.rtsPauseMs.isEmpty(), RtsPause},
    };
    for (const auto &[given, parameter] : entered)
        if (!given)
            return NotAllEntered(parameter);
    return std::nullopt;
}

LinkForm LinkFormOf(const ConnectionSettings &s)
{
    const auto selection = [](const LinkLimit &limit, qint64 value) {
        return InRange(limit, value) ? int(value) : -1;
    };
    LinkForm form;
    form.linkType = selection(LinkLimits::LinkType, s.LinkType());
    form.port = selection(LinkLimits::Port, s.PortNumber());
    form.speed = selection(LinkLimits::Speed, s.Speed());
    form.attempts = selection(LinkLimits::Attempts, s.Attempts());
    form.firstByteWaitS = QString::number(s.FirstByteWaitS());
    form.nextByteWaitMs = QString::number(s.NextByteWaitMs());
    form.preambles = QString::number(s.PreambleCount());
    form.rtsPauseMs = QString::number(s.RtsPauseMs());
    form.modemCommand = s.ModemCommand();
    form.connectWaitS = QString::number(s.ConnectWaitS());
    form.countryCode = s.CountryCode();
    form.cityCode = s.CityCode();
    form.phoneNumber = s.PhoneNumber();
    form.connectAttempts = QString::number(s.ConnectAttempts());
    return form;
}

std::optional<LinkFault> StoreLinkParameters(const LinkForm &form, ConnectionSettings &working)
{
    working.setLinkType(quint8(form.linkType));
    working.setAttempts(quint8(form.attempts));
    qint64 value = 0;
    if (!Passes(LinkLimits::FirstByteWait, form.firstByteWaitS, value))
        return OutOfRange(LinkLimits::FirstByteWait);
    working.setFirstByteWaitS(qint32(value));
    if (!Passes(LinkLimits::NextByteWait, form.nextByteWaitMs, value))
        return OutOfRange(LinkLimits::NextByteWait);
    working.setNextByteWaitMs(qint32(value));
    if (!Passes(LinkLimits::Preambles, form.preambles, value))
        return OutOfRange(LinkLimits::Preambles);
    working.setPreambleCount(quint8(value));
    if (!Passes(LinkLimits::RtsPause, form.rtsPauseMs, value))
        return OutOfRange(LinkLimits::RtsPause);
    working.setRtsPauseMs(qint32(value));
    return std::nullopt;
}

namespace {

QString ControlCharacterFault(const QString &text, const QString &where)
{
    for (const QChar c : text)
        if (c.category() == QChar::Other_Control)
            return QStringLiteral("управляющий символ 0x%1 %2")
                .arg(c.unicode(), 2, 16, QLatin1Char('0'))
                .arg(where);
    return {};
}

} // namespace

QString ModemCommandFault(const QString &command)
{
    return ControlCharacterFault(command, QStringLiteral("в команде модему"));
}

QString DialNumberFault(const QString &number)
{
    if (QString fault = ControlCharacterFault(number, QStringLiteral("в номере")); !fault.isEmpty())
        return fault;
    for (const QChar c : number) {
        if (c == u';')
            return QStringLiteral("символ \";\" в номере");
    }
    const QString dialled = StripDialSeparators(number);
    if (std::none_of(dialled.begin(), dialled.end(),
                     [](QChar c) { return c >= u'0' && c <= u'9'; }))
        return QStringLiteral("в номере нет ни одной цифры");
    return {};
}

} // namespace ktv31
