// Bytes written as hexadecimal pairs, as the exchange log and the tool show frames.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <optional>

namespace ktv31 {

// "CC 00 0C": upper-case pairs, one blank between them.
QByteArray HexBytes(QByteArrayView bytes);
QString HexText(QByteArrayView bytes);

// Pairs of hexadecimal digits, either case, with any white space between the pairs but none
// inside one ("CC 00 0C", "cc000c"). Nothing for anything else, an odd digit included; an empty
// or blank text gives no bytes.
std::optional<QByteArray> ParseHexBytes(QStringView text);

} // namespace ktv31
