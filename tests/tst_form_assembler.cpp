// The build-time form assembler, run on small forms of its own: where the
// pages go, how they are named, byte-exact texts, and the faults it refuses.

#include <QProcess>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

namespace {

const char *const window_head =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ui version=\"4.0\">\n <class>MainWindow</class>\n"
    " <widget class=\"QMainWindow\" name=\"MainWindow\">\n"
    "  <widget class=\"QWidget\" name=\"centralWidget\">\n"
    "   <layout class=\"QVBoxLayout\" name=\"verticalLayout_9\">\n";
const char *const window_tail =
    "    <item><spacer name=\"verticalSpacer_4\"><property name=\"orientation\"><enum>Qt::Vertical</enum></property></spacer></item>\n"
    "    <item><widget class=\"QLabel\" name=\"label_91\"/></item>\n"
    "   </layout>\n  </widget>\n </widget>\n <resources/>\n <connections/>\n</ui>\n";
const char *const placeholder = "    <item><widget class=\"QWidget\" name=\"channel_pages_here\"/></item>\n";

QString page_template(const QString &inner)
{
    return QStringLiteral(
               "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ui version=\"4.0\">\n <class>laser_widget</class>\n"
               " <widget class=\"QWidget\" name=\"laser_widget\">\n"
               "  <property name=\"geometry\"><rect><x>0</x><y>0</y><width>9</width><height>9</height></rect></property>\n"
               "  <layout class=\"QVBoxLayout\" name=\"verticalLayout_3\">\n%1"
               "  </layout>\n </widget>\n <resources><include location=\"../images/images.qrc\"/></resources>\n"
               " <connections/>\n</ui>\n")
        .arg(inner);
}

const char *const sheet = "QPushButton::hover:checked  {\t\n\tborder-image: url(:/x.png);\n}\n";

QString standard_inner()
{
    return QStringLiteral(
               "   <item><widget class=\"QPushButton\" name=\"laser_tab_button\">"
               "<property name=\"styleSheet\"><string notr=\"true\">%1</string></property></widget></item>\n"
               "   <item><widget class=\"QLabel\" name=\"label_4\"/></item>\n"
               "   <item><spacer name=\"horizontalSpacer\"/></item>\n"
               "   <item><widget class=\"Line\" name=\"line\"/></item>\n")
        .arg(QString::fromUtf8(sheet));
}

// Just enough of an XML tree to look at the assembled form.
struct xml_node {
    QString tag;
    QXmlStreamAttributes attributes;
    QString text;
    QVector<xml_node> children;

    bool is_null() const { return tag.isEmpty(); }
    QString attribute(const QString &name) const { return attributes.value(name).toString(); }
    bool has_attribute(const QString &name) const { return attributes.hasAttribute(name); }
    xml_node first(const QString &child_tag = QString()) const
    {
        for (const xml_node &c : children) {
            if (child_tag.isEmpty() || c.tag == child_tag)
                return c;
        }
        return {};
    }
};

xml_node read_node(QXmlStreamReader &in)
{
    xml_node n;
    n.tag = in.name().toString();
    n.attributes = in.attributes();
    while (!in.atEnd()) {
        const QXmlStreamReader::TokenType t = in.readNext();
        if (t == QXmlStreamReader::StartElement)
            n.children.append(read_node(in));
        else if (t == QXmlStreamReader::Characters)
            n.text += in.text();
        else if (t == QXmlStreamReader::EndElement)
            break;
    }
    return n;
}

xml_node parse(QIODevice *device)
{
    QXmlStreamReader in(device);
    while (!in.atEnd()) {
        if (in.readNext() == QXmlStreamReader::StartElement)
            return read_node(in);
    }
    return {};
}

struct run_result {
    int exit_code = -1;
    QString error;
    xml_node out;
};

run_result assemble(const QByteArray &window, const QByteArray &page)
{
    run_result r;
    QTemporaryDir dir;
    if (!dir.isValid())
        return r;
    const QString w = dir.filePath(QStringLiteral("window.ui"));
    const QString p = dir.filePath(QStringLiteral("page.ui"));
    const QString o = dir.filePath(QStringLiteral("out.ui"));
    QFile fw(w);
    QFile fp(p);
    if (!fw.open(QIODevice::WriteOnly) || !fp.open(QIODevice::WriteOnly))
        return r;
    fw.write(window);
    fp.write(page);
    fw.close();
    fp.close();
    QProcess tool;
    tool.start(QStringLiteral(LUMATREX_FORM_ASSEMBLER), {w, p, o});
    if (!tool.waitForFinished(60000))
        return r;
    r.exit_code = tool.exitCode();
    r.error = QString::fromUtf8(tool.readAllStandardError());
    QFile fo(o);
    if (fo.open(QIODevice::ReadOnly))
        r.out = parse(&fo);
    return r;
}

QByteArray window_with(const QString &middle)
{
    return QByteArray(window_head) + middle.toUtf8() + QByteArray(window_tail);
}

QList<xml_node> named_elements(const xml_node &root)
{
    QList<xml_node> out;
    const QString &tag = root.tag;
    if (root.has_attribute(QStringLiteral("name"))
        && (tag == QLatin1String("widget") || tag == QLatin1String("layout") || tag == QLatin1String("spacer")))
        out.append(root);
    for (const xml_node &c : root.children)
        out += named_elements(c);
    return out;
}

QList<xml_node> elements(const xml_node &root, const QString &tag)
{
    QList<xml_node> out;
    if (root.tag == tag)
        out.append(root);
    for (const xml_node &c : root.children)
        out += elements(c, tag);
    return out;
}

} // namespace

