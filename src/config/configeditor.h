// The rules of the configuration editor and the calculator link editor, free of widgets.
#pragma once

#include "config/configimage.h"
#include "shell/inputfault.h"

#include <QList>
#include <QString>

#include <array>
#include <optional>

namespace ktv31 {

constexpr int FirstShownCalculator = 1; // address 0 is never shown or edited
constexpr int ShownCalculatorCount = 254;
constexpr int MaxEditorModemStringLength = 62; // leaves room for the CR and a zero

// The speed codes (0..21) whose bit is set in a 32-bit mask of table 1.
QList<int> OfferedSpeedCodes(quint32 mask);
// The masks of the upper-level link (bytes 17..20) and of the calculator links (21..24).
quint32 UpperSpeedMask(const ConfigImage &image);
quint32 CalculatorSpeedMask(const ConfigImage &image);
// Every speed counts as offered, as for a file that no controller reported on.
void OfferEverySpeed(ConfigImage &image);

// The four cells of the grid row of `address`, padded as the grid shows them.
std::array<QString, 4> CalculatorCells(const ConfigRecord &record, int address);

// The modem string as the editor shows it: up to the first zero, without blanks or control
// characters at either end (so without the CR that ends a stored string).
QString EditorModemString(const ConfigRecord &record);

// What the link-parameter controls hold when the operator accepts: list selections (-1 = none)
// and edit texts as typed.
struct EditorInput
{
    int speedCode = -1;           // ComboBox1: the code of the speed shown
    int priority = -1;            // ComboBox2
    int calculatorPreambles = -1; // ComboBox3
    int retryDelay = -1;          // ComboBox4
    int rtsControl = -1;          // ComboBox5, only for software versions other than 3 and 4
    QString answerPreambles;      // Edit2
    QString requestPreambles;     // Edit3
    QString answerWait;           // Edit4
    QString modemString;          // Edit1
};

// Checks the input in the editor's order and, when it passes, stores into `record` (table 3
// bytes 38..45, the modem string with its CR and zeros) every value that differs from `shown`,
// what the controls held when the editor opened; a value left as shown keeps its bytes. Nothing
// is stored on a fault.
std::optional<InputFault> StoreEditorInput(const EditorInput &input, const EditorInput &shown,
                                           ConfigRecord &record);

// Clears the connected flag of addresses 1..254; their ports and speeds stay.
void DisconnectAllCalculators(ConfigRecord &record);

// The link editor refuses a connected calculator without port or speed.
std::optional<InputFault> CheckCalculatorLink(bool connected, bool portChosen, bool speedChosen);

} // namespace ktv31
