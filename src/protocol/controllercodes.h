// Constant texts of exchange results, controller errors and valve refusal reasons; speed codes.
#pragma once

#include <QString>
#include <QtGlobal>

#include <array>

namespace ktv31 {

// Result codes of an exchange, with the controller documents' numbers; Ok is success. Busy and
// LineLost are this program's own, after the documents' last. Codes without a name here (6, 9,
// 11, 14 to 17) have their places in the texts but no exchange gives them.
enum class Result : qint32
{
    Ok = 0,
    BadStartSymbol = 1,
    BadFunctionCode = 2,
    WriteFailed = 3,
    ReadFailed = 4, // the port was lost while the answer was awaited
    AnswerIncomplete = 5,
    BadCrc = 7,
    Refused = 8,
    NoAnswer = 10,
    ValveRefused = 12,
    ReasonText = 13,
    IdentifierMismatch = 18,
    Aborted = 19,
    Busy = 20, // an exchange was started while another one runs
    // The port went away (a pulled adapter, a dropped line) at whatever moment of the exchange:
    // one text for all of them, and no further attempt on a port that is gone.
    LineLost = 21,
};
constexpr int ResultCount = 22;
constexpr int ResultNumber(Result code)
{
    return int(code);
}

constexpr int ControllerErrorCount = 65; // codes 0..64; code 0 has no text
constexpr int ReasonCodeCount = 52;
constexpr int SpeedCodeCount = 22;

// Texts of the engine's result codes. Codes 8 and 13 are composed by the engine at run time and
// are empty here; 15, 16 and 18 are format texts with %d placeholders. Empty outside 0..21.
QString ResultCodeText(int code);
inline QString ResultCodeText(Result code)
{
    return ResultCodeText(ResultNumber(code));
}
// Text of the error code in a refusal answer; empty for 0 and for codes without a text.
QString ControllerErrorText(int code);
// Text of the reason code of a refused valve switching; empty for 0 and for unknown reasons.
QString ReasonText(int code);

// The controller's exchange speeds in bit/s, indexed by speed code.
const std::array<int, SpeedCodeCount> &SpeedTable();
// Speed code of `bitsPerSecond`, or -1 when the controller has no such speed.
int SpeedToCode(int bitsPerSecond);
// Speed in bit/s of `code`, or 0 for a code outside the table.
int CodeToSpeed(int code);

} // namespace ktv31
