#pragma once

#include <QCoreApplication>
#include <algorithm>
#include <vector>

#include "support/program_process.h"

// Figures the benchmarks print.

// The middle of the samples (the mean of the two middle ones for an even
// count); 0 for none.
inline double median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// This process's resident memory in KiB; -1 when it cannot be read.
inline long own_resident_kib()
{
    const qint64 bytes = process_resident_bytes(QCoreApplication::applicationPid());
    return bytes < 0 ? -1 : long(bytes / 1024);
}
