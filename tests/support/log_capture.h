#pragma once

#include <QStringList>

// Collects the Qt debug log of every thread while alive (and still passes it
// on to the test's own handler).
class log_capture
{
public:
    log_capture();
    ~log_capture();
    log_capture(const log_capture &) = delete;
    log_capture &operator=(const log_capture &) = delete;

    QStringList messages() const;
    int count(const QString &text) const;
    void clear();
};
