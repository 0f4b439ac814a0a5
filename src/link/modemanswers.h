// What a modem's answers mean: the result codes of the dialogue, the classification of an answer
// line, when a line is complete, and the splitting of the initialisation string. Pure functions,
// fuzzed; the dialogue itself is in connectmodem.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace ktv31 {

// Results of SendModemCommand, ResetModem and Dial; Ok is success. Texts: DialResultText.
enum class DialResult : int
{
    Ok = 0,
    NoDialTone = 1,    // "DIAL" / "dial"
    Busy = 2,          // "BUSY" / "busy"
    NoCarrier = 3,     // "NO CARRI" / "no carri"
    Error = 4,         // "ERRO" / "erro"
    NoAnswer = 5,      // "ANSW" / "answ"
    TimeUsedUp = 6,    // "Time"
    NoModem = 7,       // the escape sequence of the reset went unanswered
    NotConnected = 8,  // an init command without OK, or a dial without CONNECT
    AnswerTimeout = 9, // no complete answer line before the deadline
    Cancelled = 10,    // the operator cancelled
};
constexpr int DialResultCount = 11;
constexpr int DialResultNumber(DialResult code)
{
    return int(code);
}

// The text the caller shows for a dial result.
QString DialResultText(DialResult code);

// Working storage limits of one dialling.
constexpr int MaxInitCommands = 30;
constexpr int MaxInitCommandLength = 298; // characters, without the CR added behind
constexpr int MaxAnswerLength = 255;      // bytes of one answer line

// The answer a cancelled dialling stands in for the modem's own.
extern const QByteArray CancelAnswer;

// The initialisation string split into AT commands, each with its CR; at most MaxInitCommands
// of at most MaxInitCommandLength characters. `shortened` tells that something was cut off.
struct InitCommands
{
    QStringList commands;
    bool shortened = false;
};
InitCommands SplitInitString(const QString &initString);

// The number without blanks, "-", "(" and ")".
QString StripDialSeparators(const QString &number);
// True when `pattern` occurs in `text` byte by byte; false for an empty text or one shorter
// than the pattern.
bool ContainsText(const QByteArray &text, const QByteArray &pattern);
// The dial result an answer line stands for; OK and CONNECT both give 0.
DialResult ClassifyModemAnswer(const QByteArray &answer);

// The reset takes echoes and the numeric OK for signs of a modem in command state.
bool ResetAnswerAccepted(const QByteArray &answer);
bool IsOk(const QByteArray &answer);
bool IsConnect(const QByteArray &answer);
bool IsLineBreak(char byte);
// An answer line ends with a line break once it holds four bytes (so that the "\r\n" ahead of a
// verbal answer is no line yet), or at its longest.
bool LineComplete(const QByteArray &line);

} // namespace ktv31
