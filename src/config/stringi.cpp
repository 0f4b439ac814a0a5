// Captions of the controller's configuration tables, indexed by table number.
#include "config/stringi.h"

namespace ktv31 {

const std::array<QString, TableCaptionCount> &Stringi()
{
    static const std::array<QString, TableCaptionCount> captions = {
        QStringLiteral("Общие параметры идентификации"),
        QStringLiteral("Наличие значения скорости обмена"),
        QString(),
        QStringLiteral("Параметры связи"),
        QString(),
        QStringLiteral("Командная строка модема"),
        QStringLiteral("Скорость обмена с подкл. вычислителем и порт подключения"),
        QStringLiteral("Требуется восстановление таблицы "),
    };
    return captions;
}

QString TableCaption(int table)
{
    if (table < 0 || table >= TableCaptionCount)
        return {};
    return Stringi()[table];
}

} // namespace ktv31
