#include "log_capture.h"

#include <QMutex>
#include <QMutexLocker>
#include <QtGlobal>

namespace {

QMutex capture_mutex;
QStringList captured;
QtMessageHandler previous = nullptr;

void capture_handler(QtMsgType type, const QMessageLogContext &context, const QString &msg)
{
    QtMessageHandler next = nullptr;
    {
        QMutexLocker lock(&capture_mutex);
        captured << msg;
        next = previous;
    }
    if (next)
        next(type, context, msg);
}

} // namespace

log_capture::log_capture()
{
    QMutexLocker lock(&capture_mutex);
    captured.clear();
    previous = qInstallMessageHandler(capture_handler);
}

log_capture::~log_capture()
{
    qInstallMessageHandler(previous);
    QMutexLocker lock(&capture_mutex);
    previous = nullptr;
}

QStringList log_capture::messages() const
{
    QMutexLocker lock(&capture_mutex);
    return captured;
}

int log_capture::count(const QString &text) const
{
    QMutexLocker lock(&capture_mutex);
    return captured.count(text);
}

void log_capture::clear()
{
    QMutexLocker lock(&capture_mutex);
    captured.clear();
}
