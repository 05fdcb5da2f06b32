// The form's texts: every assignment retranslateUi makes, through which
// setter, how many are empty, and that every non-empty one goes through the
// translation function with the context "MainWindow".

#include <QtTest>

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTranslator>

#include <set>

#include "app/resources.h"
#include "form_fixture.h"

using namespace form_fixture;

namespace {

// Records every lookup and answers none, so the source text is shown.
class recording_translator : public QTranslator
{
public:
    struct call {
        QByteArray context;
        QString source;
        bool has_disambiguation;
        int n;
    };
    mutable QVector<call> calls;

    QString translate(const char *context, const char *source, const char *disambiguation, int n) const override
    {
        calls.push_back({QByteArray(context), QString::fromUtf8(source), disambiguation != nullptr, n});
        return QString();
    }
    bool isEmpty() const override { return false; }
};

// A text that no assignment of the form writes.
const QString sentinel = QStringLiteral("\x01unset\x01");

struct text_slot {
    QObject *object;
    QString kind;
    int item; // combo item index, else -1
};

QString read(const text_slot &s)
{
    QObject *o = s.object;
    if (s.kind == "window title")
        return static_cast<QWidget *>(o)->windowTitle();
    if (s.kind == "label")
        return static_cast<QLabel *>(o)->text();
    if (s.kind == "button")
        return static_cast<QAbstractButton *>(o)->text();
    if (s.kind == "group title")
        return static_cast<QGroupBox *>(o)->title();
    if (s.kind == "line edit")
        return static_cast<QLineEdit *>(o)->text();
    if (s.kind == "progress format")
        return static_cast<QProgressBar *>(o)->format();
    if (s.kind == "combo item")
        return static_cast<QComboBox *>(o)->itemText(s.item);
    return static_cast<QPlainTextEdit *>(o)->toPlainText();
}

void write(const text_slot &s, const QString &t)
{
    QObject *o = s.object;
    if (s.kind == "window title")
        static_cast<QWidget *>(o)->setWindowTitle(t);
    else if (s.kind == "label")
        static_cast<QLabel *>(o)->setText(t);
    else if (s.kind == "button")
        static_cast<QAbstractButton *>(o)->setText(t);
    else if (s.kind == "group title")
        static_cast<QGroupBox *>(o)->setTitle(t);
    else if (s.kind == "line edit")
        static_cast<QLineEdit *>(o)->setText(t);
    else if (s.kind == "progress format")
        static_cast<QProgressBar *>(o)->setFormat(t);
    else if (s.kind == "combo item")
        static_cast<QComboBox *>(o)->setItemText(s.item, t);
    else
        static_cast<QPlainTextEdit *>(o)->setPlainText(t);
}

// Every place of the form that can hold a text, in creation order.
QVector<text_slot> text_slots(QMainWindow *window)
{
    QVector<text_slot> out{{window, "window title", -1}};
    for (QObject *o : named_objects(window)) {
        if (qobject_cast<QLabel *>(o))
            out.push_back({o, "label", -1});
        else if (qobject_cast<QAbstractButton *>(o))
            out.push_back({o, "button", -1});
        else if (qobject_cast<QGroupBox *>(o))
            out.push_back({o, "group title", -1});
        else if (qobject_cast<QLineEdit *>(o))
            out.push_back({o, "line edit", -1});
        else if (qobject_cast<QProgressBar *>(o))
            out.push_back({o, "progress format", -1});
        else if (qobject_cast<QPlainTextEdit *>(o))
            out.push_back({o, "plain text", -1});
        else if (auto *c = qobject_cast<QComboBox *>(o))
            for (int i = 0; i < c->count(); ++i)
                out.push_back({o, "combo item", i});
    }
    return out;
}

} // namespace

class tst_form_texts : public QObject
{
    Q_OBJECT

private:
    QVector<recording_translator::call> setup_calls; // lookups made while the form is built

private slots:
    void initTestCase()
    {
        lumatrex_init_resources();
        recording_translator tr;
        QVERIFY(QCoreApplication::installTranslator(&tr));
        {
            built_form f = build();
        }
        QCoreApplication::removeTranslator(&tr);
        for (const auto &c : tr.calls)
            if (c.context == "MainWindow")
                setup_calls << c;
    }

    // 910 non-empty texts, each looked up once with the form's context, no
    // disambiguation and no plural number; 96 distinct texts.
    void every_non_empty_text_is_translated()
    {
        QCOMPARE(setup_calls.size(), 910);
        std::set<QString> distinct;
        for (const auto &c : setup_calls) {
            QVERIFY(!c.source.isEmpty());
            QVERIFY(!c.has_disambiguation);
            QCOMPARE(c.n, -1);
            distinct.insert(c.source);
        }
        QCOMPARE(int(distinct.size()), 96);
    }

