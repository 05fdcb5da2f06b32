// Every label of the main form shows its whole text at the program's font:
// a label whose width the form fixes (the settings rows' "channel 10", say)
// must not be cut on a desktop whose default font is larger than the one the
// form was drawn for.

#include <QApplication>
#include <QFont>
#include <QLabel>
#include <QStackedWidget>
#include <QtTest>

#include "app/program_font.h"
#include "app/resources.h"
#include "form_fixture.h"

class tst_label_widths : public QObject {
    Q_OBJECT

    form_fixture::built_form form;

    // Labels that cannot show their whole text, each with both widths.
    static QStringList clipped(QWidget *root, QWidget *skip)
    {
        QStringList out;
        for (QLabel *label : root->findChildren<QLabel *>()) {
            if (label->text().isEmpty() || !label->isVisibleTo(root->window()))
                continue;
            if (skip && skip->isAncestorOf(label))
                continue;
            // A wrapping label needs room for its longest word only.
            const int needs = label->wordWrap() ? label->minimumSizeHint().width() : label->sizeHint().width();
            if (needs > label->width())
                out << QStringLiteral("%1 \"%2\": needs %3 px, has %4")
                           .arg(label->objectName(), label->text())
                           .arg(needs)
                           .arg(label->width());
        }
        return out;
    }

private slots:
    // What the program does at start, on a desktop whose default is 9 points.
    void initTestCase()
    {
        QFont desktop = QApplication::font();
        desktop.setPointSize(9);
        QApplication::setFont(desktop);
        apply_program_font();
        lumatrex_init_resources();
        form = form_fixture::build();
        form.window->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.window.get()));
    }

    // Never larger than the form's 8 points, a fitting default kept as it is.
    void program_font_data()
    {
        QTest::addColumn<QFont>("platform_default");
        QTest::addColumn<bool>("kept");
        QFont larger = QApplication::font();
        larger.setPointSize(12);
        QFont desktop = larger;
        desktop.setPointSize(9);
        QFont small = larger;
        small.setPointSize(6);
        QFont pixels = larger;
        pixels.setPixelSize(40);
        QTest::newRow("12 pt taken down") << larger << false;
        QTest::newRow("9 pt taken down") << desktop << false;
        QTest::newRow("6 pt kept") << small << true;
        QTest::newRow("40 px taken down") << pixels << false;
    }

    void program_font()
    {
        QFETCH(QFont, platform_default);
        QFETCH(bool, kept);
        const QFont before = QApplication::font();
        QApplication::setFont(platform_default);
        apply_program_font();
        const QFont after = QApplication::font();
        QApplication::setFont(before);
        QCOMPARE(after.family(), platform_default.family());
        if (kept) {
            QCOMPARE(after, platform_default);
        } else {
            QVERIFY(after.pointSizeF() > 0);
            QVERIFY(after.pointSizeF() <= 8.0);
        }
    }

    void labels_fit_data()
    {
        QTest::addColumn<int>("page");
        QTest::newRow("seed-laser page") << 0;
        QTest::newRow("channel list with its ten pages") << 1;
        QTest::newRow("settings page") << 2;
        QTest::newRow("help page") << 3;
        QTest::newRow("top bar, version row and status strip") << -1;
    }

    void labels_fit()
    {
        QFETCH(int, page);
        Ui_MainWindow &ui = *form.ui;
        QWidget *root = page < 0 ? ui.centralWidget : ui.stackedWidget->widget(page);
        if (page >= 0)
            ui.stackedWidget->setCurrentIndex(page);
        // The stack shows one page at a time; a page is laid out once shown.
        QApplication::processEvents();
        const QStringList cut = clipped(root, page < 0 ? ui.stackedWidget : nullptr);
        QVERIFY2(cut.isEmpty(), qPrintable(cut.join(QLatin1String("; "))));
    }
};

QTEST_MAIN(tst_label_widths)
#include "tst_label_widths.moc"
