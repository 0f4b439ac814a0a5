// The one conversion between in-memory text and the single-byte Windows-1251 text of files and
// devices.
#pragma once

#include <QByteArray>
#include <QString>

namespace ktv31 {

// Characters without a Windows-1251 code become '?'.
QByteArray toCp1251(const QString &text);
QString fromCp1251(const QByteArray &bytes);

// A zero-terminated text held in a fixed field of `size` bytes: reading stops at the first zero
// (or at the end of the field); writing keeps at most size - 1 bytes so that the terminator always
// fits, and zero-fills the rest of the field.
QString fieldText(const quint8 *field, int size);
void setFieldText(quint8 *field, int size, const QString &text);

// Bytes of a line (a modem command or answer, a modem string) as one readable line: CR, LF and
// the backslash as \r, \n and \\, other control bytes and the one byte Windows-1251 leaves
// undefined as \xNN, everything else as its character.
QString EscapedLineText(const QByteArray &bytes);
// The bytes back from such a text; false in `ok` (when given) for an escape it cannot have made.
QByteArray LineBytesFromEscaped(QStringView text, bool *ok = nullptr);

} // namespace ktv31
