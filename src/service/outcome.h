// What an operation of the program came to, as the front ends act on it.
#pragma once

#include "config/writereport.h"
#include "link/modemanswers.h"

#include <QList>
#include <QString>

#include <optional>
#include <utility>

namespace ktv31 {

enum class OutcomeKind
{
    Done,
    NothingChanged,  // a changed-only write found nothing to write
    Cancelled,       // the person left a choice (a file, the review) without going on
    Interrupted,     // cut short by the program: a close, a signal (result 19, dial cancelled)
    PortUnavailable, // the port did not open
    DialFailed,      // no call was made
    NotRead,         // a transfer failed and the person gave it up
    Rejected,        // the device is not one the program serves
    ContentRefused,  // what was to be written holds a value the controller must not get
    WriteFailed,     // a write given up part-way; the tables before it stay written
    VerifyFailed,    // a table read back other than it was written
    FileProblem,     // a configuration file could not be written
    NotOnThisLink,   // the kind of link does not allow the operation (a whole-table write by modem)
};

// The kind with the text the person was told (empty when nothing was said), first line and
// second.
struct Outcome
{
    Outcome(OutcomeKind outcomeKind = OutcomeKind::Done, QString firstLine = {},
            QString secondLine = {})
        : kind(outcomeKind), text(std::move(firstLine)), detail(std::move(secondLine))
    {
    }

    OutcomeKind kind;
    QString text;
    QString detail;
    int destroyedTable = 0;         // identification: the table the controller reports destroyed
    QList<TableWriteEntry> tables;  // a write: what each planned table came to
    std::optional<DialResult> dial; // a failed dial: the modem's result

    bool ok() const { return kind == OutcomeKind::Done || kind == OutcomeKind::NothingChanged; }
};

} // namespace ktv31
