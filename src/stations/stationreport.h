// What the visit of one station came to, as a round reports it and acts on it.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace ktv31 {

// How a visit ended, as far as the round is concerned.
enum class VisitEnd
{
    Finished,    // the station's outcome is known, done or not
    CallAgain,   // busy, no answer: worth another call later
    LineFault,   // the line (port, modem) failed, not the station
    Interrupted, // the round is ending
};

struct StationReport
{
    QString name;
    bool ok = false;
    QString outcome; // the program's own text: "Выполнено", the dial result, ...
    int version = 0; // the software version identified; 0: not identified
    QList<int> destroyed;
    QString file;        // the configuration kept by this visit; empty: nothing new kept
    QStringList changed; // fields changed since the configuration kept before
    VisitEnd end = VisitEnd::Finished;
    int port = 0; // the line the station was served on
    int calls = 0;
    int visitMs = 0; // how long the visit took on its line, from the call to the hang-up
};

} // namespace ktv31
