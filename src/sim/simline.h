// The simulator's end of the serial line: reading, paced delivery and paced transmission.
#pragma once

#include "sim/simdevice.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QTimer>

#include <memory>

class QSocketNotifier;

namespace ktv31::sim {

class LinePeer;
class FrameLog;

// Lives on the simulator's thread. With pacing on, the program's bytes reach the peer only
// after their wire time and the peer's bytes leave one by one at 10 bits a byte, both at the
// speed set on the line; without it everything passes at once.
class SimLine : public QObject
{
    Q_OBJECT
public:
    explicit SimLine(FrameLog &log, QObject *parent = nullptr);
    ~SimLine() override;

    // `devicePath` empty: a new pseudo-terminal; otherwise that serial port at `speed`.
    bool open(const QString &devicePath, int speed, QString *error);
    void close();
    QString devicePath() const { return handle_.path; }
    bool isOpen() const { return handle_.isOpen(); }

    void setPeer(LinePeer *peer);
    void setPacing(bool on) { pacing_ = on; }
    // The speed of a real port follows the controller's; a pseudo-terminal's is the program's.
    void followSpeed(int speed);

    // Takes in at once whatever the program has written so far (unpaced bytes reach the peer).
    void drainInput() { onReadable(); }

    void send(const QByteArray &bytes);
    // Drops the line once the bytes already handed over are out, then opens a new one.
    void dropLine();

signals:
    // A new line replaced a dropped one; the program must open the new path.
    void deviceChanged(const QString &path);
    void failed(const QString &reason);

private:
    struct Chunk
    {
        QByteArray bytes;
        qint64 dueNs;
        int speed;
    };

    void onReadable();
    void onWritable();
    void deliverDue();
    void flushDue();
    void armTimer(QTimer &timer, qint64 dueNs);
    void reopen();
    void attachNotifiers();
    void releaseNotifiers();
    int lineSpeed() const;
    static qint64 wireNs(qint64 bytes, int speed);

    FrameLog &log_;
    LineHandle handle_;
    int ownSpeed_ = 1200;
    std::unique_ptr<QSocketNotifier> readNotifier_;
    std::unique_ptr<QSocketNotifier> writeNotifier_;
    LinePeer *peer_ = nullptr;
    bool pacing_ = false;

    QList<Chunk> incoming_;
    qint64 rxWireFreeNs_ = 0;
    QTimer rxTimer_;

    QByteArray outgoing_;       // not yet written
    QList<qint64> outgoingDue_; // when each of them has crossed the wire
    qint64 txWireFreeNs_ = 0;
    QTimer txTimer_;
    bool dropWhenSent_ = false;
};

} // namespace ktv31::sim
