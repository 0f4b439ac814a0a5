// The identification block's lines as the engineer reads them: their labels and value texts.
#pragma once

#include <QString>
#include <QStringList>

#include <array>

namespace ktv31 {

// The lines of the identification, in the order the view shows them.
enum IdentItem : int
{
    IdentType,
    IdentHardware,
    IdentSoftware,
    IdentBuildDate,
    IdentByteOrder,
    IdentDestroyed,
    IdentSpeeds,
    IdentAddress,
    IdentProtocol,
    IdentItemCount
};

namespace IdentText {
// The label parts of each line, as they stand one above the other in the window.
const std::array<QStringList, IdentItemCount> &LabelParts();
// A label on one line, its parts joined by one blank.
QString Label(IdentItem item);

QString Software(int version);        // "5 (Чтение и запись)"
QString ReducedSoftware(int version); // a file's generation: "5 или 6"
QString BuildDate(int day, int month, int year, int hour, int minute, int second);
QString ByteOrder(int order); // empty for a value that names no order
QString Destroyed(int table);
QString Speeds(int multiSpeed);
QString Address(int fixedAddress);
QString Protocol(int major, int minor, int build);
} // namespace IdentText

} // namespace ktv31
