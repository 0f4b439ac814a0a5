// The rules of the configuration editor and the calculator link editor, free of widgets.
#pragma once

#include "config/configimage.h"
#include "shell/inputfault.h"

#include <QList>
#include <QString>

#include <array>
#include <optional>

namespace ktv31 {

// The speed codes (0..21) whose bit is set in a 32-bit mask of table 1.
QList<int> OfferedSpeedCodes(quint32 mask);
// The masks of the upper-level link (bytes 17..20) and of the calculator links (21..24).
quint32 UpperSpeedMask(const ConfigImage &image);
// A mask that offers every speed of the speed table.
constexpr quint32 EverySpeedMask = 0xFFFFFFFF;
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

// What the controls show for `record` when the editor opens: the list values it holds and the
// numbers as text; the RTS choice only where table 3 has that field.
EditorInput EditorInputFrom(const ConfigRecord &record);
// Whether the record's table 3 has the RTS field.
bool RecordHasRtsField(const ConfigRecord &record);

// The identification block of a record (and whether it was read from a controller), of an image.
IdentificationBytes IdentificationBlock(const ConfigRecord &record);
IdentificationBytes IdentificationBlock(const ConfigImage &image);
bool IdentificationFromDevice(const ConfigRecord &record);

// One calculator's link as the link editor works on it.
struct CalculatorLink
{
    quint8 connected = 0;
    quint8 port = 0; // 1 A, 2 B, 3 C
    quint8 speedCode = 0;
};
CalculatorLink CalculatorLinkAt(const ConfigRecord &record, int address);
void SetCalculatorLink(ConfigRecord &record, int address, const CalculatorLink &link);

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
