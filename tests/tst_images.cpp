// The embedded pictures: every path the forms and the main window name is in
// the resource tree, each file has the format it must have, nothing is
// compressed, and the .qrc and the images/ folder agree.

#include "app/resources.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QResource>
#include <QSet>
#include <QtEndian>
#include <QtTest>
#include <QXmlStreamReader>

#ifndef LUMATREX_SOURCE_DIR
#error "LUMATREX_SOURCE_DIR must name the source tree"
#endif

namespace {

const QString source_dir = QStringLiteral(LUMATREX_SOURCE_DIR);
const QString images_dir = source_dir + QStringLiteral("/images");

// ---- PNG header chunks ----------------------------------------------------

quint32 crc32(const QByteArray &bytes)
{
    static const QVector<quint32> table = [] {
        QVector<quint32> t(256);
        for (quint32 n = 0; n < 256; ++n) {
            quint32 c = n;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[int(n)] = c;
        }
        return t;
    }();
    quint32 c = 0xFFFFFFFFu;
    for (char ch : bytes)
        c = table[int((c ^ quint8(ch)) & 0xFF)] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

struct png_info
{
    QString error;            // empty when the file is well formed
    quint32 width = 0;
    quint32 height = 0;
    int bit_depth = -1;
    int colour_type = -1;
    int interlace = -1;
    int palette_entries = -1; // -1: no PLTE chunk
    int trns_entries = -1;    // -1: no tRNS chunk
    bool trns_translucent = false;
};

// Walks the chunks up to IEND, checking every length and CRC; records IHDR,
// PLTE and tRNS.
png_info parse_png(const QByteArray &data)
{
    png_info info;
    static const QByteArray signature("\x89PNG\r\n\x1a\n", 8);
    if (!data.startsWith(signature)) {
        info.error = QStringLiteral("no PNG signature");
        return info;
    }
    int pos = 8;
    bool first = true;
    while (true) {
        if (pos + 12 > data.size()) {
            info.error = QStringLiteral("truncated before IEND");
            return info;
        }
        const quint32 length = qFromBigEndian<quint32>(data.constData() + pos);
        if (length > quint32(data.size() - pos - 12)) {
            info.error = QStringLiteral("chunk runs past the end");
            return info;
        }
        const QByteArray type = data.mid(pos + 4, 4);
        const QByteArray body = data.mid(pos + 8, int(length));
        const quint32 crc = qFromBigEndian<quint32>(data.constData() + pos + 8 + length);
        if (crc != crc32(type + body)) {
            info.error = QStringLiteral("bad CRC in ") + QString::fromLatin1(type);
            return info;
        }
        if (first && type != "IHDR") {
            info.error = QStringLiteral("IHDR is not the first chunk");
            return info;
        }
        first = false;
        if (type == "IHDR") {
            if (length != 13) {
                info.error = QStringLiteral("IHDR of the wrong length");
                return info;
            }
            info.width = qFromBigEndian<quint32>(body.constData());
            info.height = qFromBigEndian<quint32>(body.constData() + 4);
            info.bit_depth = quint8(body[8]);
            info.colour_type = quint8(body[9]);
            info.interlace = quint8(body[12]);
        } else if (type == "PLTE") {
            if (length % 3 != 0 || length == 0 || length > 768) {
                info.error = QStringLiteral("PLTE of a bad length");
                return info;
            }
            info.palette_entries = int(length / 3);
        } else if (type == "tRNS") {
            info.trns_entries = int(length);
            for (char a : body)
                info.trns_translucent = info.trns_translucent || quint8(a) != 255;
        } else if (type == "IEND") {
            return info;
        }
        pos += 12 + int(length);
    }
}

QByteArray read_all(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

// ---- The pictures ---------------------------------------------------------

enum class format { rgba, palette_opaque, palette_alpha };

struct picture
{
    const char *name;
    int width;
    int height;
    format kind;
};

const picture pictures[] = {
    {"icon.png", 512, 512, format::rgba},
    {"conf_icon.png", 980, 990, format::rgba},
    {"refresh.png", 45, 45, format::rgba},
    {"legend.png", 554, 200, format::palette_opaque},
    {"edit_ico.png", 980, 981, format::palette_alpha},
    {"switch_btn_off_80x25.png", 80, 25, format::rgba},
    {"switch_btn_off_hover_80x25.png", 80, 25, format::rgba},
    {"switch_btn_on_108x25.png", 80, 25, format::rgba},
    {"switch_btn_on_hover_108x25.png", 80, 25, format::rgba},
    {"switch_btn_on_disabled_108x25.png", 80, 25, format::rgba},
    {"switch_btn_off_disabled_108x25.png", 80, 25, format::rgba},
    {"push_btn_off_50x25.png", 50, 25, format::rgba},
    {"push_btn_hover_50x25.png", 50, 25, format::rgba},
    {"push_btn_on_50x25.png", 50, 25, format::rgba},
    {"round_button_switch.png", 36, 24, format::rgba},
    {"round_button_switch_hover.png", 36, 24, format::rgba},
    {"round_button_switch_on.png", 36, 24, format::rgba},
    {"round_button_switch_on_hover.png", 36, 24, format::rgba},
    {"round_button_switch_on_disabled.png", 36, 24, format::rgba},
    {"round_button_switch_disabled.png", 36, 24, format::rgba},
    {"round_button_indicator_on.png", 24, 24, format::rgba},
    {"round_button_indicator_disabled.png", 24, 24, format::rgba},
    {"round_button_indicator_off.png", 24, 24, format::rgba},
    {"round_button_indicator_off_hover.png", 24, 24, format::rgba},
    {"round_button_indicator_on_hover.png", 24, 24, format::rgba},
    {"slider_background_250x25.png", 250, 25, format::rgba},
    {"slider_left_background_250x25.png", 125, 25, format::rgba},
    {"slider_left_background_disabled_250x25.png", 125, 25, format::rgba},
    {"slider_right_background_250x25.png", 125, 25, format::rgba},
    {"slider_handle_50x25.png", 50, 25, format::rgba},
    {"slider_handle_hover_50x25.png", 50, 25, format::rgba},
    {"slider_handle_disabled_50x25.png", 50, 25, format::rgba},
    {"Quendral_logo.png", 2134, 560, format::rgba},
    {"ostravel.png", 1000, 125, format::rgba},
    {"calvenor_logo_PNG.png", 1106, 308, format::rgba},
    {"sarvique_logo.png", 1100, 428, format::rgba},
    {"cropped-logo7_png_final-5.png", 1687, 461, format::rgba},
};

QString resource_path(const char *name)
{
    return QStringLiteral(":/images/images/") + QLatin1String(name);
}

struct qrc_entry
{
    QString file;
    QString compression;
    QString alias;
};

struct qrc_contents
{
    QString error;
    QStringList prefixes;
    QVector<qrc_entry> files;
};

qrc_contents read_qrc(const QString &path)
{
    qrc_contents qrc;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qrc.error = QStringLiteral("cannot open ") + path;
        return qrc;
    }
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        if (xml.name() == QLatin1String("qresource")) {
            qrc.prefixes << xml.attributes().value(QLatin1String("prefix")).toString();
        } else if (xml.name() == QLatin1String("file")) {
            qrc_entry entry;
            entry.compression = xml.attributes().value(QLatin1String("compression-algorithm")).toString();
            entry.alias = xml.attributes().value(QLatin1String("alias")).toString();
            entry.file = xml.readElementText().trimmed();
            qrc.files << entry;
        }
    }
    if (xml.hasError())
        qrc.error = xml.errorString();
    return qrc;
}

// Designer sources whose image paths must exist: the main form's pieces and
// the parameters window's form.
QStringList designer_sources()
{
    QStringList files;
    QDirIterator forms(source_dir + QStringLiteral("/forms"), {QStringLiteral("*.ui")}, QDir::Files,
                       QDirIterator::Subdirectories);
    while (forms.hasNext())
        files << forms.next();
    QDirIterator params(source_dir + QStringLiteral("/params"), {QStringLiteral("*.ui")}, QDir::Files);
    while (params.hasNext())
        files << params.next();
    files.sort();
    return files;
}

bool has_main_form_sources()
{
    for (const QString &f : designer_sources())
        if (f.startsWith(source_dir + QStringLiteral("/forms/")))
            return true;
    return false;
}

}  // namespace

