// Constant texts of exchange results, controller errors and valve refusal reasons; speed codes.
#pragma once

#include <QString>

#include <array>

namespace ktv31 {

constexpr int ResultCodeCount = 20;
constexpr int ControllerErrorCount = 65; // codes 0..64; code 0 has no text
constexpr int ReasonCodeCount = 52;
constexpr int SpeedCodeCount = 22;

// Texts of the engine's result codes. Codes 8 and 13 are composed by the engine at run time and
// are empty here; 15, 16 and 18 are format texts with %d placeholders.
QString ResultCodeText(int code);
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
