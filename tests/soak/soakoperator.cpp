// The soak's operator: counts messages, answers "no", reports the engine's activity.
#include "soakoperator.h"

#include "config/tabletransfer.h"

namespace ktv31::soak {

bool SoakOperator::ShowMessageBox(MessageBoxKind kind, const QString &line1, const QString &line2)
{
    ++messages_;
    lastMessage_ = QStringLiteral("kind %1: %2 %3").arg(int(kind)).arg(line1, line2);
    return false;
}

void SoakOperator::SetStatusText(int panel, const QString &text)
{
    if (panel != Panel::Exchange)
        return;
    if (text.isEmpty())
        observer_.exchangeFinished();
    else
        observer_.exchangeStarted();
}

} // namespace ktv31::soak