class tst_images : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void named_paths_are_in_the_tree_data();
    void named_paths_are_in_the_tree();
    void tree_holds_exactly_the_pictures();
    void png_format_data();
    void png_format();
    void png_check_catches_damage_data();
    void png_check_catches_damage();
    void icon_file_holds_three_images();
    void windows_resource_names_the_icon();
    void every_file_is_stored_uncompressed();
    void qrc_and_folder_agree();
    void designer_sources_name_existing_paths();
    void states_of_a_control_differ_data();
    void states_of_a_control_differ();
};

void tst_images::initTestCase()
{
    lumatrex_init_resources();
}

void tst_images::named_paths_are_in_the_tree_data()
{
    QTest::addColumn<QString>("path");
    // The paths as the main form, the brand step and the parameters window
    // spell them.
    const char *const form[] = {
        "switch_btn_off_80x25.png", "switch_btn_off_hover_80x25.png", "switch_btn_on_108x25.png",
        "switch_btn_on_hover_108x25.png", "switch_btn_on_disabled_108x25.png",
        "switch_btn_off_disabled_108x25.png", "push_btn_off_50x25.png", "push_btn_hover_50x25.png",
        "push_btn_on_50x25.png", "round_button_switch.png", "round_button_switch_hover.png",
        "round_button_switch_on.png", "round_button_switch_on_hover.png",
        "round_button_switch_on_disabled.png", "round_button_switch_disabled.png",
        "round_button_indicator_on.png", "round_button_indicator_disabled.png",
        "slider_background_250x25.png", "slider_handle_50x25.png", "slider_handle_hover_50x25.png",
        "slider_right_background_250x25.png", "slider_left_background_250x25.png",
        "slider_handle_disabled_50x25.png", "slider_left_background_disabled_250x25.png",
        "icon.png", "conf_icon.png", "refresh.png", "legend.png",
    };
    for (const char *name : form)
        QTest::addRow("form %s", name) << resource_path(name);
    for (const char *name : {"Quendral_logo.png", "calvenor_logo_PNG.png", "ostravel.png", "sarvique_logo.png"})
        QTest::addRow("brand %s", name) << resource_path(name);
    QTest::addRow("parameters window conf_icon.png") << resource_path("conf_icon.png");
    QTest::addRow("icon file") << QStringLiteral(":/images/icon.ico");
}

