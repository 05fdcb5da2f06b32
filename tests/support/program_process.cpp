#include "program_process.h"

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QtTest>
#include <unistd.h>

void start_on_bench(QProcess &process, const QString &executable, const QString &port, const QString &folder,
                    const QList<QPair<QString, QString>> &extra)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("LUMATREX_EXTRA_PORTS"), port);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    for (const QPair<QString, QString> &e : extra)
        env.insert(e.first, e.second);
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(folder);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(executable, QStringList());
}

bool wait_port_open(QProcess &process, QByteArray *log, int timeout_ms)
{
    return QTest::qWaitFor(
        [&] {
            *log += process.readAll();
            return log->contains("serial port is opened SUCCESSFULLY");
        },
        timeout_ms);
}

double process_cpu_seconds(qint64 pid)
{
    QFile f(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray stat = f.readAll();
    // The fields after the command name, which may hold blanks itself.
    const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return -1;
    return (fields[11].toDouble() + fields[12].toDouble()) / double(sysconf(_SC_CLK_TCK));
}

qint64 process_resident_bytes(qint64 pid)
{
    QFile f(QStringLiteral("/proc/%1/status").arg(pid));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong() * 1024;
    }
    return -1;
}
