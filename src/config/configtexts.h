// The configuration editor's captions; the fields' labels and items are in the record's
// description.
#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

namespace ktv31 {

// Table 3 has its eighth field, the RTS control, only for software versions other than 3, 4.
bool HasRtsField(quint8 softwareVersion);

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