class tst_form_assembler : public QObject {
    Q_OBJECT

private slots:
    void pages_replace_the_placeholder_in_channel_order()
    {
        const run_result r = assemble(window_with(QString::fromLatin1(placeholder)), page_template(standard_inner()).toUtf8());
        QCOMPARE(r.exit_code, 0);
        const xml_node layout = r.out.first(QStringLiteral("widget")).first(QStringLiteral("widget"))
                                    .first(QStringLiteral("layout"));
        QStringList items;
        for (const xml_node &i : layout.children) {
            if (i.tag == QLatin1String("item"))
                items << i.first().attribute(QStringLiteral("name"));
        }
        QCOMPARE(items.size(), 12);
        const QStringList pages = {"laser_widget", "laser_widget_2", "laser_widget_3", "laser_widget_4",
                                   "laser_widget_5", "laser_widget_6", "laser_widget_7", "laser_widget_8",
                                   "laser_widget_9", "laser_widget_10"};
        QCOMPARE(items.mid(0, 10), pages);
        // the window's own items keep their places after the pages
        QCOMPARE(items.at(11), QStringLiteral("label_91"));
    }

    void names_of_each_page_data()
    {
        QTest::addColumn<int>("channel");
        QTest::addColumn<QString>("button");
        QTest::newRow("1") << 1 << "laser_tab_button";
        QTest::newRow("2") << 2 << "laser_tab_button_2";
        QTest::newRow("5") << 5 << "laser_tab_button_5";
        QTest::newRow("6") << 6 << "laser_tab_button_7";
        QTest::newRow("9") << 9 << "laser_tab_button_10";
        QTest::newRow("10") << 10 << "laser_tab_button_12";
    }

    void names_of_each_page()
    {
        QFETCH(int, channel);
        QFETCH(QString, button);
        const run_result r = assemble(window_with(QString::fromLatin1(placeholder)), page_template(standard_inner()).toUtf8());
        QCOMPARE(r.exit_code, 0);
        QList<xml_node> pages;
        for (const xml_node &e : named_elements(r.out)) {
            if (e.attribute(QStringLiteral("name")).startsWith(QLatin1String("laser_widget")))
                pages.append(e);
        }
        QCOMPARE(pages.size(), 10);
        const xml_node page = pages.at(channel - 1);
        QStringList names;
        for (const xml_node &e : named_elements(page))
            names << e.attribute(QStringLiteral("name"));
        QCOMPARE(names.size(), 6);
        QCOMPARE(names.at(2), button);
        if (channel == 1) {
            QCOMPARE(names, QStringList({"laser_widget", "verticalLayout_3", "laser_tab_button", "label_4",
                                         names.at(4), "line"}));
        } else {
            // generic names get numbers above every number already in use
            QVERIFY(names.at(1).startsWith(QLatin1String("verticalLayout_")));
            QVERIFY(names.at(1).mid(15).toInt() > 9);
            QVERIFY(names.at(3).startsWith(QLatin1String("label_")));
            QVERIFY(names.at(3).mid(6).toInt() > 91);
            QVERIFY(names.at(5).startsWith(QLatin1String("line_")));
        }
        // spacers never keep a name the window uses
        QVERIFY(names.at(4).startsWith(QLatin1String("horizontalSpacer_")));
        // a Designer top-level's geometry does not go into the form
        QVERIFY(page.first(QStringLiteral("property")).is_null());
    }

