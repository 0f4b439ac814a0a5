// A pseudo-terminal pair for tests: the program opens the slave, the test plays the far side.
#pragma once

#include "link/serialport.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace ktv31::test {

// Both sides are raw. The pair keeps a descriptor of its own on the slave so that the master
// keeps working while the program closes and reopens the slave.
class PtyPair
{
public:
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair &) = delete;
    PtyPair &operator=(const PtyPair &) = delete;

    bool isOpen() const { return master_ >= 0; }
    QString slavePath() const { return slavePath_; }
    int masterFd() const { return master_; }
    int slaveFd() const { return slave_; }

    // The speed the program set on the slave, in bit/s; -1 when unknown.
    int masterLineSpeed() const;
    // The slave's termios c_cflag as seen through the master; 0 when unknown.
    unsigned masterLineFlags() const;

    bool writeMaster(const QByteArray &bytes, int timeoutMs = 1000);
    // Collects what the program sends until `count` bytes have come or `timeoutMs` passed.
    QByteArray readMaster(int count, int timeoutMs = 1000);
    // Waits until bytes written on the master have reached the slave's input queue.
    bool waitSlaveReadable(int timeoutMs = 1000);

    // Fills the line towards the master to the last byte through the pair's own slave
    // descriptor, so that the program's writes cannot drain; the bytes it took.
    qint64 fillTowardsMaster();

    // The far side vanishes: the slave is hung up.
    void closeMaster();
    // Places (replacing) a symbolic link `path` to the slave; removed again with the pair.
    bool linkAs(const QString &path);

private:
    int master_ = -1;
    int slave_ = -1;
    QString slavePath_;
    QStringList links_;
};

// Opens `path` as the program opens its line (8N1, queues of 1000 bytes) at `speed`; null on
// failure.
PortPtr OpenLine(const QString &path, int speed);

} // namespace ktv31::test
