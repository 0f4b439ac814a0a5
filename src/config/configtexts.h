// The configuration editor's texts: captions, the labels of the table-3 controls, their list items.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace ktv31 {

// One control of the link-parameter group and the record byte it edits.
struct LinkParameterField
{
    const char *key;        // for machine-readable output
    QStringList labelParts; // the label's lines as they stand one above the other
    int offset;             // record byte
    QStringList items;      // drop-down items, leading blanks included; empty for a number edit
};

namespace LinkFieldOffset {
constexpr int UpperSpeed = 38;
constexpr int AnswerPreambles = 39;
constexpr int RequestPreambles = 40;
constexpr int Priority = 41;
constexpr int CalculatorPreambles = 42;
constexpr int RetryDelay = 43;
constexpr int AnswerWait = 44;
constexpr int RtsControl = 45; // only for software versions other than 3 and 4
} // namespace LinkFieldOffset

// In the order the editor shows them.
const QList<LinkParameterField> &LinkParameterFields();
const LinkParameterField &LinkParameterFieldAt(int offset);
bool HasRtsField(quint8 softwareVersion);
// The label on one line without the range it carries: "Количество преамбул при ответе ВУ".
QString PlainLabel(const LinkParameterField &field);
// The text of one table-3 value by its record offset, as the editor means it: "9600 бит/с",
// "Низкий", "5 * 20 мс + 1000 мс = 1100 мс"; "? (...)" for a value the editor has no text for.
QString LinkParameterValueText(int offset, int value);

namespace EditorText {
QString FormCaption(); // " Параметры конфигурации контроллера"
QString IdentificationCaption(); // "Параметры идентификации"
QString LinkGroupCaption();      // " Параметры связи "
QString ModemGroupCaption();     // " Строка инициализации модема "
QString CalculatorGroupCaption(); // " Параметры связи  с отдельным вычислителем"
QString AnswerWaitUnit(); // "* 20 мс + 1000 мс"
QStringList GridHeaders(); // "Адрес", "Подключение", "Порт", "Скорость обмена"
QString GridSpeedUnit(); // "( бит/с )"
} // namespace EditorText

} // namespace ktv31