void tst_images::named_paths_are_in_the_tree()
{
    QFETCH(QString, path);
    QResource resource(path);
    QVERIFY2(resource.isValid(), qPrintable(path));
    QVERIFY(QFileInfo(path).isFile());
    QVERIFY(resource.size() > 0);
}

void tst_images::tree_holds_exactly_the_pictures()
{
    QStringList expected;
    for (const picture &p : pictures)
        expected << QLatin1String(p.name);
    expected.sort();
    QStringList present = QDir(QStringLiteral(":/images/images")).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
    present.sort();
    QCOMPARE(present.size(), 37);
    QCOMPARE(present, expected);
    QStringList top = QDir(QStringLiteral(":/images")).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
    top.sort();
    QCOMPARE(top, QStringList({QStringLiteral("icon.ico"), QStringLiteral("images")}));
}

void tst_images::png_format_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("kind");
    for (const picture &p : pictures)
        QTest::newRow(p.name) << resource_path(p.name) << p.width << p.height << int(p.kind);
}

void tst_images::png_format()
{
    QFETCH(QString, path);
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, kind);

    const QByteArray data = read_all(path);
    QVERIFY2(!data.isEmpty(), qPrintable(path));
    const png_info png = parse_png(data);
    QVERIFY2(png.error.isEmpty(), qPrintable(png.error));
    QCOMPARE(png.width, quint32(width));
    QCOMPARE(png.height, quint32(height));
    QCOMPARE(png.bit_depth, 8);
    QCOMPARE(png.interlace, 0);
    switch (format(kind)) {
    case format::rgba:
        QCOMPARE(png.colour_type, 6);
        QCOMPARE(png.trns_entries, -1);
        break;
    case format::palette_opaque:
        QCOMPARE(png.colour_type, 3);
        QVERIFY(png.palette_entries > 0);
        QCOMPARE(png.trns_entries, -1);
        break;
    case format::palette_alpha:
        QCOMPARE(png.colour_type, 3);
        QVERIFY(png.palette_entries > 0);
        QVERIFY(png.trns_entries > 0);
        QVERIFY(png.trns_entries <= png.palette_entries);
        QVERIFY(png.trns_translucent);
        break;
    }

    // And the picture decodes to the same size (a style sheet shows nothing
    // for a file it cannot read).
    QImage image;
    QVERIFY(image.loadFromData(data, "PNG"));
    QCOMPARE(image.size(), QSize(width, height));
}

