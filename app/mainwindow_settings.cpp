#include "app/mainwindow.h"

#include <QCheckBox>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QSettings>
#include <QtDebug>

#include <limits>

#include "app/channel_rows.h"
#include "channel/laser_object.h"
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

// The file's bytes, empty when it is missing or cannot be read.
QByteArray file_bytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

void MainWindow::read_settings()
{
    settings = new QSettings(QLatin1String(settings_file), QSettings::IniFormat);
    // A file that is there but cannot be opened holds the operator's values
    // all the same: nothing is taken from it, and the close must not replace it.
    const QFileInfo info(settings->fileName());
    if (info.isFile() && !QFile(info.filePath()).open(QIODevice::ReadOnly)) {
        settings_unreadable = true;
        qDebug("settings file could not be read");
        return;
    }
    // A line QSettings cannot parse (a '#' comment, a line without '=', an
    // unclosed group) is a format error that costs that line alone: every key
    // it did parse is the operator's and is taken. A byte-order mark is
    // skipped by QSettings itself.
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
    if (settings_unreadable)
        return;
    if (settings->value(QStringLiteral("device_conf/mini_usb"), QVariant()).toBool())
        ui->mini_usb_mode_checkbox->click();
}

void MainWindow::write_settings()
{
    const QString path = settings->fileName();
    if (settings_unreadable) {
        qDebug("settings file could not be read at start: left as it is");
        return;
    }
    // Sections are parsed when first used: parse them all now, so that a
    // format error in one that nothing read shows before the write, not as
    // its outcome. The status keeps that first error for good and then cannot
    // tell whether the write failed; but QSettings rewrites the whole file
    // from what it parsed, which has no format error, so a file whose bytes
    // did not change was not written.
    settings->allKeys();
    const bool status_tells = settings->status() == QSettings::NoError;
    const QByteArray before = status_tells ? QByteArray() : file_bytes(path);
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
    for (int i = 0; i < channel_total; ++i) {
        // A CAN ID typed for a channel whose output is on was never applied
        // ("Main" refuses it): the next run must poll the board that is on.
        QString address = (ui->*channel_rows[i].address)->text();
        if (address.toInt(nullptr, 10) != lasers[i]->can_address && channel_output_on(i))
            address = QString::number(lasers[i]->can_address);
        settings->setValue(address_key(i), address);
    }
    settings->setValue(QStringLiteral("device_conf/mini_usb"), mini_usb);
    settings->setValue(QStringLiteral("settings/available"), 1);
    settings->sync();
    const bool written = status_tells ? settings->status() == QSettings::NoError : file_bytes(path) != before;
    if (!written)
        qDebug("settings file could not be written");
}
