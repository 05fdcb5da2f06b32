#pragma once

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

// Writes "settings.ini" in the working directory for a run against the
// bench: the listed channels (number 1..10, CAN address) enabled, every
// other channel at an address no board has (200 + index), the port to
// select, auto-connection and mini-USB mode as given.
void write_bench_settings(const QList<QPair<int, int>> &channels, const QString &port, bool auto_connection,
                          bool mini_usb = false);
// Names the channels 1..names.size() in the "settings.ini" of the working
// directory, as the Settings page would.
void write_bench_names(const QStringList &names);
