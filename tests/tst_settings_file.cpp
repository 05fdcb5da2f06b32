// "settings.ini" in the working directory: read at start behind its gate,
// written whole at the close; bad files and failed writes never stop the
// program.

#include <QtTest>

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QSettings>

#include <memory>

#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include "app/channel_rows.h"
#include "app/mainwindow.h"
#include "app/resources.h"
#include "forms/mainwindow_form.h"
#include "support/log_capture.h"
#include "support/settings_folder.h"

namespace {

// Every key with a value other than the form's, as the close writes them.
QVariantMap all_keys()
{
    QVariantMap m;
    m["serial/portname"] = "ttyUSB3";
    m["serial/portspeed"] = "250000";
    m["serial/connection_mode"] = false;
    for (int i = 0; i < 10; ++i) {
        m[enabled_key(i)] = i % 3 == 1;
        m[name_key(i)] = QString("laser %1").arg(i + 1);
        m[address_key(i)] = QString::number(10 + 7 * i);
    }
    m["device_conf/mini_usb"] = false;
    m["settings/available"] = 1;
    return m;
}

void write_keys(const QVariantMap &keys)
{
    QSettings s(QStringLiteral("settings.ini"), QSettings::IniFormat);
    for (auto it = keys.begin(); it != keys.end(); ++it)
        s.setValue(it.key(), it.value());
}

QVariantMap read_back()
{
    QSettings s(QStringLiteral("settings.ini"), QSettings::IniFormat);
    QVariantMap m;
    for (const QString &k : s.allKeys())
        m[k] = s.value(k);
    return m;
}

bool form_values(const Ui_MainWindow *ui)
{
    for (const channel_row &row : channel_rows)
        if ((ui->*row.enabled)->isChecked() || !(ui->*row.name)->text().isEmpty() ||
            (ui->*row.address)->text() != QLatin1String("1"))
            return false;
    return ui->baudrate_edit_line->text() == QLatin1String("115200") && !ui->mini_usb_mode_checkbox->isChecked();
}

QList<int> enabled_channels(const Ui_MainWindow *ui)
{
    QList<int> on;
    for (int i = 0; i < 10; ++i)
        if ((ui->*channel_rows[i].enabled)->isChecked())
            on << i + 1;
    return on;
}

} // namespace

class tst_settings_file : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { lumatrex_init_resources(); }
    void round_trip_of_all_keys();
    void first_start_without_file();
    void gate_data();
    void gate();
    void missing_keys();
    void bad_file_data();
    void bad_file();
    void unreadable_file();
    void read_only_folder_data();
    void read_only_folder();
    void write_at_close_data();
    void write_at_close();
    void names_in_utf8_data();
    void names_in_utf8();
    void portspeed_data();
    void portspeed();
    void mini_usb_keeps_the_operators_channels();
};

void tst_settings_file::round_trip_of_all_keys()
{
    settings_folder folder;
    write_keys(all_keys());
    {
        MainWindow w;
        QCOMPARE(w.portname, QStringLiteral("ttyUSB3"));
        QCOMPARE(w.ui->baudrate_edit_line->text(), QStringLiteral("250000"));
        QCOMPARE(enabled_channels(w.ui), (QList<int>{2, 5, 8}));
        QCOMPARE(w.ui->edit_name_10->text(), QStringLiteral("laser 10"));
        QCOMPARE(w.ui->addr_7->text(), QStringLiteral("52"));
        QFile::remove(folder.file());
        w.close();
    }
    const QVariantMap back = read_back();
    QCOMPARE(back.size(), 35);
    const QVariantMap want = all_keys();
    for (auto it = want.begin(); it != want.end(); ++it)
        QCOMPARE(back.value(it.key()).toString(), it.value().toString());
}

void tst_settings_file::first_start_without_file()
{
    settings_folder folder;
    {
        MainWindow w;
        QVERIFY(form_values(w.ui));
        w.close();
    }
    const QVariantMap back = read_back();
    QCOMPARE(back.size(), 35);
    QCOMPARE(back.value("settings/available").toString(), QStringLiteral("1"));
    QCOMPARE(back.value("serial/portspeed").toString(), QStringLiteral("115200"));
    QCOMPARE(back.value("device_conf/addr_10").toString(), QStringLiteral("1"));
}