    // The order of the lookups follows the form: title, menu, seed page, the
    // ten channel pages alike, the frame counter, settings, help and status.
    void texts_in_creation_order()
    {
        QStringList seq;
        for (const auto &c : setup_calls)
            seq << c.source;
        QCOMPARE(seq.mid(0, 6), (QStringList{"Lumatrex", "Main", "Settings", "Help", "Connect", "Seed laser"}));
        const int seed = 52; // non-empty texts of the seed-laser page
        const int page = 79; // non-empty texts of one channel page
        const int first_page = 4 + seed;
        QCOMPARE(seq.at(first_page), QStringLiteral("LASER1"));
        const QStringList one = seq.mid(first_page, page);
        QCOMPARE(one.last(), QStringLiteral("0.0 mW"));
        QVERIFY(one.contains("CW Type Laser"));
        QCOMPARE(one.mid(one.indexOf("Hz"), 3), (QStringList{"Hz", "kHz", "MHz"}));
        for (int p = 1; p < 10; ++p)
            QCOMPARE(seq.mid(first_page + p * page, page), one);
        const int after_pages = first_page + 10 * page;
        QCOMPARE(seq.at(after_pages), QStringLiteral("TextLabel"));
        QCOMPARE(seq.at(after_pages + 1), QStringLiteral("COM settings"));
        QCOMPARE(seq.mid(seq.size() - 4),
                 (QStringList{"Software version ", "Software version ", "Connection status: DISCONNECTED",
                              "Emission: OFF"}));
        QVERIFY(seq.contains(QString::fromUtf8("Temperature, set: 25.2 \xc2\xb0"
                                               "C")));
        QVERIFY(seq.contains(QStringLiteral(
            "To be able to configure device CAN ID in the device parameters window please make sure that your PC is "
            "connected directly to driver board via mini-USB cable, and \"mini USB mode\" is set below.")));
    }

    // Preset every text holder to a sentinel, run retranslateUi again and see
    // which ones it writes: 1,046 assignments, 136 of them empty.
    void assignments_by_setter_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("assigned");
        QTest::addColumn<int>("empty");
        QTest::newRow("label texts") << "label" << 832 << 2 + 3 + 10 * 1 + 2;
        QTest::newRow("button texts") << "button" << 95 << 4 + 10 * 4 + 1;
        QTest::newRow("progress-bar formats") << "progress format" << 60 << 60;
        QTest::newRow("combo items") << "combo item" << 30 << 0;
        QTest::newRow("group titles") << "group title" << 14 << 2 + 10 + 1;
        QTest::newRow("line-edit texts") << "line edit" << 13 << 0;
        QTest::newRow("plain text") << "plain text" << 1 << 1;
        QTest::newRow("window title") << "window title" << 1 << 0;
        QTest::newRow("all") << "" << 1046 << 136;
    }

    void assignments_by_setter()
    {
        QFETCH(QString, kind);
        QFETCH(int, assigned);
        QFETCH(int, empty);
        built_form f = build();
        const QVector<text_slot> holders = text_slots(f.window.get());
        QVector<QString> before; // what each holder kept of the sentinel (a short field cuts it)
        for (const text_slot &s : holders) {
            write(s, sentinel);
            before << read(s);
            QVERIFY(!before.last().isEmpty());
        }
        recording_translator tr;
        QCoreApplication::installTranslator(&tr);
        f.ui->retranslateUi(f.window.get());
        QCoreApplication::removeTranslator(&tr);

        int n = 0, n_empty = 0;
        for (int i = 0; i < holders.size(); ++i) {
            const text_slot &s = holders[i];
            if (!kind.isEmpty() && s.kind != kind)
                continue;
            const QString now = read(s);
            if (now == before[i])
                continue;
            ++n;
            n_empty += now.isEmpty();
        }
        QCOMPARE(n, assigned);
        QCOMPARE(n_empty, empty);
    }

    // Texts that stay as the form wrote them, typos included.
    void initial_texts_data()
    {
        QTest::addColumn<QString>("object");
        QTest::addColumn<QString>("text");
        QTest::newRow("amplifier current caption") << "label_110" << "Curent value";
        QTest::newRow("amplifier current read-out") << "label_120" << "Cerrent value, read:";
        QTest::newRow("version caption") << "label_91" << "Software version ";
        QTest::newRow("version value") << "version_label" << "Software version ";
        QTest::newRow("frame counter") << "label" << "TextLabel";
        QTest::newRow("baud rate") << "baudrate_edit_line" << "115200";
        QTest::newRow("bps") << "label_7" << "bps";
        QTest::newRow("row 10 index") << "ind_label_10" << "channel 10";
        QTest::newRow("row 6 address") << "addr_6" << "1";
        QTest::newRow("row 1 name") << "edit_name" << "";
        QTest::newRow("row 7 enabled") << "dev_en_7" << "enabled";
        QTest::newRow("apply") << "pushButton" << "Apply system configuration";
        QTest::newRow("unit") << "label_81" << QString::fromUtf8("\xc2\xb0"
                                                                 "C");
        QTest::newRow("tab button, channel 6") << "laser_tab_button_7" << "LASER1";
        QTest::newRow("driver label, channel 10") << "laser_name_label_12" << "CW Type Laser";
    }

    void initial_texts()
    {
        QFETCH(QString, object);
        QFETCH(QString, text);
        built_form f = build();
        QObject *o = f.window->findChild<QObject *>(object);
        QVERIFY2(o, qPrintable(object));
        QCOMPARE(o->property("text").toString(), text);
    }

    void group_titles_and_help()
    {
        built_form f = build();
        QCOMPARE(f.window->windowTitle(), QStringLiteral("Lumatrex"));
        QCOMPARE(f.window->findChild<QGroupBox *>("com_group")->title(), QStringLiteral("COM settings"));
        QVERIFY(f.window->findChild<QGroupBox *>("groupBox")->title().isEmpty());
        auto *help = f.window->findChild<QPlainTextEdit *>("plainTextEdit");
        QVERIFY(help->toPlainText().isEmpty());
        QVERIFY(help->isReadOnly());
    }
};

QTEST_MAIN(tst_form_texts)
#include "tst_form_texts.moc"
