#include "app/mainwindow.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QSaveFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextCodec>
#include <QtDebug>

#include <limits>

#include "app/channel_rows.h"
#include "channel/decimal_marks.h"
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

// QSettings reads a file's bytes as Latin-1 unless it starts with a UTF-8
// byte-order mark, and writes a name it read that way back in UTF-8 without
// the mark: a name written by hand in UTF-8 came out garbled at the next
// start. Such a file is read as UTF-8 now; one that is no valid UTF-8 (an
// editor's Latin-1) is still read as Latin-1.
void read_as_utf8(QSettings &settings, const QByteArray &bytes)
{
    QTextCodec *utf8 = QTextCodec::codecForName("UTF-8");
    QTextCodec::ConverterState state;
    utf8->toUnicode(bytes.constData(), bytes.size(), &state);
    if (state.invalidChars == 0 && state.remainingChars == 0)
        settings.setIniCodec(utf8);
}

// The composed file, read back afresh (under a name QSettings has not
// cached): every key there, each with the value and text it was given.
bool reads_back(const QString &path, const QVariantMap &keys)
{
    QSettings written(path, QSettings::IniFormat);
    const QStringList found = written.allKeys();
    if (written.status() != QSettings::NoError || found.size() != keys.size())
        return false;
    for (const QString &key : found) {
        const QVariant want = keys.value(key);
        const QVariant got = written.value(key);
        if (!keys.contains(key) || want != got || want.toString() != got.toString())
            return false;
    }
    return true;
}

} // namespace

bool MainWindow::write_whole(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush() && file.commit();
}

void MainWindow::read_settings()
{
    settings = new QSettings(QLatin1String(settings_file), QSettings::IniFormat);
    // A file that is there but cannot be opened holds the operator's values
    // all the same: nothing is taken from it, and the close must not replace it.
    const QFileInfo info(settings->fileName());
    QFile file(info.filePath());
    if (info.isFile() && !file.open(QIODevice::ReadOnly)) {
        settings_unreadable = true;
        qDebug("settings file could not be read");
        return;
    }
    read_as_utf8(*settings, file.isOpen() ? file.readAll() : QByteArray());
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

QByteArray MainWindow::composed_settings(const QString &folder, const QByteArray &before) const
{
    QTemporaryDir drafts(QDir(folder).filePath(QStringLiteral(".settings.ini-XXXXXX")));
    const QString draft = drafts.filePath(QLatin1String(settings_file));
    const QString composed = drafts.filePath(QStringLiteral("composed.ini"));
    if (!drafts.isValid() || (!before.isEmpty() && !write_whole(draft, before)))
        return QByteArray();
    QVariantMap keys;
    {
        QSettings composer(draft, QSettings::IniFormat);
        read_as_utf8(composer, before);
        composer.allKeys(); // every line parsed in that codec
        // Written back in QSettings' escapes, plain ASCII: every version of
        // the program reads a name the same, and no character is cut in two.
        composer.setIniCodec(static_cast<QTextCodec *>(nullptr));
        write_keys(composer);
        composer.sync();
        for (const QString &key : composer.allKeys())
            keys.insert(key, composer.value(key));
    }
    if (!QFile::rename(draft, composed) || !reads_back(composed, keys))
        return QByteArray();
    return file_bytes(composed);
}

void MainWindow::write_settings()
{
    const QString path = settings->fileName();
    if (settings_unreadable) {
        qDebug("settings file could not be read at start: left as it is");
        return;
    }
    // QSettings replaces its file even when the new one was not written
    // whole (its last buffered write fails unseen on a full disk, behind a
    // lock file that took the last block) and then reports no error. So the
    // new file is composed in a folder of its own, from the file as it is
    // now (its keys, their order, every line it can parse), and only that
    // file, read back whole, replaces this one. The folder is made in
    // $TMPDIR or, where that cannot be used (missing, read-only, full),
    // beside the file, whose folder the close must be able to write anyway.
    // The toolkit reads a $TMPDIR that does not exist as an empty path.
    const QByteArray before = file_bytes(path);
    QByteArray composed;
    for (const QString &folder : {QDir::tempPath(), QFileInfo(path).absolutePath()})
        if (composed.isEmpty() && !folder.isEmpty())
            composed = composed_settings(folder, before);
    if (composed.isEmpty() || !write_whole(path, composed))
        qDebug("settings file could not be written");
}

void MainWindow::write_keys(QSettings &to) const
{
    const bool mini_usb = ui->mini_usb_mode_checkbox->isChecked();
    to.setValue(QStringLiteral("serial/portname"), portname);
    to.setValue(QStringLiteral("serial/portspeed"), portspeed);
    to.setValue(QStringLiteral("serial/connection_mode"), auto_connection);
    for (int i = 0; i < channel_total; ++i) {
        // In mini-USB mode the boxes show the mode's narrowing, not the
        // operator's choice; the choice is what the next run must restore.
        const bool enabled = mini_usb ? saved_channel_enabled[i] : (ui->*channel_rows[i].enabled)->isChecked();
        to.setValue(enabled_key(i), enabled);
    }
    for (int i = 0; i < channel_total; ++i)
        to.setValue(name_key(i), (ui->*channel_rows[i].name)->text());
    for (int i = 0; i < channel_total; ++i) {
        // A CAN ID typed for a channel whose output is on was never applied
        // ("Main" refuses it): the next run must poll the board that is on.
        // Nor is one with a decimal mark, which names no board.
        QString address = (ui->*channel_rows[i].address)->text();
        if ((address.toInt(nullptr, 10) != lasers[i]->can_address && channel_output_on(i)) ||
            holds_decimal_mark(address, can_id_validator->locale()))
            address = QString::number(lasers[i]->can_address);
        to.setValue(address_key(i), address);
    }
    to.setValue(QStringLiteral("device_conf/mini_usb"), mini_usb);
    to.setValue(QStringLiteral("settings/available"), 1);
}