    void all_names_unique_and_texts_byte_exact()
    {
        const run_result r = assemble(window_with(QString::fromLatin1(placeholder)), page_template(standard_inner()).toUtf8());
        QCOMPARE(r.exit_code, 0);
        QSet<QString> seen;
        for (const xml_node &e : named_elements(r.out)) {
            const QString name = e.attribute(QStringLiteral("name"));
            QVERIFY2(!seen.contains(name), qPrintable(name));
            seen.insert(name);
        }
        QCOMPARE(seen.size(), 5 + 10 * 6); // the window's five and six per page
        int sheets = 0;
        for (const xml_node &p : elements(r.out, QStringLiteral("property"))) {
            if (p.attribute(QStringLiteral("name")) != QLatin1String("styleSheet"))
                continue;
            ++sheets;
            QCOMPARE(p.first(QStringLiteral("string")).text, QString::fromUtf8(sheet));
        }
        QCOMPARE(sheets, 10);
        // the template's resource file is known to the assembled form
        QCOMPARE(r.out.first(QStringLiteral("resources")).first(QStringLiteral("include"))
                     .attribute(QStringLiteral("location")),
                 QStringLiteral("../images/images.qrc"));
    }

    void refused_forms_data()
    {
        QTest::addColumn<QByteArray>("window");
        QTest::addColumn<QByteArray>("page");
        QTest::addColumn<QString>("message");
        const QByteArray good_page = page_template(standard_inner()).toUtf8();
        QTest::newRow("no placeholder") << window_with(QString()) << good_page << "exactly one layout item";
        QTest::newRow("two placeholders")
            << window_with(QString::fromLatin1(placeholder) + QString::fromLatin1(placeholder)) << good_page
            << "exactly one layout item";
        QTest::newRow("placeholder not alone in its item")
            << window_with(QStringLiteral("<item><widget class=\"QWidget\" name=\"channel_pages_here\"/><widget class=\"QLabel\" name=\"x\"/></item>"))
            << good_page << "exactly one layout item";
        QTest::newRow("page one name taken by the window")
            << window_with(QString::fromLatin1(placeholder) + QStringLiteral("<item><widget class=\"QLabel\" name=\"label_4\"/></item>"))
            << good_page << "names used twice in the assembled form: label_4";
        QTest::newRow("suffixed name taken by the window")
            << window_with(QString::fromLatin1(placeholder) + QStringLiteral("<item><widget class=\"QLabel\" name=\"laser_tab_button_7\"/></item>"))
            << good_page << "laser_tab_button_7";
        QTest::newRow("template without a widget")
            << window_with(QString::fromLatin1(placeholder))
            << QByteArray("<?xml version=\"1.0\"?><ui version=\"4.0\"><class>x</class></ui>")
            << "no named top-level widget";
        QTest::newRow("broken XML") << QByteArray("<ui><widget>") << good_page << "window.ui:";
    }

    void refused_forms()
    {
        QFETCH(QByteArray, window);
        QFETCH(QByteArray, page);
        QFETCH(QString, message);
        const run_result r = assemble(window, page);
        QCOMPARE(r.exit_code, 1);
        QVERIFY2(r.error.contains(message), qPrintable(r.error));
        QVERIFY(r.out.is_null()); // nothing half-written is left
    }
};

QTEST_MAIN(tst_form_assembler)
#include "tst_form_assembler.moc"