void tst_settings_file::gate_data()
{
    QTest::addColumn<QByteArray>("available");
    QTest::addColumn<bool>("opens");
    QTest::newRow("1") << QByteArray("available=1\n") << true;
    QTest::newRow("01") << QByteArray("available=01\n") << false;
    QTest::newRow("true") << QByteArray("available=true\n") << false;
    QTest::newRow("2") << QByteArray("available=2\n") << false;
    QTest::newRow("empty") << QByteArray("available=\n") << false;
    QTest::newRow("missing") << QByteArray() << false;
}

void tst_settings_file::gate()
{
    QFETCH(QByteArray, available);
    QFETCH(bool, opens);
    settings_folder folder;
    // mini_usb is read whether the gate opens or not.
    folder.write("[device_conf]\nedit_name=pump\nchannel_3_enabled=true\nmini_usb=true\n[settings]\n" + available);
    MainWindow w;
    QCOMPARE(w.ui->edit_name->text(), opens ? QStringLiteral("pump") : QString());
    QVERIFY(w.ui->mini_usb_mode_checkbox->isChecked());
    QCOMPARE(w.ui->baudrate_edit_line->text(), QStringLiteral("57600"));
    // The mode keeps the channels it found on: the file's when the gate opened.
    w.ui->mini_usb_mode_checkbox->click();
    QCOMPARE(enabled_channels(w.ui), opens ? QList<int>{3} : QList<int>{});
}

void tst_settings_file::missing_keys()
{
    settings_folder folder;
    folder.write("[device_conf]\naddr_2=17\n[serial]\nconnection_mode=true\n[settings]\navailable=1\n");
    MainWindow w;
    QCOMPARE(w.ui->addr_2->text(), QStringLiteral("17"));
    QCOMPARE(w.ui->addr->text(), QString());
    QCOMPARE(w.ui->edit_name_2->text(), QString());
    QCOMPARE(enabled_channels(w.ui), QList<int>{});
    QCOMPARE(w.portname, QString());
    // Auto-connection restored: the port list locked, the reconnect tick running.
    QVERIFY(w.auto_connection);
    QVERIFY(w.ui->connection_mode->isChecked());
    QVERIFY(!w.ui->serial_combo_box->isEnabled());
    QVERIFY(w.reconnect_timer->isActive());
    QCOMPARE(w.reconnect_timer->interval(), 300);
}

namespace {

// The operator's keys around one bad line, and one key the program does not
// own, which only a file that was never deleted still holds after the close.
QByteArray good_keys_around(const QByteArray &before, const QByteArray &inside = QByteArray(),
                            const QByteArray &serial_header = "[serial]")
{
    return before + "[device_conf]\nedit_name=pump\n" + inside + "addr_3=42\nchannel_3_enabled=true\nmini_usb=true\n"
           "notes=bench 2\n" + serial_header + "\nportname=ttyUSB7\n[settings]\navailable=1\n";
}

} // namespace

void tst_settings_file::bad_file_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("name");     // edit_name as read
    QTest::addColumn<QString>("addr_3");   // addr_3 as read
    QTest::addColumn<QString>("portname"); // serial/portname as read
    QTest::addColumn<bool>("mini_usb");
    // QSettings gives a format error for each of these lines and still parses
    // every other line: those keys are the operator's.
    QTest::newRow("# comment") << good_keys_around("", "# bench 2, do not touch\n") << "pump" << "42" << "ttyUSB7" << true;
    QTest::newRow("line without =") << good_keys_around("", "channel list\n") << "pump" << "42" << "ttyUSB7" << true;
    QTest::newRow("unclosed group") << good_keys_around("", "", "[serial") << "pump" << "42" << "ttyUSB7" << true;
    QTest::newRow("byte-order mark") << good_keys_around("\xEF\xBB\xBF") << "pump" << "42" << "ttyUSB7" << true;
    QTest::newRow("junk before the first section") << good_keys_around("lumatrex settings\n") << "pump" << "42"
                                                   << "ttyUSB7" << true;
    QTest::newRow("broken group header") << QByteArray("[settings\navailable=1\n[device_conf]\nmini_usb=true\n"
                                                       "[device_conf]\nedit_name=pump\n")
                                         << "pump" << "" << QString() << true;
    // The junk swallows the [settings] header: available lands outside its
    // group and the gate stays shut; mini_usb is read all the same.
    QTest::newRow("binary") << QByteArray("\xff\xfe\x00\x01\x02[settings]\navailable=1\n[device_conf]\nmini_usb=true\n"
                                          "[device_conf]\nedit_name=pump\n",
                                          85)
                            << "" << "1" << QString() << true;
    QTest::newRow("a folder of that name") << QByteArray() << "" << "1" << QString() << false;
}

