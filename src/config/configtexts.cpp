// Captions, labels and list items of the configuration editor.
#include "config/configtexts.h"

#include "config/configimage.h"
#include "protocol/suplfunc.h"

#include <QRegularExpression>

namespace ktv31 {

const QList<LinkParameterField> &LinkParameterFields()
{
    using namespace LinkFieldOffset;
    static const QList<LinkParameterField> fields{
        {"upperSpeed", {QStringLiteral("Скорость обмена с ВУ")}, UpperSpeed, {}},
        {"answerPreambles",
         {QStringLiteral("Количество преамбул"), QStringLiteral("при ответе ВУ (0...255)")},
         AnswerPreambles,
         {}},
        {"requestPreambles",
         {QStringLiteral("Количество преамбул"),
          QStringLiteral("в запросе к вычислителю (0...255)")},
         RequestPreambles,
         {}},
        {"calculatorAnswerWait",
         {QStringLiteral("Длительность ожидания ответа"),
          QStringLiteral("от вычислителя (0...255)")},
         AnswerWait,
         {}},
        {"calculatorPreambles",
         {QStringLiteral("Преамбулы от вычислителя")},
         CalculatorPreambles,
         {QStringLiteral(" Не ожидать"), QStringLiteral(" Ожидать")}},
        {"priority",
         {QStringLiteral("Приоритет")},
         Priority,
         {QStringLiteral(" Высокий"), QStringLiteral(" Низкий")}},
        {"retryDelay",
         {QStringLiteral("Задержка перед повторной"), QStringLiteral("попыткой занять порт")},
         RetryDelay,
         {QStringLiteral(" Меньшая"), QStringLiteral(" Большая")}},
        {"rtsControl",
         {QStringLiteral("Необходимость управления"),
          QStringLiteral("сигналом RTS в канале связи с ВУ")},
         RtsControl,
         {QStringLiteral(" Не требуется"), QStringLiteral(" Требуется")}},
    };
    return fields;
}

const LinkParameterField &LinkParameterFieldAt(int offset)
{
    for (const LinkParameterField &field : LinkParameterFields())
        if (field.offset == offset)
            return field;
    return LinkParameterFields().front();
}

// Table 3 has its eighth field, the RTS control, where it is long.
bool HasRtsField(quint8 softwareVersion)
{
    return ConfigImage::LinkParameterCountFor(softwareVersion) == LinkParameterCountLong;
}

QString PlainLabel(const LinkParameterField &field)
{
    static const QRegularExpression range(QStringLiteral(" \\(\\d+\\.\\.\\.\\d+\\)$"));
    return field.labelParts.join(QLatin1Char(' ')).remove(range);
}

QString LinkParameterValueText(int offset, int value)
{
    const LinkParameterField &field = LinkParameterFieldAt(offset);
    if (!field.items.isEmpty())
        return value >= 0 && value < field.items.size() ? field.items[value].trimmed()
                                                        : QStringLiteral("? (%1)").arg(value);
    switch (offset) {
    case LinkFieldOffset::UpperSpeed:
        return CodeToSpeed(value) ? QStringLiteral("%1 бит/с").arg(CodeToSpeed(value))
                                  : QStringLiteral("? (код %1)").arg(value);
    case LinkFieldOffset::AnswerWait:
        return QStringLiteral("%1 * 20 мс + 1000 мс = %2 мс").arg(value).arg(value * 20 + 1000);
    default:
        return QString::number(value);
    }
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
