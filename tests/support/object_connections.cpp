#include "object_connections.h"

#include <QObject>
#include <QStringList>

namespace {

QStringList dumped;

void collect(QtMsgType, const QMessageLogContext &, const QString &msg)
{
    dumped << msg.trimmed();
}

} // namespace

QMultiMap<QString, QString> outgoing_connections(const QObject *sender)
{
    dumped.clear();
    const QtMessageHandler previous = qInstallMessageHandler(collect);
    sender->dumpObjectInfo();
    qInstallMessageHandler(previous);

    QMultiMap<QString, QString> out;
    QString signal;
    for (const QString &line : qAsConst(dumped)) {
        if (line == QLatin1String("SIGNALS IN"))
            break;
        if (line.startsWith(QLatin1String("signal: ")))
            signal = line.mid(8);
        else if (line.startsWith(QLatin1String("--> ")))
            out.insert(signal, line.mid(4));
        else if (line == QLatin1String("<functor or function pointer>"))
            out.insert(signal, line);
    }
    return out;
}