void tst_settings_file::bad_file()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, name);
    QFETCH(QString, addr_3);
    QFETCH(QString, portname);
    QFETCH(bool, mini_usb);
    settings_folder folder;
    if (text.isEmpty())
        QVERIFY(QDir(folder.path()).mkdir(QStringLiteral("settings.ini")));
    else
        folder.write(text);
    {
        log_capture log;
        MainWindow w;
        QCOMPARE(w.ui->edit_name->text(), name);
        QCOMPARE(w.ui->addr_3->text(), addr_3);
        QCOMPARE(w.portname, portname);
        QCOMPARE(w.ui->mini_usb_mode_checkbox->isChecked(), mini_usb);
        w.ui->edit_name_4->setText(QStringLiteral("seed"));
        w.close();
        QVERIFY(!w.isVisible());
        QCOMPARE(log.count("settings file could not be written"), text.isEmpty() ? 1 : 0);
    }
    if (text.isEmpty())
        return;
    // The close writes the operator's values back into the same file.
    const QVariantMap back = read_back();
    QCOMPARE(back.value("device_conf/edit_name_4").toString(), QStringLiteral("seed"));
    QCOMPARE(back.value("device_conf/edit_name").toString(), name);
    QCOMPARE(back.value("device_conf/addr_3").toString(), addr_3);
    QCOMPARE(back.value("serial/portname").toString(), portname);
    QCOMPARE(back.value("device_conf/mini_usb").toBool(), mini_usb);
    QCOMPARE(back.value("settings/available").toString(), QStringLiteral("1"));
    if (text.contains("notes="))
        QCOMPARE(back.value("device_conf/notes").toString(), QStringLiteral("bench 2"));
    // A second start reads it clean.
    QSettings again(QStringLiteral("settings.ini"), QSettings::IniFormat);
    again.allKeys();
    QCOMPARE(again.status(), QSettings::NoError);
}

void tst_settings_file::unreadable_file()
{
    settings_folder folder;
    const QByteArray text = good_keys_around("");
    folder.write(text);
    QVERIFY(QFile::setPermissions(folder.file(), QFileDevice::Permissions()));
    // Mode 000 does not keep the superuser out: read as nobody then, the
    // folder opened for that user, as an operator's file would be unreadable.
    const bool root = geteuid() == 0;
    if (root) {
        QVERIFY(QFile::setPermissions(folder.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                                          | QFileDevice::ExeOwner | QFileDevice::ReadGroup
                                                          | QFileDevice::ExeGroup | QFileDevice::ReadOther
                                                          | QFileDevice::ExeOther));
        QCOMPARE(seteuid(65534), 0);
    }
    log_capture log;
    {
        std::unique_ptr<MainWindow> w(new MainWindow);
        if (root)
            QCOMPARE(seteuid(0), 0);
        QVERIFY(form_values(w->ui));
        w->ui->edit_name_4->setText(QStringLiteral("seed"));
        // The close goes on, and replaces nothing (as root it could).
        QVERIFY(w->close());
        QVERIFY(!w->isVisible());
    }
    QCOMPARE(log.count("settings file could not be read"), 1);
    QCOMPARE(log.count("settings file could not be read at start: left as it is"), 1);
    QCOMPARE(log.count("settings file could not be written"), 0);
    const QFileInfo info(folder.file());
    QVERIFY(info.exists());
    QCOMPARE(int(info.permissions() & 0x7077), 0); // owner, group and other: still 000
    QVERIFY(QFile::setPermissions(folder.file(), QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    QFile f(folder.file());
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), text);
}

void tst_settings_file::read_only_folder_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::newRow("no file") << QByteArray();
    // Its format error stays in the status for good: the failure must show all the same.
    QTest::newRow("a file with a line QSettings cannot parse")
        << QByteArray("[device_conf]\n# bench 2\nedit_name=pump\n[settings]\navailable=1\n");
}

