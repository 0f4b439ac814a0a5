// The program's end of a simulator line, driven byte by byte for frame-level tests.
#pragma once

#include <QByteArray>
#include <QString>

namespace ktv31::test {

// Opens the device raw at a speed, like the program's port would, without any engine logic.
class SimProgramSide
{
public:
    SimProgramSide(const QString &devicePath, int speed);
    ~SimProgramSide();
    SimProgramSide(const SimProgramSide &) = delete;
    SimProgramSide &operator=(const SimProgramSide &) = delete;

    bool isOpen() const { return fd_ >= 0; }
    bool setSpeed(int speed);
    bool write(const QByteArray &bytes);

    // Everything received up to the end of the first answer frame (stray bytes before its start
    // symbol included); what came so far when no whole frame arrives within `timeoutMs`.
    QByteArray readAnswer(int timeoutMs = 2000);
    // Bytes received until they contain `pattern` or `timeoutMs` passed.
    QByteArray readUntil(const QByteArray &pattern, int timeoutMs = 2000);
    // Everything that arrives within `ms` (for checks that nothing comes).
    QByteArray readFor(int ms);
    // True when the far side hung up.
    bool hungUp() const { return hungUp_; }

    // A function 29 request frame for the controller at `address`.
    static QByteArray TableFrame(const QByteArray &requestData, quint8 address = 0);

private:
    bool readSome(int waitMs);

    int fd_ = -1;
    QByteArray received_;
    bool hungUp_ = false;
};

} // namespace ktv31::test
