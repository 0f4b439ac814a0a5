// Labels and value texts of the identification block.
#include "config/identtexts.h"

namespace ktv31::IdentText {
namespace {

QString TwoDigitsOrStars(int value, int low, int high)
{
    return (value >= low && value <= high) ? QStringLiteral("%1").arg(value, 2, 10, QChar('0'))
                                           : QStringLiteral("**");
}

} // namespace

const std::array<QStringList, IdentItemCount> &LabelParts()
{
    static const std::array<QStringList, IdentItemCount> labels = {
        QStringList{QStringLiteral("Код типа контроллера")},
        {QStringLiteral("Версия аппаратного обеспечения")},
        {QStringLiteral("Версия программного обеспечения")},
        {QStringLiteral("Дата создания ПО")},
        {QStringLiteral("Порядок расположения байтов")},
        {QStringLiteral("Наличие разрушенных таблиц")},
        {QStringLiteral("Возможность работы на разных"), QStringLiteral("скоростях обмена")},
        {QStringLiteral("Возможность изменения адреса"), QStringLiteral("контроллера")},
        {QStringLiteral("Номер последней версии протокола"),
         QStringLiteral("QRM-LD71-K, которая поддерживается"), QStringLiteral("контроллером")},
    };
    return labels;
}

QString Label(IdentItem item)
{
    return LabelParts()[size_t(item)].join(QLatin1Char(' '));
}

QString Software(int version)
{
    switch (version) {
    case 3:
    case 5:
        return QStringLiteral("%1 (Чтение и запись)").arg(version);
    case 4:
    case 6:
        return QStringLiteral("%1 (Только чтение)").arg(version);
    default:
        return QString::number(version);
    }
}

QString ReducedSoftware(int version)
{
    switch (version) {
    case 3:
        return QStringLiteral("3 или 4");
    case 5:
        return QStringLiteral("5 или 6");
    default:
        return QString::number(version);
    }
}

QString BuildDate(int day, int month, int year, int hour, int minute, int second)
{
    return QStringLiteral("%1.%2.%3  %4:%5:%6")
        .arg(TwoDigitsOrStars(day, 1, 31), TwoDigitsOrStars(month, 1, 12),
             TwoDigitsOrStars(year, 0, 99), TwoDigitsOrStars(hour, 0, 23),
             TwoDigitsOrStars(minute, 0, 59), TwoDigitsOrStars(second, 0, 59));
}

QString ByteOrder(int order)
{
    switch (order) {
    case 0:
        return QStringLiteral("Мл. адрес - ст. байт");
    case 1:
        return QStringLiteral("Мл. адрес - мл. байт");
    default:
        return {};
    }
}

QString Destroyed(int table)
{
    return table == 0 ? QStringLiteral("Разрушенных таблиц нет")
                      : QStringLiteral("Разрушена таблица %1").arg(table);
}

QString Speeds(int multiSpeed)
{
    return multiSpeed == 0 ? QStringLiteral("Нет") : QStringLiteral("Есть");
}

QString Address(int fixedAddress)
{
    return fixedAddress == 0 ? QStringLiteral("Есть")
                             : QStringLiteral("Нет. Адрес = %1").arg(fixedAddress);
}

QString Protocol(int major, int minor, int build)
{
    return QStringLiteral("%1.%2.%3").arg(major).arg(minor).arg(build);
}

} // namespace ktv31::IdentText
