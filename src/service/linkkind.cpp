// The link kind chosen from the settings, and its refusals.
#include "service/linkkind.h"

#include "shell/settings.h"

namespace ktv31 {

LinkKind LinkKind::Of(const ConnectionSettings &settings)
{
    return OfType(settings.LinkType());
}

LinkKind LinkKind::OfType(int linkType)
{
    return LinkKind(linkType == TelephoneLink);
}

QString LinkKind::WholeTableWritesRefused()
{
    return QStringLiteral("Запись таблиц целиком выполняется только при непосредственной связи");
}

QString LinkKind::SpeedDetectionRefused()
{
    return QStringLiteral(
        "Определение скорости обмена выполняется только при непосредственной связи");
}

} // namespace ktv31