void tst_images::png_check_catches_damage_data()
{
    QTest::addColumn<int>("cut");        // bytes kept, -1: all
    QTest::addColumn<int>("flip_at");    // byte to corrupt, -1: none
    QTest::addColumn<QString>("error");
    QTest::newRow("signature") << -1 << 1 << "no PNG signature";
    QTest::newRow("IHDR width") << -1 << 17 << "bad CRC in IHDR";
    QTest::newRow("IHDR CRC") << -1 << 29 << "bad CRC in IHDR";
    QTest::newRow("truncated in IHDR") << 20 << -1 << "chunk runs past the end";
    QTest::newRow("IEND cut off") << -12 << -1 << "truncated before IEND";
}

void tst_images::png_check_catches_damage()
{
    QFETCH(int, cut);
    QFETCH(int, flip_at);
    QFETCH(QString, error);
    QByteArray data = read_all(resource_path("refresh.png"));
    QVERIFY(parse_png(data).error.isEmpty());
    if (cut >= 0)
        data.truncate(cut);
    else if (cut < -1)
        data.chop(-cut);
    if (flip_at >= 0)
        data[flip_at] = char(data[flip_at] ^ 0x01);
    QCOMPARE(parse_png(data).error, error);
}

void tst_images::icon_file_holds_three_images()
{
    const QByteArray ico = read_all(QStringLiteral(":/images/icon.ico"));
    QVERIFY(ico.size() >= 6);
    const char *d = ico.constData();
    QCOMPARE(qFromLittleEndian<quint16>(d), quint16(0));      // reserved
    QCOMPARE(qFromLittleEndian<quint16>(d + 2), quint16(1));  // icon, not cursor
    QCOMPARE(qFromLittleEndian<quint16>(d + 4), quint16(3));
    QVERIFY(ico.size() >= 6 + 3 * 16);

    const int sizes[] = {16, 32, 256};
    quint32 end_of_previous = 6 + 3 * 16;
    for (int i = 0; i < 3; ++i) {
        const char *e = d + 6 + 16 * i;
        const int size = sizes[i];
        QCOMPARE(int(quint8(e[0])), size == 256 ? 0 : size);   // 0 stands for 256
        QCOMPARE(int(quint8(e[1])), size == 256 ? 0 : size);
        QCOMPARE(qFromLittleEndian<quint16>(e + 6), quint16(32));
        const quint32 bytes = qFromLittleEndian<quint32>(e + 8);
        const quint32 offset = qFromLittleEndian<quint32>(e + 12);
        QVERIFY(offset >= end_of_previous);
        QVERIFY(quint64(offset) + bytes <= quint64(ico.size()));
        end_of_previous = offset + bytes;
        const QByteArray image = ico.mid(int(offset), int(bytes));

        if (size == 256) {
            const png_info png = parse_png(image);
            QVERIFY2(png.error.isEmpty(), qPrintable(png.error));
            QCOMPARE(png.width, 256u);
            QCOMPARE(png.height, 256u);
            QCOMPARE(png.colour_type, 6);
            QCOMPARE(png.bit_depth, 8);
        } else {
            // A 32-bit bitmap: its header counts the colour rows and the mask.
            QVERIFY(!image.startsWith("\x89PNG"));
            QVERIFY(image.size() >= 40);
            const char *h = image.constData();
            QCOMPARE(qFromLittleEndian<quint32>(h), 40u);
            QCOMPARE(qFromLittleEndian<qint32>(h + 4), size);
            QCOMPARE(qFromLittleEndian<qint32>(h + 8), 2 * size);
            QCOMPARE(qFromLittleEndian<quint16>(h + 12), quint16(1));
            QCOMPARE(qFromLittleEndian<quint16>(h + 14), quint16(32));
            QCOMPARE(qFromLittleEndian<quint32>(h + 16), 0u);   // uncompressed
            const int mask_stride = ((size + 31) / 32) * 4;
            QCOMPARE(image.size(), 40 + size * size * 4 + mask_stride * size);
        }
    }
    QCOMPARE(end_of_previous, quint32(ico.size()));
}

