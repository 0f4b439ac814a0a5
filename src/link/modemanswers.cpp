// The meaning of modem answers: classification, complete lines, the initialisation string.
#include "link/modemanswers.h"

#include <algorithm>
#include <array>
#include <initializer_list>

namespace ktv31 {

const QByteArray CancelAnswer = QByteArrayLiteral("Escape...");

namespace {

constexpr int kMinLineLength = 4;

struct Classification
{
    QByteArray pattern;
    DialResult code;
};

// The first match decides: "NO DIALTONE" is no dial tone, an answer with ERROR is an error.
const std::array<Classification, 12> kClassifications{{
    {"ERRO", DialResult::Error},
    {"erro", DialResult::Error},
    {"Time", DialResult::TimeUsedUp},
    {"DIAL", DialResult::NoDialTone},
    {"dial", DialResult::NoDialTone},
    {"NO CARRI", DialResult::NoCarrier},
    {"no carri", DialResult::NoCarrier},
    {"BUSY", DialResult::Busy},
    {"busy", DialResult::Busy},
    {"ANSW", DialResult::NoAnswer},
    {"answ", DialResult::NoAnswer},
    {CancelAnswer, DialResult::Cancelled},
}};

bool ContainsAny(const QByteArray &text, std::initializer_list<const char *> patterns)
{
    return std::any_of(patterns.begin(), patterns.end(),
                       [&](const char *pattern) { return ContainsText(text, pattern); });
}

} // namespace

bool ResetAnswerAccepted(const QByteArray &answer)
{
    return ContainsAny(answer, {"AT", "at", "OK", "ok", "\r\n", "0"});
}

bool IsOk(const QByteArray &answer)
{
    return ContainsAny(answer, {"OK", "ok"});
}
bool IsConnect(const QByteArray &answer)
{
    return ContainsAny(answer, {"ONNE", "onne"});
}

bool IsLineBreak(char byte)
{
    return byte == '\r' || byte == '\n';
}

bool LineComplete(const QByteArray &line)
{
    return (line.size() >= kMinLineLength && IsLineBreak(line.back())) ||
           line.size() >= MaxAnswerLength;
}

QString DialResultText(DialResult code)
{
    static const std::array<const char *, DialResultCount> texts{
        "Соединение установлено",
        "Отсутствует сигнал АТС",
        "Номер абонента занят",
        "Потеря несущей",
        "Нет гудка в линии",
        "Абонент не отвечает",
        "Лимит времени, отведенного на соединение, исчерпан",
        "Модем отсутствует или не подключен",
        "Соединение не установлено",
        "Истекло время ожидания ответа от модема",
        "Попытка соединения прервана по требованию пользователя",
    };
    const int number = DialResultNumber(code);
    if (number < 0 || number >= DialResultCount)
        return {};
    return QString::fromUtf8(texts[size_t(number)]);
}

InitCommands SplitInitString(const QString &initString)
{
    InitCommands out;
    const auto isA = [](QChar c) { return c == u'A' || c == u'a'; };
    const auto isT = [](QChar c) { return c == u'T' || c == u't'; };
    qsizetype i = 0;
    while (i + 1 < initString.size()) {
        if (!isA(initString[i]) || !isT(initString[i + 1])) {
            ++i;
            continue;
        }
        if (out.commands.size() == MaxInitCommands) {
            out.shortened = true;
            break;
        }
        qsizetype end = initString.indexOf(u'^', i);
        if (end < 0)
            end = initString.size();
        QString command = initString.mid(i, end - i);
        if (command.size() > MaxInitCommandLength) {
            command.truncate(MaxInitCommandLength);
            out.shortened = true;
        }
        out.commands.append(command + u'\r');
        i = end;
    }
    return out;
}

QString StripDialSeparators(const QString &number)
{
    QString out;
    out.reserve(number.size());
    for (const QChar c : number)
        if (c != u' ' && c != u'-' && c != u'(' && c != u')')
            out.append(c);
    return out;
}

bool ContainsText(const QByteArray &text, const QByteArray &pattern)
{
    if (text.isEmpty() || text.size() < pattern.size())
        return false;
    return text.contains(pattern);
}

DialResult ClassifyModemAnswer(const QByteArray &answer)
{
    for (const Classification &entry : kClassifications)
        if (ContainsText(answer, entry.pattern))
            return entry.code;
    return DialResult::Ok;
}

} // namespace ktv31
