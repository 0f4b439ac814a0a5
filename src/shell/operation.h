// "An operation is running": exchanges, dialling, hang-up and table operations, for the windows.
#pragma once

#include <QObject>

namespace ktv31 {

// One per program, on the user-interface thread. Every exchange, dial, hang-up and table
// operation holds an OperationScope while it runs; nested scopes count once. The windows disable
// the commands that would start another operation while it is set, and defer a close until it
// clears.
class OperationState : public QObject
{
    Q_OBJECT
public:
    static OperationState &instance();

    bool running() const { return depth_ > 0; }

signals:
    // Emitted when the first scope opens and when the last one closes.
    void runningChanged(bool running);

private:
    friend class OperationScope;
    OperationState() = default;
    void enter();
    void leave();

    int depth_ = 0;
};

class OperationScope
{
public:
    OperationScope() { OperationState::instance().enter(); }
    ~OperationScope() { OperationState::instance().leave(); }
    OperationScope(const OperationScope &) = delete;
    OperationScope &operator=(const OperationScope &) = delete;
};

inline bool OperationRunning()
{
    return OperationState::instance().running();
}

} // namespace ktv31
