// Captions of the configuration editor.
#include "config/configtexts.h"

#include "config/configimage.h"

namespace ktv31 {

// Table 3 has its eighth field, the RTS control, where it is long.
bool HasRtsField(quint8 softwareVersion)
{
    return ConfigImage::LinkParameterCountFor(softwareVersion) == LinkParameterCountLong;
}

namespace EditorText {
QString FormCaption()
{
    return QStringLiteral(" Параметры конфигурации контроллера");
}
QString IdentificationCaption()
{
    return QStringLiteral("Параметры идентификации");
}
QString LinkGroupCaption()
{
    return QStringLiteral(" Параметры связи ");
}
QString ModemGroupCaption()
{
    return QStringLiteral(" Строка инициализации модема ");
}
QString CalculatorGroupCaption()
{
    return QStringLiteral(" Параметры связи  с отдельным вычислителем");
}
QString AnswerWaitUnit()
{
    return QStringLiteral("* 20 мс + 1000 мс");
}
QStringList GridHeaders()
{
    return {QStringLiteral("Адрес"), QStringLiteral("Подключение"), QStringLiteral("Порт"),
            QStringLiteral("Скорость обмена")};
}
QString GridSpeedUnit()
{
    return QStringLiteral("( бит/с )");
}
} // namespace EditorText

} // namespace ktv31
