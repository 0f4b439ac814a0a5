// The nine lines of the identification view, decoded from a 17-byte identification block.
#pragma once

#include "config/identtexts.h"

#include <QString>
#include <QStringList>

#include <array>

namespace ktv31 {

constexpr int IdentLineCount = IdentItemCount;

struct IdentLine
{
    QString label; // the label as shown, its parts joined by one blank
    QString value; // empty for the lines a reduced view leaves out
    bool enabled = true;
    bool alarm = false; // shown in red: a destroyed table
};

// Full view for a block read from a controller; reduced view (type and generation only) for a
// configuration file without an identification block.
std::array<IdentLine, IdentLineCount> DecodeIdentification(const quint8 *block, bool fromDevice);

// The label parts of each line, as they stand one above the other in the window.
const std::array<QStringList, IdentLineCount> &IdentLabels();

} // namespace ktv31
