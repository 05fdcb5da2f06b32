#include "app/mainwindow.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QSettings>
#include <QtDebug>

#include <limits>

#include "app/channel_rows.h"
#include "forms/mainwindow_form.h"

namespace {

const char settings_file[] = "settings.ini";
const char default_portspeed[] = "115200";

// A baud text the link can open a port with: a whole number above 0.
bool is_positive_integer(const QString &text)
{
    bool ok = false;
    const qlonglong value = text.toLongLong(&ok, 10);
    return ok && value > 0 && value <= std::numeric_limits<int32_t>::max();
}

} // namespace

void MainWindow::read_settings()
{
    settings = new QSettings(QLatin1String(settings_file), QSettings::IniFormat);
    // Sections are parsed when first read: read them all now, so that a file
    // that cannot be read or parsed counts as no file and the form's values
    // stand, rather than half of it being taken.
    settings->allKeys();
    if (settings->status() != QSettings::NoError)
        return;
    if (settings->value(QStringLiteral("settings/available"), QVariant()) != QVariant(1))
        return;

    portname = settings->value(QStringLiteral("serial/portname"), QVariant()).toString();
    portspeed = settings->value(QStringLiteral("serial/portspeed"), QVariant()).toString();
    // Anything else leaves the hidden baud field with 0 and no connection
    // could ever be made.
    if (!is_positive_integer(portspeed))
        portspeed = QLatin1String(default_portspeed);
    auto_connection = settings->value(QStringLiteral("serial/connection_mode"), QVariant()).toBool();
    for (int i = 0; i < channel_total; ++i)
        (ui->*channel_rows[i].enabled)->setChecked(settings->value(enabled_key(i), QVariant()).toBool());
    for (int i = 0; i < channel_total; ++i)
        (ui->*channel_rows[i].name)->setText(settings->value(name_key(i), QVariant()).toString());
    for (int i = 0; i < channel_total; ++i)
        (ui->*channel_rows[i].address)->setText(settings->value(address_key(i), QVariant()).toString());
    ui->baudrate_edit_line->setText(portspeed);
}

void MainWindow::read_mini_usb_setting()
{
    if (settings->status() != QSettings::NoError)
        return;
    if (settings->value(QStringLiteral("device_conf/mini_usb"), QVariant()).toBool())
        ui->mini_usb_mode_checkbox->click();
}

void MainWindow::write_settings()
{
    // A file that could not be read keeps its object's error for good, which
    // would hide the outcome of this write: replace both, the file is
    // written whole anyway.
    if (settings->status() != QSettings::NoError) {
        const QString path = settings->fileName();
        delete settings;
        QFile::remove(path);
        settings = new QSettings(path, QSettings::IniFormat);
    }
    const bool mini_usb = ui->mini_usb_mode_checkbox->isChecked();
    settings->setValue(QStringLiteral("serial/portname"), portname);
    settings->setValue(QStringLiteral("serial/portspeed"), portspeed);
    settings->setValue(QStringLiteral("serial/connection_mode"), auto_connection);
    for (int i = 0; i < channel_total; ++i) {
        // In mini-USB mode the boxes show the mode's narrowing, not the
        // operator's choice; the choice is what the next run must restore.
        const bool enabled = mini_usb ? saved_channel_enabled[i] : (ui->*channel_rows[i].enabled)->isChecked();
        settings->setValue(enabled_key(i), enabled);
    }
    for (int i = 0; i < channel_total; ++i)
        settings->setValue(name_key(i), (ui->*channel_rows[i].name)->text());
    for (int i = 0; i < channel_total; ++i)
        settings->setValue(address_key(i), (ui->*channel_rows[i].address)->text());
    settings->setValue(QStringLiteral("device_conf/mini_usb"), mini_usb);
    settings->setValue(QStringLiteral("settings/available"), 1);
    settings->sync();
    if (settings->status() != QSettings::NoError)
        qDebug("settings file could not be written");
}
