// Comparing two configuration records field by field of the record's description, then the bytes
// no field stands for, so that no differing byte goes unreported.
#include "cli/configdiff.h"

#include "config/recordfields.h"
#include "shell/hexbytes.h"

#include <QStringList>

#include <algorithm>
#include <vector>

namespace ktv31::cli {
namespace {

QString HexOf(const ConfigRecord &r, int offset, int count)
{
    return HexText(r.slice(offset, count));
}

bool SameBytes(const ConfigRecord &a, const ConfigRecord &b, int offset, int count)
{
    return a.slice(offset, count) == b.slice(offset, count);
}

QString LabelOf(const RecordField &field)
{
    return field.address < 0 ? field.label()
                             : QStringLiteral("Адрес %1: %2").arg(field.address).arg(field.label());
}

// Two different stored values may read alike ("**", "Есть"); then the bytes tell them apart.
Difference FieldDifference(const ConfigRecord &a, const ConfigRecord &b, const RecordField &field)
{
    QString first = FieldValueText(a, field);
    QString second = FieldValueText(b, field);
    if (first == second) {
        first += QStringLiteral(" [%1]").arg(HexOf(a, field.recordOffset, field.size));
        second += QStringLiteral(" [%1]").arg(HexOf(b, field.recordOffset, field.size));
    }
    return {field.section, LabelOf(field), field.name, first, second};
}

QString RangesText(const std::vector<int> &offsets)
{
    QStringList parts;
    for (size_t i = 0; i < offsets.size();) {
        size_t j = i;
        while (j + 1 < offsets.size() && offsets[j + 1] == offsets[j] + 1)
            ++j;
        parts << (i == j ? QString::number(offsets[i])
                         : QStringLiteral("%1-%2").arg(offsets[i]).arg(offsets[j]));
        i = j + 1;
    }
    return parts.join(QStringLiteral(", "));
}

Difference UnnamedDifference(const ConfigRecord &a, const ConfigRecord &b,
                             const std::vector<int> &offsets)
{
    QStringList first, second;
    for (const int offset : offsets) {
        first << HexOf(a, offset, 1);
        second << HexOf(b, offset, 1);
    }
    return {QStringLiteral("Резервные байты"),
            QStringLiteral("смещения %1").arg(RangesText(offsets)), QString(),
            first.join(QLatin1Char(' ')), second.join(QLatin1Char(' '))};
}

} // namespace

QList<Difference> DiffRecords(const ConfigRecord &a, const ConfigRecord &b)
{
    QList<Difference> out;
    std::vector<int> unnamed;
    const auto collect = [&](int first, int count) {
        for (int offset = first; offset < first + count; ++offset)
            if (a.u8(offset) != b.u8(offset))
                unnamed.push_back(offset);
    };
    for (const RecordField &field : RecordFields()) {
        if (SameBytes(a, b, field.recordOffset, field.size))
            continue;
        // A field neither record has (the RTS byte of a short table 3) is a byte like any other.
        if (!FieldPresent(a, field) && !FieldPresent(b, field))
            collect(field.recordOffset, field.size);
        else
            out.append(FieldDifference(a, b, field));
    }
    for (const RecordSpan &span : UnnamedSpans())
        collect(span.offset, span.size);
    std::sort(unnamed.begin(), unnamed.end());
    if (!unnamed.empty())
        out.append(UnnamedDifference(a, b, unnamed));
    return out;
}

} // namespace ktv31::cli
