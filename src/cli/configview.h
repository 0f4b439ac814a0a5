// A configuration record described field by field, with the labels of the configuration editor.
#pragma once

#include "config/configimage.h"
#include "connection/identdecode.h"

#include <QList>
#include <QString>

#include <array>

namespace ktv31::cli {

struct ViewField
{
    QString name;  // the field's name: "link.speed"
    QString key;   // for --json
    QString label; // as the editor labels it
    QString text;  // the value as the editor shows it
    int value = 0; // the stored byte
};

struct CalculatorView
{
    int address = 0;
    bool connected = false;
    quint8 port = 0;
    quint8 speedCode = 0;

    QString portText() const; // "A", "B", "C" or "?"
    int speed() const;        // bit/s, 0 for a code outside the speed table
    QString text() const;     // "Да, A, 9600 бит/с" or "Нет"
};

struct ConfigView
{
    bool fromDevice = false; // the marker: the identification block was read from a controller
    IdentificationBytes block{};
    std::array<IdentLine, IdentLineCount> identification; // full or reduced by the marker
    QList<ViewField> linkParameters;   // the RTS field only for software versions other than 3, 4
    QString modemString;               // as the editor shows it: trimmed, without its CR
    QList<CalculatorView> calculators; // addresses 0..254
};

ConfigView DescribeRecord(const ConfigRecord &record);

// `text` safe to print on a terminal: CR as \r, every other control character (ESC among them)
// as \xHH, so that a file cannot move the cursor or clear the screen.
QString VisibleText(const QString &text);

// Section captions, from the windows that show these parts.
QString IdentificationCaption();
QString LinkParametersCaption();
QString ModemStringCaption();
QString CalculatorsCaption();

} // namespace ktv31::cli
