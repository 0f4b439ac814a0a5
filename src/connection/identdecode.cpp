// Decoding of the identification block: versions, build date, byte order, capabilities.
#include "connection/identdecode.h"

#include "config/configimage.h"

namespace ktv31 {
namespace {

// The block has the layout of the image's first 17 bytes.
namespace Block {
using namespace ImageOffset;
constexpr int Month = BuildYear + 1;
constexpr int Day = BuildYear + 2;
constexpr int Hour = BuildYear + 3;
constexpr int Minute = BuildYear + 4;
constexpr int Second = BuildYear + 5;
constexpr int Year = BuildYear;
constexpr int Protocol = ProtocolVersion;
} // namespace Block

enum Line
{
    Type,
    Hardware,
    Software,
    BuildDate,
    Order,
    Destroyed,
    Speeds,
    Address,
    Protocol
};

QString TwoDigitsOrStars(int value, int low, int high)
{
    return (value >= low && value <= high) ? QStringLiteral("%1").arg(value, 2, 10, QChar('0'))
                                           : QStringLiteral("**");
}

QString BuildDateText(const quint8 *b)
{
    return QStringLiteral("%1.%2.%3  %4:%5:%6")
        .arg(TwoDigitsOrStars(b[Block::Day], 1, 31), TwoDigitsOrStars(b[Block::Month], 1, 12),
             TwoDigitsOrStars(b[Block::Year], 0, 99), TwoDigitsOrStars(b[Block::Hour], 0, 23),
             TwoDigitsOrStars(b[Block::Minute], 0, 59), TwoDigitsOrStars(b[Block::Second], 0, 59));
}

QString FullSoftwareText(int version)
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

QString ReducedSoftwareText(int version)
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

QString ByteOrderText(int order)
{
    switch (order) {
    case 0:
        return QStringLiteral("Мл. адрес - ст. байт");
    case 1:
        return QStringLiteral("Мл. адрес - мл. байт");
    default:
        return QStringLiteral(" ? ");
    }
}

} // namespace

const std::array<QStringList, IdentLineCount> &IdentLabels()
{
    static const std::array<QStringList, IdentLineCount> labels = {
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

std::array<IdentLine, IdentLineCount> DecodeIdentification(const quint8 *b, bool fromDevice)
{
    std::array<IdentLine, IdentLineCount> lines;
    for (int i = 0; i < IdentLineCount; ++i)
        lines[size_t(i)].label = IdentLabels()[size_t(i)].join(QLatin1Char(' '));
    lines[Type].value = QString::number(b[Block::TypeCode]);
    if (!fromDevice) {
        lines[Software].value = ReducedSoftwareText(b[Block::SoftwareVersion]);
        for (int i = 0; i < IdentLineCount; ++i)
            lines[size_t(i)].enabled = (i == Type || i == Software);
        return lines;
    }
    lines[Hardware].value = QString::number(b[Block::HardwareVersion]);
    lines[Software].value = FullSoftwareText(b[Block::SoftwareVersion]);
    lines[BuildDate].value = BuildDateText(b);
    lines[Order].value = ByteOrderText(b[Block::ByteOrder]);
    const int destroyed = b[Block::DestroyedTable];
    lines[Destroyed].value = destroyed == 0 ? QStringLiteral("Разрушенных таблиц нет")
                                            : QStringLiteral("Разрушена таблица %1").arg(destroyed);
    lines[Destroyed].alarm = destroyed != 0;
    lines[Speeds].value =
        b[Block::MultiSpeed] == 0 ? QStringLiteral("Нет") : QStringLiteral("Есть");
    const int address = b[Block::FixedAddress];
    lines[Address].value =
        address == 0 ? QStringLiteral("Есть") : QStringLiteral("Нет. Адрес = %1").arg(address);
    lines[Protocol].value = QStringLiteral("%1.%2.%3")
                                .arg(b[Block::Protocol])
                                .arg(b[Block::Protocol + 1])
                                .arg(b[Block::Protocol + 2]);
    return lines;
}

} // namespace ktv31
