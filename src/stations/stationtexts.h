// The texts of station rounds that the program itself says.
#pragma once

#include <QString>

namespace ktv31::StationText {

inline QString Done()
{
    return QStringLiteral("Выполнено");
}
inline QString NotCalled()
{
    return QStringLiteral("Не обслужена: обход прерван");
}
inline QString Interrupted()
{
    return QStringLiteral("Прервано");
}
inline QString DestroyedTable(int table)
{
    return QStringLiteral("Разрушена таблица № %1").arg(table);
}
inline QString WorkerFailed()
{
    return QStringLiteral("Обслуживание станции оборвалось без отчёта");
}
inline QString NothingNew()
{
    return QStringLiteral("Конфигурация не изменилась");
}

} // namespace ktv31::StationText
