// Comparing two configuration records part by part, so that no differing byte goes unreported.
#include "cli/configdiff.h"

#include "cli/configview.h"

#include <QStringList>

#include <algorithm>
#include <vector>

namespace ktv31::cli {
namespace {

constexpr int kRtsOffset = LinkFieldOffset::RtsControl;

// The bytes of the identification block behind each line of the identification view.
struct IdentBytes
{
    int line;
    int first;
    int count;
};
constexpr IdentBytes kIdentBytes[] = {
    {0, 1, 1}, {1, 2, 1},  {2, 3, 1},  {3, 4, 6},  {4, 10, 1},
    {5, 0, 1}, {6, 11, 1}, {7, 13, 1}, {8, 14, 3},
};
constexpr int kUnshownIdentByte = 12;

// Byte ranges of the record that no field stands for.
struct Span
{
    int first;
    int count;
};
constexpr Span kReserved[] = {{18, 20}, {46, 17}, {828, 255}, {1147, 100}};

QString HexOf(const ConfigRecord &r, int offset, int count)
{
    return QString::fromLatin1(r.slice(offset, count).toHex(' ').toUpper());
}

// Two different stored values may read alike ("**", "Есть"); then the bytes tell them apart.
void Add(QList<Difference> &out, const QString &section, const QString &label, QString a, QString b,
         const QString &rawA, const QString &rawB)
{
    if (a == b) {
        a += QStringLiteral(" [%1]").arg(rawA);
        b += QStringLiteral(" [%1]").arg(rawB);
    }
    out.append({section, label, a, b});
}

QString IdentificationLabel(int line)
{
    return IdentLabels()[size_t(line)].join(QLatin1Char(' '));
}

// As the record's own view shows it; a line the reduced view leaves empty is decoded in full.
QString IdentificationValue(const ConfigRecord &r, int line)
{
    const quint8 *block = r.data() + RecordOffset::Identification;
    const QString own =
        DecodeIdentification(block, r.u8(RecordOffset::Marker) != 0)[size_t(line)].value;
    return own.isEmpty() ? DecodeIdentification(block, true)[size_t(line)].value : own;
}

void DiffIdentification(const ConfigRecord &a, const ConfigRecord &b, QList<Difference> &out)
{
    const QString section = IdentificationCaption();
    if (a.u8(RecordOffset::Marker) != b.u8(RecordOffset::Marker))
        out.append({section, QStringLiteral("признак (1 = прочитано из контроллера)"),
                    QString::number(a.u8(RecordOffset::Marker)),
                    QString::number(b.u8(RecordOffset::Marker))});
    for (const IdentBytes &bytes : kIdentBytes) {
        const int offset = RecordOffset::Identification + bytes.first;
        if (a.slice(offset, bytes.count) == b.slice(offset, bytes.count))
            continue;
        Add(out, section, IdentificationLabel(bytes.line), IdentificationValue(a, bytes.line),
            IdentificationValue(b, bytes.line), HexOf(a, offset, bytes.count),
            HexOf(b, offset, bytes.count));
    }
    const int unshown = RecordOffset::Identification + kUnshownIdentByte;
    if (a.u8(unshown) != b.u8(unshown))
        out.append({section, QStringLiteral("байт идентификации %1").arg(kUnshownIdentByte),
                    QString::number(a.u8(unshown)), QString::number(b.u8(unshown))});
}

bool RtsMeaningful(const ConfigRecord &r)
{
    return HasRtsField(r.u8(RecordOffset::SoftwareVersion));
}

void DiffLinkParameters(const ConfigRecord &a, const ConfigRecord &b, QList<Difference> &out)
{
    const bool rts = RtsMeaningful(a) || RtsMeaningful(b);
    for (const LinkParameterField &field : LinkParameterFields()) {
        if ((field.offset == kRtsOffset && !rts) || a.u8(field.offset) == b.u8(field.offset))
            continue;
        Add(out, LinkParametersCaption(), PlainLabel(field),
            LinkParameterText(field.offset, a.u8(field.offset)),
            LinkParameterText(field.offset, b.u8(field.offset)), HexOf(a, field.offset, 1),
            HexOf(b, field.offset, 1));
    }
}

// Control characters (the CR that ends a stored string) made visible.
QString Quoted(const QString &text)
{
    return QLatin1Char('"') + VisibleText(text) + QLatin1Char('"');
}

void DiffModemString(const ConfigRecord &a, const ConfigRecord &b, QList<Difference> &out)
{
    const int at = RecordOffset::ModemString;
    if (a.slice(at, ModemStringSize) == b.slice(at, ModemStringSize))
        return;
    Add(out, ModemStringCaption(), ModemStringCaption(), Quoted(RawModemString(a)),
        Quoted(RawModemString(b)), HexOf(a, at, ModemStringSize), HexOf(b, at, ModemStringSize));
}

void DiffCalculators(const ConfigRecord &a, const ConfigRecord &b, QList<Difference> &out)
{
    const ConfigView va = DescribeRecord(a);
    const ConfigView vb = DescribeRecord(b);
    for (int address = 0; address < CalculatorCount; ++address) {
        const int at = LinkEntry::OffsetOf(address);
        if (a.slice(at, LinkEntrySize) == b.slice(at, LinkEntrySize))
            continue;
        Add(out, CalculatorsCaption(), QStringLiteral("Адрес %1").arg(address),
            va.calculators[address].text(), vb.calculators[address].text(),
            HexOf(a, at, LinkEntrySize), HexOf(b, at, LinkEntrySize));
    }
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

void DiffReserved(const ConfigRecord &a, const ConfigRecord &b, QList<Difference> &out)
{
    std::vector<int> offsets;
    const auto collect = [&](int first, int count) {
        for (int offset = first; offset < first + count; ++offset)
            if (a.u8(offset) != b.u8(offset))
                offsets.push_back(offset);
    };
    for (const Span &span : kReserved)
        collect(span.first, span.count);
    if (!RtsMeaningful(a) && !RtsMeaningful(b))
        collect(kRtsOffset, 1);
    std::sort(offsets.begin(), offsets.end());
    if (offsets.empty())
        return;
    QStringList first, second;
    for (int offset : offsets) {
        first << HexOf(a, offset, 1);
        second << HexOf(b, offset, 1);
    }
    out.append({QStringLiteral("резервные байты"),
                QStringLiteral("смещения %1").arg(RangesText(offsets)),
                first.join(QLatin1Char(' ')), second.join(QLatin1Char(' '))});
}

} // namespace

QList<Difference> DiffRecords(const ConfigRecord &a, const ConfigRecord &b)
{
    QList<Difference> out;
    DiffIdentification(a, b, out);
    DiffLinkParameters(a, b, out);
    DiffModemString(a, b, out);
    DiffCalculators(a, b, out);
    DiffReserved(a, b, out);
    return out;
}

} // namespace ktv31::cli
