// TEMPORARY STAND-IN (branch stations): replaced by the lead's recordfields.h when main is merged.
// Only the declarations the station rounds use; the bodies do not describe the record.
#pragma once

#include "config/configimage.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace ktv31 {

struct FieldChange
{
    QString name;
    QString before;
    QString after;
};
QList<FieldChange> ChangedFields(const ConfigRecord &before, const ConfigRecord &after);

struct FieldAssignment
{
    QString name;
    QString value;
};
std::optional<QList<FieldAssignment>> ParseAssignments(const QStringList &arguments,
                                                       QString *error);
std::optional<QString> ApplyAssignments(ConfigRecord &record,
                                        const QList<FieldAssignment> &changes);

} // namespace ktv31
