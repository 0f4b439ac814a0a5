// Texts the operations tell the person, each in one place.
#pragma once

#include <QList>
#include <QString>

namespace ktv31 {

namespace ServiceText {
// "Коммуникационный порт COM1 недоступен": `portName` as the link text names the port.
QString PortUnavailable(const QString &portName);
QString ConfigurationNotRead(); // "Параметры конфигурации не прочитаны"
// "Разрушена таблица № 5": the identification reports the table destroyed.
QString DestroyedTable(int table);
// "Разрушена таблица 5": still reported destroyed after the tables were written.
QString StillDestroyed(int table);
QString NoTablesWritten();  // "Запись таблиц не выполняется."
QString NothingChanged();   // "Нет измененных данных"
QString WriteNotFinished(); // "Запись таблиц не завершена"
QString VerifyFailed();     // "Проверка записи не пройдена"
// "Записаны таблицы 3, 6; проверено" (without the last part when nothing was read back).
QString TablesWritten(const QList<int> &tables, bool verified);
// "Скорость обмена с ВУ 4800 бит/с контроллером не поддерживается".
QString UpperSpeedNotOffered(int speedCode);
} // namespace ServiceText

} // namespace ktv31
