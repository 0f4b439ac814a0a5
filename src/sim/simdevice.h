// The platform end of the simulator's line: a pseudo-terminal master or a real serial device.
#pragma once

#include <QByteArray>
#include <QString>

namespace ktv31::sim {

struct LineHandle
{
    int fd = -1;        // what the simulator reads and writes
    int heldSlave = -1; // a pseudo-terminal's program side, kept open by the simulator
    QString path;       // what the program opens
    bool isPty = false;
    bool isOpen() const { return fd >= 0; }
};

// A new pseudo-terminal pair in raw mode. The simulator keeps the program's side open itself,
// so that the program may close and reopen it without the master seeing a hang-up.
bool OpenPtyLine(LineHandle &line, QString *error);
// A real serial port, raw, 8 data bits, no parity, one stop bit, at `speed`.
bool OpenSerialLine(const QString &path, int speed, LineHandle &line, QString *error);
void CloseLine(LineHandle &line);

// Bytes read without waiting; empty when nothing has arrived. `failed` on a hang-up or error.
QByteArray ReadLineBytes(const LineHandle &line, bool &failed);
// Writes what it can without waiting; the number of bytes taken, -1 on an error.
qint64 WriteLineBytes(const LineHandle &line, const QByteArray &bytes);

// The speed set on the line in bit/s (for a pseudo-terminal, the speed the program set on its
// side); 0 when it cannot be read.
int LineSpeedOf(int fd);
bool SetLineSpeedOf(int fd, int speed);

} // namespace ktv31::sim
