#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QtGlobal>

class QProcess;

// The program (or a test executable standing in for it) as a process of its
// own against the simulated bench, and what the system accounts to it.

// Starts `executable` in `folder`, where its settings.ini is, with the
// bench's device path offered as an extra serial port and its windows
// offscreen; `extra` adds environment variables. Output and errors merged.
void start_on_bench(QProcess &process, const QString &executable, const QString &port, const QString &folder,
                    const QList<QPair<QString, QString>> &extra = {});
// Waits, reading the output, until the program reports its port open.
bool wait_port_open(QProcess &process, QByteArray *log, int timeout_ms = 30000);

// From /proc: CPU time (user and system, seconds) and resident memory
// (bytes); -1 when the process cannot be read.
double process_cpu_seconds(qint64 pid);
qint64 process_resident_bytes(qint64 pid);
