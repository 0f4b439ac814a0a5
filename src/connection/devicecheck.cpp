// Device type and software version check applied after every identification read.
#include "connection/devicecheck.h"

#include "config/configimage.h"

namespace ktv31 {

DeviceVerdict CheckDevice(const ConfigImage &image)
{
    const int type = image.u8(ImageOffset::TypeCode);
    const int version = image.SoftwareVersion();
    if (type != ServedTypeCode)
        return {false, QStringLiteral("Программа не обслуживает устройства данного типа"),
                QStringLiteral("(код типа подключенного устройства  %1)").arg(type)};
    if (version < LowestServedVersion || version > HighestServedVersion)
        return {false, QStringLiteral("Версия ПО подключенного устройства %1.").arg(version),
                QStringLiteral("Программа обслуживает контроллеры с версией ПО от 3 до 6")};
    return {true, {}, {}};
}

} // namespace ktv31
