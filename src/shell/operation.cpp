// The program-wide count of running operations and its change signal.
#include "shell/operation.h"

namespace ktv31 {

OperationState &OperationState::instance()
{
    static OperationState state;
    return state;
}

void OperationState::enter()
{
    if (depth_++ == 0)
        emit runningChanged(true);
}

void OperationState::leave()
{
    if (--depth_ == 0)
        emit runningChanged(false);
}

} // namespace ktv31
