// Texts the operations tell the person.
#include "service/servicetexts.h"

#include "protocol/controllercodes.h"

#include <QStringList>

namespace ktv31::ServiceText {

QString PortUnavailable(const QString &portName)
{
    return QStringLiteral("Коммуникационный порт %1 недоступен").arg(portName);
}

QString ConfigurationNotRead()
{
    return QStringLiteral("Параметры конфигурации не прочитаны");
}

QString DestroyedTable(int table)
{
    return QStringLiteral("Разрушена таблица № %1").arg(table);
}

QString StillDestroyed(int table)
{
    return QStringLiteral("Разрушена таблица %1").arg(table);
}

QString NoTablesWritten()
{
    return QStringLiteral("Запись таблиц не выполняется.");
}

QString NothingChanged()
{
    return QStringLiteral("Нет измененных данных");
}

QString WriteNotFinished()
{
    return QStringLiteral("Запись таблиц не завершена");
}

QString VerifyFailed()
{
    return QStringLiteral("Проверка записи не пройдена");
}

QString TablesWritten(const QList<int> &tables, bool verified)
{
    QStringList numbers;
    for (const int table : tables)
        numbers << QString::number(table);
    const QString text =
        QStringLiteral("Записаны таблицы %1").arg(numbers.join(QStringLiteral(", ")));
    return verified ? text + QStringLiteral("; проверено") : text;
}

QString UpperSpeedNotOffered(int speedCode)
{
    const int speed = CodeToSpeed(speedCode);
    const QString what =
        speed ? QStringLiteral("%1 бит/с").arg(speed) : QStringLiteral("(код %1)").arg(speedCode);
    return QStringLiteral("Скорость обмена с ВУ %1 контроллером не поддерживается").arg(what);
}

} // namespace ktv31::ServiceText