void tst_images::windows_resource_names_the_icon()
{
    const QString rc = QString::fromUtf8(read_all(images_dir + QStringLiteral("/lumatrex.rc")));
    const QRegularExpression icon_line(QStringLiteral("^\\s*\\w+\\s+ICON\\s+\"([^\"]+)\""),
                                       QRegularExpression::MultilineOption);
    const QRegularExpressionMatch m = icon_line.match(rc);
    QVERIFY2(m.hasMatch(), "lumatrex.rc names no ICON");
    QCOMPARE(m.captured(1), QStringLiteral("icon.ico"));
    QVERIFY(QFile::exists(images_dir + QStringLiteral("/") + m.captured(1)));
}

void tst_images::every_file_is_stored_uncompressed()
{
    const qrc_contents qrc = read_qrc(images_dir + QStringLiteral("/images.qrc"));
    QVERIFY2(qrc.error.isEmpty(), qPrintable(qrc.error));
    QCOMPARE(qrc.prefixes, QStringList{QStringLiteral("/images")});
    QCOMPARE(qrc.files.size(), 38);
    for (const qrc_entry &entry : qrc.files) {
        // Said in the .qrc, so no size threshold can decide otherwise...
        QVERIFY2(entry.compression == QLatin1String("none"), qPrintable(entry.file));
        // ...and so compiled into the program.
        QResource resource(QStringLiteral(":/images/") + entry.file);
        QVERIFY2(resource.isValid(), qPrintable(entry.file));
        QCOMPARE(resource.compressionAlgorithm(), QResource::NoCompression);
        QCOMPARE(resource.uncompressedSize(), QFileInfo(images_dir + QStringLiteral("/") + entry.file).size());
        QCOMPARE(resource.size(), resource.uncompressedSize());
    }
}

