// The message-kind table: caption, third line and buttons of each kind.
#include "shell/messagebox.h"

namespace ktv31 {
namespace {

struct KindDress
{
    const char *caption;
    const char *thirdLine;
    MessageButtons buttons;
};

const std::array<KindDress, 9> kKinds{{
    {"Ошибка", "", MessageButtons::Close},
    {"Ошибка ввода параметров", "", MessageButtons::Close},
    {"", "", MessageButtons::YesNo},
    {"Сообщение", "(см. текущее состояние контроллера)", MessageButtons::Close},
    {"Результат обмена с устройством", "", MessageButtons::Close},
    {"", "", MessageButtons::Close},
    {"", "Повторить попытку?", MessageButtons::YesNo},
    {"Результат обмена с устройством", "", MessageButtons::Close},
    {"", "Выполнить корректировку сейчас?", MessageButtons::YesNo},
}};

bool KnownKind(MessageBoxKind kind)
{
    return int(kind) >= 1 && int(kind) <= int(kKinds.size());
}

} // namespace

MessageBoxLayout DressMessageBox(MessageBoxKind kind, const QString &line1, const QString &line2,
                                 const QString &resultText)
{
    MessageBoxLayout layout;
    if (!KnownKind(kind)) {
        layout.lines = {QStringLiteral("Нет связи с устройством."),
                        QStringLiteral("Попробуйте установить параметры связи"), QString()};
        return layout;
    }
    const KindDress &dress = kKinds[size_t(int(kind) - 1)];
    layout.caption = QString::fromUtf8(dress.caption);
    layout.buttons = dress.buttons;
    if (kind == MessageBoxKind::ResultTextNotice)
        layout.lines = {resultText, line1, line2};
    else
        layout.lines = {line1, line2, QString::fromUtf8(dress.thirdLine)};
    return layout;
}

bool IsQuestion(MessageBoxKind kind)
{
    return KnownKind(kind) && kKinds[size_t(int(kind) - 1)].buttons == MessageButtons::YesNo;
}

} // namespace ktv31
