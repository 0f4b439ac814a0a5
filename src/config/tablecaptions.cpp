// Captions of the controller's configuration tables, indexed by table number.
#include "config/tablecaptions.h"

namespace ktv31 {

const std::array<QString, ConfigTableCount> &Stringi()
{
    static const std::array<QString, ConfigTableCount> captions = {
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
    if (table < 0 || table >= ConfigTableCount)
        return {};
    return Stringi()[table];
}

} // namespace ktv31
