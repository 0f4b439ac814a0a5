// Bytes as hexadecimal pairs, written and parsed.
#include "shell/hexbytes.h"

namespace ktv31 {

QByteArray HexBytes(QByteArrayView bytes)
{
    return bytes.toByteArray().toHex(' ').toUpper();
}

QString HexText(QByteArrayView bytes)
{
    return QString::fromLatin1(HexBytes(bytes));
}
namespace {

int HexDigit(char16_t c)
{
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

bool IsBlank(char16_t c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
}

} // namespace

std::optional<QByteArray> ParseHexBytes(QStringView text)
{
    QByteArray bytes;
    bytes.reserve(text.size() / 2);
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (IsBlank(c))
            continue;
        const int high = HexDigit(c);
        const int low = i + 1 < text.size() ? HexDigit(text[i + 1].unicode()) : -1;
        if (high < 0 || low < 0)
            return std::nullopt;
        bytes.append(char(high * 16 + low));
        ++i;
    }
    return bytes;
}

} // namespace ktv31
