#include "bench_settings.h"

#include <QSettings>

#include "app/channel_rows.h"

void write_bench_settings(const QList<QPair<int, int>> &channels, const QString &port, bool auto_connection,
                          bool mini_usb)
{
    QSettings s(QStringLiteral("settings.ini"), QSettings::IniFormat);
    s.setValue(QStringLiteral("settings/available"), 1);
    s.setValue(QStringLiteral("serial/portname"), port);
    s.setValue(QStringLiteral("serial/portspeed"), QStringLiteral("115200"));
    s.setValue(QStringLiteral("serial/connection_mode"), auto_connection);
    for (int i = 0; i < 10; ++i) {
        s.setValue(enabled_key(i), false);
        s.setValue(address_key(i), QString::number(200 + i));
    }
    for (const QPair<int, int> &c : channels) {
        s.setValue(enabled_key(c.first - 1), true);
        s.setValue(address_key(c.first - 1), QString::number(c.second));
    }
    s.setValue(QStringLiteral("device_conf/mini_usb"), mini_usb);
}

void write_bench_names(const QStringList &names)
{
    QSettings s(QStringLiteral("settings.ini"), QSettings::IniFormat);
    for (int i = 0; i < names.size() && i < 10; ++i)
        s.setValue(name_key(i), names.at(i));
}
