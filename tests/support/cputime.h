// The CPU time this process has used, user and system together, for "costs no CPU" checks.
#pragma once

#include <QtGlobal>

#include <sys/resource.h>

namespace ktv31::test {

inline qint64 CpuTimeUs()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return qint64(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000000 +
           usage.ru_utime.tv_usec + usage.ru_stime.tv_usec;
}

} // namespace ktv31::test