void tst_settings_file::read_only_folder()
{
    QFETCH(QByteArray, text);
    settings_folder folder;
    const QString previous = QDir::currentPath();
    QString dir = folder.path();
    bool as_nobody = false;
    if (text.isEmpty()) {
        QFile::setPermissions(folder.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        // The superuser writes anywhere but into /proc.
        if (QFileInfo(folder.path()).isWritable())
            dir = QStringLiteral("/proc");
    } else {
        folder.write(text);
        QFile::setPermissions(folder.path(), QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadGroup
                                                 | QFileDevice::ExeGroup | QFileDevice::ReadOther
                                                 | QFileDevice::ExeOther);
        // The superuser writes anywhere: run as nobody, who may read here.
        as_nobody = geteuid() == 0;
    }
    QDir::setCurrent(dir);
    if (as_nobody)
        QCOMPARE(seteuid(65534), 0);
    log_capture log;
    {
        MainWindow w;
        const QString name = w.ui->edit_name->text();
        w.show();
        const bool closed = w.close();
        if (as_nobody)
            QCOMPARE(seteuid(0), 0);
        QVERIFY(closed);
        QVERIFY(!w.isVisible());
        QCOMPARE(name, text.isEmpty() ? QString() : QStringLiteral("pump"));
    }
    QDir::setCurrent(previous);
    QFile::setPermissions(folder.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QCOMPARE(log.count("settings file could not be written"), 1);
    if (text.isEmpty()) {
        QVERIFY(!QFile::exists(QDir(dir).filePath("settings.ini")));
    } else {
        QFile f(folder.file());
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), text);
    }
}

void tst_settings_file::write_at_close_data()
{
    QTest::addColumn<QByteArray>("replacement"); // empty: the close's own
    QTest::addColumn<QString>("tmpdir");         // empty: as it is, and every write cut short
    // A file size limit stops every write at 200 bytes, as a full disk
    // would; the close's new file (35 keys) is some 700 bytes.
    QTest::newRow("the close's file cut at 200 bytes") << QByteArray() << QString();
    QTest::newRow("the replacement cut at 200 bytes") << QByteArray(700, 'x') << QString();
    // Larger than the toolkit's write buffer: written straight through, the
    // short count is the only sign.
    QTest::newRow("a 20000-byte replacement cut at 200 bytes") << QByteArray(20000, 'x') << QString();
    // Closed by an ordinary user, who cannot write into the root directory
    // either (%1: the settings folder): the file is composed beside itself.
    QTest::newRow("$TMPDIR a folder that does not exist") << QByteArray() << "%1/missing";
    QTest::newRow("$TMPDIR a path under a regular file") << QByteArray() << "%1/settings.ini/tmp";
    QTest::newRow("$TMPDIR a folder no one can write in") << QByteArray() << "/proc";
}

void tst_settings_file::write_at_close()
{
    QFETCH(QByteArray, replacement);
    QFETCH(QString, tmpdir);
    const bool cut = tmpdir.isEmpty();
    settings_folder folder;
    const QByteArray text("[device_conf]\nedit_name=pump\n[settings]\navailable=1\n");
    folder.write(text);
    QVERIFY(QFile::setPermissions(folder.path(), QFileDevice::Permissions(0x7777)));
    const QDir::Filters all = QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot;
    const QStringList in_root = QDir::root().entryList(all);
    const QByteArray tmp_was = qgetenv("TMPDIR");
    const bool as_user = !cut && geteuid() == 0;
    log_capture log;
    {
        MainWindow w;
        w.ui->edit_name_4->setText(QStringLiteral("seed"));
        rlimit before{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &before), 0);
        const rlimit limit{cut ? 200 : before.rlim_cur, before.rlim_max};
        const sighandler_t was = signal(SIGXFSZ, SIG_IGN);
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &limit), 0);
        if (!cut)
            qputenv("TMPDIR", tmpdir.arg(folder.path()).toLocal8Bit());
        QVERIFY(!as_user || seteuid(65534) == 0);
        const bool done = replacement.isEmpty() ? w.close() : !MainWindow::write_whole(folder.file(), replacement);
        QVERIFY(!as_user || seteuid(0) == 0);
        tmp_was.isNull() ? qunsetenv("TMPDIR") : qputenv("TMPDIR", tmp_was);
        setrlimit(RLIMIT_FSIZE, &before);
        signal(SIGXFSZ, was);
        QVERIFY(done);
    }
    QCOMPARE(log.count("settings file could not be written"), cut && replacement.isEmpty() ? 1 : 0);
    QCOMPARE(QDir(folder.path()).entryList(all), QStringList{QStringLiteral("settings.ini")});
    QCOMPARE(QDir::root().entryList(all), in_root);
    if (!cut) {
        QCOMPARE(read_back().value("device_conf/edit_name_4").toString(), QStringLiteral("seed"));
        return;
    }
    QFile f(folder.file());
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), text);
}