void tst_images::qrc_and_folder_agree()
{
    const qrc_contents qrc = read_qrc(images_dir + QStringLiteral("/images.qrc"));
    QVERIFY2(qrc.error.isEmpty(), qPrintable(qrc.error));
    QSet<QString> listed;
    for (const qrc_entry &entry : qrc.files) {
        QVERIFY2(entry.alias.isEmpty(), qPrintable(entry.file));   // paths are the file paths
        QVERIFY2(!listed.contains(entry.file), qPrintable(QStringLiteral("listed twice: ") + entry.file));
        listed.insert(entry.file);
        QVERIFY2(QFileInfo(images_dir + QStringLiteral("/") + entry.file).isFile(),
                 qPrintable(QStringLiteral("listed without a file: ") + entry.file));
    }
    const QDir root(images_dir);
    QDirIterator it(images_dir, QDir::Files, QDirIterator::Subdirectories);
    int on_disk = 0;
    while (it.hasNext()) {
        const QString relative = root.relativeFilePath(it.next());
        if (relative == QLatin1String("images.qrc") || relative == QLatin1String("lumatrex.rc"))
            continue;
        ++on_disk;
        QVERIFY2(listed.contains(relative), qPrintable(QStringLiteral("missing from the .qrc: ") + relative));
    }
    QCOMPARE(on_disk, listed.size());
}

void tst_images::designer_sources_name_existing_paths()
{
    if (!has_main_form_sources())
        QSKIP("no forms/*.ui in this tree yet");
    const QRegularExpression image_path(QStringLiteral(":/images/[A-Za-z0-9_./\\-]+"));
    int references = 0;
    for (const QString &file : designer_sources()) {
        const QString text = QString::fromUtf8(read_all(file));
        auto it = image_path.globalMatch(text);
        while (it.hasNext()) {
            const QString path = it.next().captured(0);
            ++references;
            QVERIFY2(QFileInfo(path).isFile(),
                     qPrintable(QDir(source_dir).relativeFilePath(file) + QStringLiteral(": ") + path));
        }
    }
    QVERIFY2(references > 0, "the forms name no image");
}

void tst_images::states_of_a_control_differ_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::newRow("switch") << QStringList{
        "switch_btn_off_80x25.png", "switch_btn_off_hover_80x25.png", "switch_btn_on_108x25.png",
        "switch_btn_on_hover_108x25.png", "switch_btn_on_disabled_108x25.png",
        "switch_btn_off_disabled_108x25.png"};
    QTest::newRow("round switch") << QStringList{
        "round_button_switch.png", "round_button_switch_hover.png", "round_button_switch_on.png",
        "round_button_switch_on_hover.png", "round_button_switch_on_disabled.png",
        "round_button_switch_disabled.png"};
    QTest::newRow("push button") << QStringList{
        "push_btn_off_50x25.png", "push_btn_hover_50x25.png", "push_btn_on_50x25.png"};
    QTest::newRow("indicator") << QStringList{
        "round_button_indicator_on.png", "round_button_indicator_disabled.png",
        "round_button_indicator_off.png", "round_button_indicator_off_hover.png",
        "round_button_indicator_on_hover.png"};
    QTest::newRow("slider handle") << QStringList{
        "slider_handle_50x25.png", "slider_handle_hover_50x25.png", "slider_handle_disabled_50x25.png"};
    QTest::newRow("slider filled part") << QStringList{
        "slider_left_background_250x25.png", "slider_left_background_disabled_250x25.png",
        "slider_right_background_250x25.png"};
}

void tst_images::states_of_a_control_differ()
{
    // A state drawn like another (a copy left in place) makes the control
    // look dead in that state.
    QFETCH(QStringList, names);
    QVector<QImage> images;
    for (const QString &name : names) {
        QImage image(QStringLiteral(":/images/images/") + name);
        QVERIFY2(!image.isNull(), qPrintable(name));
        images << image.convertToFormat(QImage::Format_ARGB32);
    }
    for (int i = 0; i < images.size(); ++i)
        for (int j = i + 1; j < images.size(); ++j)
            QVERIFY2(images[i] != images[j], qPrintable(names[i] + QStringLiteral(" = ") + names[j]));
}

// Decoding pictures needs no window system.
QTEST_GUILESS_MAIN(tst_images)
#include "tst_images.moc"
