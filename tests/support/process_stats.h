#pragma once

#include <QtGlobal>

// What the system accounts to another process, from /proc: its CPU time
// (user and system, seconds) and its resident memory (bytes); -1 when the
// process cannot be read.
double process_cpu_seconds(qint64 pid);
qint64 process_resident_bytes(qint64 pid);
