#pragma once

#include <QByteArray>
#include <QComboBox>
#include <QCoreApplication>
#include <QList>
#include <QLocale>
#include <QMainWindow>
#include <QPair>
#include <QSignalSpy>
#include <QWidget>

#include <memory>

#include "channel/laser_object.h"
#include "comm/laser_worker.h"
#include "comm/serial_structs.h"
#include "form_fixture.h"

// Channel controllers on the pages of the real main form. The program keeps
// its controllers and workers for the whole run; a test deletes both.
namespace channel_fixture {

struct controller_deleter {
    void operator()(laser_object *o) const
    {
        delete o->worker;
        delete o;
    }
};
using controller = std::unique_ptr<laser_object, controller_deleter>;

inline QWidget *page(const form_fixture::built_form &form, int index)
{
    return form.window->findChild<QWidget *>(form_fixture::page_widget_name(index));
}

// Every family's output flag of a worker, by the family's short name.
inline QList<QPair<QString, uint8_t *>> output_flags(laser_worker &w)
{
    return {{"cw", &w.cw_record.output_on},
            {"dcdc", &w.dcdc_record.output_on},
            {"power", &w.power_record.output_on},
            {"ps_table", &w.ps_table_record.emission_on},
            {"ps", &w.ps_record.emission_on},
            {"ns_table", &w.ns_table_record.emission_on},
            {"ns", &w.ns_record.emission_on}};
}

inline controller make(QWidget *page_widget, int32_t address = 5)
{
    return controller(new laser_object(nullptr, address, page_widget));
}

// A reply of board 5: the code in d0, v big-endian in d4..d7 (so a flag or
// an enumeration in d7).
inline serial_message_struct reply(uint8_t code, int32_t v = 0)
{
    serial_message_struct m;
    const uint32_t u = uint32_t(v);
    m.can_id = 5;
    m.data[0] = code;
    m.data[1] = 5;
    m.data[4] = (u >> 24) & 0xFF;
    m.data[5] = (u >> 16) & 0xFF;
    m.data[6] = (u >> 8) & 0xFF;
    m.data[7] = u & 0xFF;
    return m;
}

inline void feed(laser_object &ch, uint8_t code, int32_t v = 0)
{
    const serial_message_struct m = reply(code, v);
    ch.handle_rx_can_message(&m);
}

// A script of what reaches a page, in order: "T" a view tick, "99:1500000"
// reply 0x99 carrying 1500000 in d4..d7, "unit:2" the operator choosing
// item 2 of freq_range_combo.
inline void play(laser_object &ch, const QString &script)
{
    for (const QString &step : script.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const QString what = step.section(QLatin1Char(':'), 0, 0);
        const QString value = step.section(QLatin1Char(':'), 1);
        if (step == QLatin1String("T")) {
            ch.view_update();
        } else if (what == QLatin1String("unit")) {
            ch.freq_range_combo->setCurrentIndex(value.toInt());
            emit ch.freq_range_combo->activated(value.toInt());
        } else {
            feed(ch, uint8_t(what.toUInt(nullptr, 16)), value.toInt());
        }
    }
}

// The text of a frame to board 5 with these sixteen hex digits of data.
inline QByteArray sent(const char *data16)
{
    return QByteArray("t0058") + data16 + '\r';
}

// Every frame caught on the worker's transmit signal, in order.
inline QList<QByteArray> frames(const QSignalSpy &spy)
{
    QList<QByteArray> out;
    for (const QList<QVariant> &args : spy)
        out << args.at(0).toByteArray();
    return out;
}

// "18=450": the frame of code 0x18 carrying 450 in d4..d7.
inline QByteArray sent_value(const QString &code_value)
{
    const uint32_t v = uint32_t(code_value.section(QLatin1Char('='), 1).toInt());
    return QByteArray("t0058") + code_value.section(QLatin1Char('='), 0, 0).toLatin1().rightJustified(2, '0') +
           "000000" + QByteArray::number(v, 16).toUpper().rightJustified(8, '0') + '\r';
}

// Each frame three times in a row, as the triple send puts them out.
inline QList<QByteArray> tripled(std::initializer_list<const char *> data)
{
    QList<QByteArray> out;
    for (const char *d : data)
        out << sent(d) << sent(d) << sent(d);
    return out;
}

// The application's default locale while the holder lives, as on a PC set
// up for that country; the widgets take it at once.
struct default_locale {
    explicit default_locale(const QString &name) { apply(QLocale(name)); }
    ~default_locale() { apply(was); }
    static void apply(const QLocale &l)
    {
        QLocale::setDefault(l);
        QEvent change(QEvent::LocaleChange);
        QCoreApplication::sendEvent(QCoreApplication::instance(), &change);
    }
    const QLocale was;
};

} // namespace channel_fixture