void tst_settings_file::names_in_utf8_data()
{
    QTest::addColumn<QByteArray>("mark");
    QTest::addColumn<QByteArray>("name"); // as the file holds it
    QTest::addColumn<QString>("shown");
    const QString sued = QStringLiteral("Pumpe S\u00fcd");
    QTest::newRow("UTF-8 with a byte-order mark") << QByteArray("\xEF\xBB\xBF") << QByteArray("Pumpe S\xC3\xBC" "d")
                                                  << sued;
    QTest::newRow("UTF-8 without a byte-order mark") << QByteArray() << QByteArray("Pumpe S\xC3\xBC" "d") << sued;
    QTest::newRow("UTF-8, a letter beyond 16 bits") << QByteArray() << QByteArray("Pumpe \xF0\x9D\x94\x84")
                                                    << QStringLiteral("Pumpe \U0001D504");
    QTest::newRow("escapes, as the program wrote them") << QByteArray() << QByteArray("Pumpe S\\xfc\\x64") << sued;
    QTest::newRow("Latin-1, no valid UTF-8") << QByteArray() << QByteArray("Pumpe S\xFC" "d") << sued;
}

void tst_settings_file::names_in_utf8()
{
    QFETCH(QByteArray, mark);
    QFETCH(QByteArray, name);
    QFETCH(QString, shown);
    settings_folder folder;
    // notes: a key the program does not own, written back as it was read.
    folder.write(mark + "[device_conf]\nedit_name=" + name + "\nnotes=" + name + "\n[settings]\navailable=1\n");
    for (int start = 1; start <= 2; ++start) {
        log_capture log;
        MainWindow w;
        QCOMPARE(w.ui->edit_name->text(), shown);
        w.close();
        QCOMPARE(log.count("settings file could not be written"), 0);
        // Older by a minute: the next start reads the disk, not QSettings' cache.
        QFile f(folder.file());
        const QDateTime older = QFileInfo(f).lastModified().addSecs(-60);
        QVERIFY(f.open(QIODevice::ReadWrite) && f.setFileTime(older, QFileDevice::FileModificationTime));
    }
    QCOMPARE(read_back().value("device_conf/notes").toString(), shown);
}

void tst_settings_file::portspeed_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("baud");
    QTest::newRow("57600") << QByteArray("portspeed=57600\n") << "57600";
    QTest::newRow("missing") << QByteArray() << "115200";
    QTest::newRow("empty") << QByteArray("portspeed=\n") << "115200";
    QTest::newRow("zero") << QByteArray("portspeed=0\n") << "115200";
    QTest::newRow("negative") << QByteArray("portspeed=-9600\n") << "115200";
    QTest::newRow("text") << QByteArray("portspeed=fast\n") << "115200";
    QTest::newRow("trailing letters") << QByteArray("portspeed=9600x\n") << "115200";
    QTest::newRow("beyond 32 bits") << QByteArray("portspeed=4294967296\n") << "115200";
}

void tst_settings_file::portspeed()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, baud);
    settings_folder folder;
    folder.write("[serial]\n" + line + "[settings]\navailable=1\n");
    MainWindow w;
    QCOMPARE(w.portspeed, baud);
    QCOMPARE(w.ui->baudrate_edit_line->text(), baud);
}

void tst_settings_file::mini_usb_keeps_the_operators_channels()
{
    settings_folder folder;
    QVariantMap keys = all_keys(); // channels 2, 5 and 8 on
    keys["serial/portspeed"] = "115200";
    write_keys(keys);
    {
        MainWindow w;
        w.ui->mini_usb_mode_checkbox->click();
        QCOMPARE(enabled_channels(w.ui), QList<int>{1});
        w.close();
    }
    QVariantMap back = read_back();
    QCOMPARE(back.value("device_conf/mini_usb").toString(), QStringLiteral("true"));
    for (int i = 0; i < 10; ++i)
        QCOMPARE(back.value(enabled_key(i)).toBool(), i % 3 == 1);
    {
        // Restarted in the mode; switching it off brings the choice back.
        MainWindow w;
        QVERIFY(w.ui->mini_usb_mode_checkbox->isChecked());
        QCOMPARE(enabled_channels(w.ui), QList<int>{1});
        QCOMPARE(w.ui->baudrate_edit_line->text(), QStringLiteral("57600"));
        w.ui->mini_usb_mode_checkbox->click();
        QCOMPARE(enabled_channels(w.ui), (QList<int>{2, 5, 8}));
        QCOMPARE(w.ui->baudrate_edit_line->text(), QStringLiteral("115200"));
        w.close();
    }
    back = read_back();
    QCOMPARE(back.value("device_conf/mini_usb").toString(), QStringLiteral("false"));
    QCOMPARE(back.value(enabled_key(4)).toBool(), true);
}

QTEST_MAIN(tst_settings_file)
#include "tst_settings_file.moc"
