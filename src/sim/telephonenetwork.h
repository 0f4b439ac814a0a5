// The simulator's telephone network: numbers and what answers them, shared by all its lines.
#pragma once

#include "sim/controllertables.h"
#include "sim/simoptions.h"

#include <QHash>
#include <QMutex>
#include <QString>

#include <optional>

namespace ktv31::sim {

enum class NumberKind
{
    Station, // a controller behind a modem answers
    Busy,
    NoAnswer,
};

struct NetworkNumber
{
    NumberKind kind = NumberKind::Station;
    SimOptions controller; // for a station: its type, version, destroyed tables, configuration
};

// Every member may be called from any line's thread. A station keeps its tables between calls
// (what one call wrote, the next one reads), and a station already in a call is busy.
class TelephoneNetwork
{
public:
    void add(const QString &number, const NetworkNumber &entry);

    struct Answer
    {
        DialOutcome outcome = DialOutcome::NoCarrier; // a number nobody has: the line is dead
        SimOptions controller;
        std::optional<ControllerTables> tables; // what the station held after its last call
    };
    // The call to `dialled` (its digits count, nothing else) as it comes through.
    Answer call(const QByteArray &dialled);
    // The call to `dialled` ended; the station keeps `tables`.
    void hangUp(const QByteArray &dialled, const ControllerTables &tables);

private:
    struct Entry
    {
        NetworkNumber number;
        std::optional<ControllerTables> tables;
        bool inCall = false;
    };
    static QString DigitsOf(QByteArrayView dialled);

    QMutex mutex_;
    QHash<QString, Entry> numbers_;
};

// Reads a network file: one number a line, "# ..." comments, as
//   5550001 station version=5 type=8 destroyed=5 config=station1.cnf
//   5550002 busy
//   5550003 no-answer
// with a configuration file's path relative to the network file. False with a reason naming the
// line.
bool ReadNetworkFile(const QString &path, TelephoneNetwork &network, QString *error);

} // namespace ktv31::sim
