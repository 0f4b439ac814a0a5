// Windows-1251 encoding and decoding by table, independent of the platform's codec support.
#include "shell/cp1251.h"

#include <QHash>

#include <cstring>

namespace ktv31 {
namespace {

// Unicode code points of the bytes 0x80..0xBF; 0xC0..0xFF are U+0410..U+044F in order.
constexpr char16_t kHighHalf[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021, 0x20AC, 0x2030, 0x0409,
    0x2039, 0x040A, 0x040C, 0x040B, 0x040F, 0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0xFFFD, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F, 0x00A0,
    0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7, 0x0401, 0x00A9, 0x0404, 0x00AB,
    0x00AC, 0x00AD, 0x00AE, 0x0407, 0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6,
    0x00B7, 0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457};

char16_t decodeByte(quint8 b)
{
    if (b < 0x80)
        return b;
    if (b >= 0xC0)
        return char16_t(0x0410 + (b - 0xC0));
    return kHighHalf[b - 0x80];
}

const QHash<char16_t, quint8> &encodeTable()
{
    static const QHash<char16_t, quint8> table = [] {
        QHash<char16_t, quint8> t;
        for (int b = 0x80; b <= 0xFF; ++b)
            if (decodeByte(quint8(b)) != 0xFFFD)
                t.insert(decodeByte(quint8(b)), quint8(b));
        return t;
    }();
    return table;
}

} // namespace

QByteArray toCp1251(const QString &text)
{
    QByteArray out;
    out.reserve(text.size());
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u < 0x80)
            out.append(char(u));
        else
            out.append(char(encodeTable().value(u, quint8('?'))));
    }
    return out;
}

QString fromCp1251(const QByteArray &bytes)
{
    QString out;
    out.reserve(bytes.size());
    for (char b : bytes)
        out.append(QChar(decodeByte(quint8(b))));
    return out;
}

QString fieldText(const quint8 *field, int size)
{
    int n = 0;
    while (n < size && field[n] != 0)
        ++n;
    return fromCp1251(QByteArray(reinterpret_cast<const char *>(field), n));
}

void setFieldText(quint8 *field, int size, const QString &text)
{
    if (size <= 0)
        return;
    const QByteArray bytes = toCp1251(text).left(size - 1);
    std::memset(field, 0, size_t(size));
    std::memcpy(field, bytes.constData(), size_t(bytes.size()));
}

QString EscapedLineText(const QByteArray &bytes)
{
    QString out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        const quint8 b = quint8(c);
        if (b == '\r')
            out += QLatin1String("\\r");
        else if (b == '\n')
            out += QLatin1String("\\n");
        else if (b == '\\')
            out += QLatin1String("\\\\");
        else if (b < 0x20 || b == 0x7F || decodeByte(b) == 0xFFFD)
            out += QStringLiteral("\\x%1").arg(uint(b), 2, 16, QLatin1Char('0'));
        else
            out += QChar(decodeByte(b));
    }
    return out;
}

QByteArray LineBytesFromEscaped(QStringView text, bool *ok)
{
    const auto hexDigit = [](QChar c) {
        const char16_t u = c.unicode();
        return u >= u'0' && u <= u'9'   ? int(u - u'0')
               : u >= u'a' && u <= u'f' ? int(u - u'a' + 10)
               : u >= u'A' && u <= u'F' ? int(u - u'A' + 10)
                                        : -1;
    };
    QByteArray out;
    out.reserve(text.size());
    bool faithful = true;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        if (u != u'\\') {
            out += u < 0x80 ? char(u) : char(encodeTable().value(u, quint8('?')));
            continue;
        }
        const char16_t next = i + 1 < text.size() ? text[i + 1].unicode() : 0;
        if (next == u'r' || next == u'n' || next == u'\\') {
            out += next == u'r' ? '\r' : next == u'n' ? '\n' : '\\';
            ++i;
            continue;
        }
        const int high = next == u'x' && i + 3 < text.size() ? hexDigit(text[i + 2]) : -1;
        const int low = high >= 0 ? hexDigit(text[i + 3]) : -1;
        if (low >= 0) {
            out += char(high * 16 + low);
            i += 3;
            continue;
        }
        faithful = false;
        out += '\\';
    }
    if (ok)
        *ok = faithful;
    return out;
}

} // namespace ktv31
