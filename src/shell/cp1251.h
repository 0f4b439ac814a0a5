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

} // namespace ktv31
