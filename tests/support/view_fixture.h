#pragma once

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <QtTest>

#include "app/resources.h"
#include "support/channel_fixture.h"

// A channel controller on the first page of the real main form, shown
// offscreen, for the page-view tests: the form is built once per test
// program, the controller anew for every test function.
struct view_fixture {
    form_fixture::built_form form;
    channel_fixture::controller ch;
    // Title of every modal box answered so far.
    QStringList box_titles;
    QTimer box_answer;

    void build_form()
    {
        lumatrex_init_resources();
        form = form_fixture::build();
        form.window->show();
        // A box opened by a page in the middle of a tick must not hang a test.
        QObject::connect(&box_answer, &QTimer::timeout, [this] {
            auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            if (!dialog)
                return;
            box_titles << dialog->windowTitle();
            dialog->done(QDialog::Accepted);
        });
        box_answer.start(10);
    }

    void new_channel()
    {
        ch = channel_fixture::make(channel_fixture::page(form, 0));
        ch->channel_name = QStringLiteral("Bench 1");
    }

    // As the reply decoder leaves a change of driver type.
    void change_type(int32_t type)
    {
        ch->worker->device_type = type;
        ch->worker->type_changed = true;
    }

    // Each check reads "object.property=text" for a widget of the first page:
    // "curr_label.text=7.00 A", "curr_spin.enabled=false".
    void expect(std::initializer_list<const char *> checks)
    {
        for (const char *check : checks) {
            const QString c = QString::fromUtf8(check);
            const int dot = c.indexOf(QLatin1Char('.'));
            const int eq = c.indexOf(QLatin1Char('='));
            QObject *o = form.window->findChild<QObject *>(c.left(dot));
            QVERIFY2(o, check);
            const QVariant v = o->property(c.mid(dot + 1, eq - dot - 1).toLatin1().constData());
            QVERIFY2(v.isValid(), check);
            QVERIFY2(v.toString() == c.mid(eq + 1), qPrintable(c + QStringLiteral(", shown: ") + v.toString()));
        }
    }
};
