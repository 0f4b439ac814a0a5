// TEMPORARY STAND-IN (branch stations): replaced by the lead's recordfields.cpp on merge.
#include "config/recordfields.h"

namespace ktv31 {

QList<FieldChange> ChangedFields(const ConfigRecord &before, const ConfigRecord &after)
{
    QList<FieldChange> changes;
    for (int i = 0; i < RecordSize; ++i)
        if (before.data()[i] != after.data()[i])
            changes.append({QStringLiteral("byte.%1").arg(i), QString::number(before.data()[i]),
                            QString::number(after.data()[i])});
    return changes;
}

std::optional<QList<FieldAssignment>> ParseAssignments(const QStringList &arguments,
                                                       QString *error)
{
    QList<FieldAssignment> out;
    for (const QString &a : arguments) {
        const qsizetype eq = a.indexOf(QLatin1Char('='));
        if (eq <= 0) {
            if (error)
                *error = QStringLiteral("%1: нужно ИМЯ=ЗНАЧЕНИЕ").arg(a);
            return std::nullopt;
        }
        out.append({a.left(eq), a.mid(eq + 1)});
    }
    return out;
}

std::optional<QString> ApplyAssignments(ConfigRecord &, const QList<FieldAssignment> &changes)
{
    if (changes.isEmpty())
        return std::nullopt;
    return QStringLiteral("%1: поле неизвестно (временная заглушка)").arg(changes.first().name);
}

} // namespace ktv31
