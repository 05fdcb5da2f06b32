#include "operator_bench.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QThread>
#include <QTimer>
#include <QVector>
#include <QtTest>

#include <cmath>

#include "app/mainwindow.h"
#include "app/resources.h"
#include "channel/laser_object.h"
#include "comm/laser_worker.h"
#include "comm/serial_object.h"
#include "forms/mainwindow_form.h"
#include "params/laser_params.h"
#include "support/bench_settings.h"

namespace {

// A page loads one of the board's set points into its inputs per view tick;
// the NS pages have seven.
constexpr int first_read_ticks = 8;

} // namespace

bool wait_for(const std::function<bool()> &done, int timeout_ms)
{
    return QTest::qWaitFor(done, timeout_ms);
}

QString driver_name(int type)
{
    switch (type) {
    case 8: case 14: return QStringLiteral("CW Driver");
    case 10: case 15: return QStringLiteral("Precision CW Driver");
    case 11: case 16: return QStringLiteral("Power DCDC Driver");
    case 18: return QStringLiteral("Power Torvex-1000");
    case 6: case 21: return QStringLiteral("NS Driver");
    case 13: return QStringLiteral("SOA Driver");
    case 7: case 20: return QStringLiteral("PS Driver");
    default: return QStringLiteral("No device");
    }
}

bool is_pulsed_type(int type)
{
    return type == 6 || type == 7 || type == 13 || type == 20 || type == 21;
}

uint8_t output_code(int type)
{
    return is_pulsed_type(type) ? 0xA2 : 0x90;
}

QString on_off_button_name(int type)
{
    return is_pulsed_type(type) ? QStringLiteral("ps_ns_on_off_butt") : QStringLiteral("cw_on_off_button");
}

QString state_label_name(int type)
{
    return is_pulsed_type(type) ? QStringLiteral("pulse_power_state_label") : QStringLiteral("power_state_label");
}

operator_bench::operator_bench(const QList<int> &board_types) : types(board_types)
{
    lumatrex_init_resources();
    QList<QPair<int, int>> enabled;
    QStringList names;
    for (int i = 0; i < types.size(); ++i) {
        bench.add_board(types[i], i + 1);
        enabled << qMakePair(i + 1, i + 1);
        names << QStringLiteral("Bench %1").arg(i + 1);
    }
    bench.start();
    offer_ports({bench.path()});
    write_bench_settings(enabled, bench.path(), false);
    write_bench_names(names);
    // As main makes them: the parameters window first, then handed over.
    params = std::make_unique<laser_params>();
    window = std::make_unique<MainWindow>();
    window->laser_params_window = params.get();
    window->show();
}

// The window's destructor ends the threads before the bench goes.
operator_bench::~operator_bench() = default;

laser_object *operator_bench::channel(int ch) const
{
    return window->lasers[ch - 1];
}

QWidget *operator_bench::page(int ch) const
{
    return channel(ch)->page;
}

int operator_bench::channel_of(int type) const
{
    return types.indexOf(type) + 1;
}

QString operator_bench::describe(int ch) const
{
    return QStringLiteral("channel %1 (type %2)").arg(ch).arg(type_of(ch));
}

QString operator_bench::connect_by_button()
{
    window->ui->connect_button_2->click();
    if (!wait_for([this] { return window->connected; }))
        return QStringLiteral("no connection within 20 s: ") + window->ui->connection_status_label->text();
    if (window->ui->connection_status_label->text() != QLatin1String("Connection status: CONNECTED"))
        return QStringLiteral("status reads ") + window->ui->connection_status_label->text();
    // The window starts with every page folded; the operator opens them.
    for (int ch = 1; ch <= channels(); ++ch) {
        laser_object *c = channel(ch);
        if (c->laser_group->isHidden())
            QTest::mouseClick(c->laser_tab_button, Qt::LeftButton);
        if (c->laser_group->isHidden())
            return describe(ch) + QStringLiteral(": its tab does not unfold the page");
    }
    return QString();
}

QString operator_bench::wait_pages_ready()
{
    const auto all_named = [this] {
        for (int ch = 1; ch <= channels(); ++ch)
            if (channel(ch)->laser_name_label->text() != driver_name(type_of(ch)))
                return false;
        return true;
    };
    if (!wait_for(all_named, 30000)) {
        for (int ch = 1; ch <= channels(); ++ch) {
            const QString shown = channel(ch)->laser_name_label->text();
            if (shown != driver_name(type_of(ch)))
                return describe(ch) + QStringLiteral(": page names \"") + shown + QStringLiteral("\"");
        }
    }
    QSignalSpy ticks(window->view_update_timer, &QTimer::timeout);
    if (!wait_for([&] { return ticks.count() >= first_read_ticks; }))
        return QStringLiteral("the view ticks stopped");
    is_ready = true;
    return QString();
}

QString operator_bench::enter(int ch, const QString &input, const QString &entry)
{
    QWidget *w = widget(ch, input);
    const QString what = describe(ch) + QLatin1String(": ") + input + QLatin1String(" \"") + entry + QLatin1Char('"');
    if (!w)
        return what + QStringLiteral(": no such input");
    if (!wait_for([w] { return w->isVisible() && w->isEnabled(); }))
        return what + QStringLiteral(": input not offered (hidden or disabled)");
    if (auto *combo = qobject_cast<QComboBox *>(w)) {
        const int index = combo->findText(entry);
        if (index < 0)
            return what + QStringLiteral(": not in the list");
        combo->setCurrentIndex(index);
        emit combo->activated(index);
        return QString();
    }
    auto *spin = qobject_cast<QDoubleSpinBox *>(w);
    if (!spin)
        return what + QStringLiteral(": not an input");
    const QStringList parts = entry.split(QLatin1Char(' '));
    if (parts.size() == 2) {
        const QString unit_error = enter(ch, QStringLiteral("freq_range_combo"), parts[1]);
        if (!unit_error.isEmpty())
            return unit_error;
    }
    bool ok = false;
    const double value = parts[0].toDouble(&ok);
    if (!ok)
        return what + QStringLiteral(": not a number");
    spin->setValue(value);
    if (spin->value() != value)
        return what + QStringLiteral(": the box takes only %1 (%2 to %3)")
                          .arg(spin->value())
                          .arg(spin->minimum())
                          .arg(spin->maximum());
    QTest::keyClick(spin, Qt::Key_Return);
    return QString();
}

QString operator_bench::board_holds(int ch, uint8_t read_code, double value) const
{
    const sim_board &b = board(ch);
    const auto held = [&] { return std::fabs(b.value(read_code) - value) <= 1e-6 * std::max(1.0, std::fabs(value)); };
    if (wait_for(held))
        return QString();
    return describe(ch) + QStringLiteral(": board holds %1 under 0x%2 after 20 s, expected %3")
                              .arg(b.value(read_code), 0, 'g', 10)
                              .arg(read_code, 2, 16, QLatin1Char('0'))
                              .arg(value, 0, 'g', 10);
}

QString operator_bench::page_shows(int ch, const QString &name, const QString &text) const
{
    QWidget *w = widget(ch, name);
    if (!w)
        return describe(ch) + QStringLiteral(": no ") + name;
    const auto shown = [w] { return w->property("text").toString(); };
    if (wait_for([&] { return shown() == text; }))
        return QString();
    return describe(ch) + QStringLiteral(": %1 shows \"%2\" after 20 s, expected \"%3\"").arg(name, shown(), text);
}

QString operator_bench::click_and_wait(int ch, const std::function<void()> &clicks)
{
    // The output command: the output's read code without its read bit.
    const uint32_t set_code = output_code(type_of(ch)) & 0x7F;
    const sim_board &b = board(ch);
    const int read_before = b.received(uint8_t(set_code));
    int sent = 0;
    // Counted as the page hands its frames to the link. The worker's own
    // requests, sent from its thread, are left out there without touching
    // anything of this function, which may have returned meanwhile.
    QThread *const gui = QThread::currentThread();
    QObject scope;
    QObject::connect(
        channel(ch)->worker, &laser_worker::thread_serial_write, &scope,
        [gui, set_code, &sent](const QByteArray &frame) {
            if (QThread::currentThread() == gui && frame.mid(5, 2).toUInt(nullptr, 16) == set_code)
                ++sent;
        },
        Qt::DirectConnection);
    clicks();
    if (wait_for([&] { return b.received(uint8_t(set_code)) >= read_before + sent; }))
        return QString();
    return describe(ch) + QStringLiteral(": the board read %1 of the %2 output frames sent")
                              .arg(b.received(uint8_t(set_code)) - read_before)
                              .arg(sent);
}

QString operator_bench::switch_output(int ch, bool on)
{
    const int type = type_of(ch);
    if ((board(ch).value(output_code(type)) != 0) != on) {
        auto *button = widget<QPushButton>(ch, on_off_button_name(type));
        if (!button || !button->isVisible() || !button->isEnabled())
            return describe(ch) + QStringLiteral(": no on/off button offered");
        const QString read = click_and_wait(ch, [button] { button->click(); });
        if (!read.isEmpty())
            return read;
    }
    return output_shows(ch, on);
}

QString operator_bench::output_shows(int ch, bool on) const
{
    const int type = type_of(ch);
    const QString held = board_holds(ch, output_code(type), on ? 1 : 0);
    if (!held.isEmpty())
        return held;
    return page_shows(ch, state_label_name(type), on ? QStringLiteral("ON") : QStringLiteral("OFF"));
}

QString operator_bench::connect_and_fill(const QList<board_reading> &readings, int max_passes)
{
    for (const board_reading &r : readings)
        board(channel_of(r.type)).set_value(r.read_code, r.value);
    const auto tab_prefix = [this](int ch) {
        return QStringLiteral("Bench %1 (").arg(ch) + driver_name(type_of(ch)) + QLatin1Char(' ');
    };
    const auto page_filled = [&](int ch) {
        for (const board_reading &r : readings)
            if (channel_of(r.type) == ch &&
                widget(ch, QLatin1String(r.label))->property("text").toString() != QString::fromUtf8(r.text))
                return false;
        return channel(ch)->laser_tab_button->text().startsWith(tab_prefix(ch));
    };
    // The board's passes as the window has read them: the one whose type
    // reply it took first, then each whole pass that asked for more (up to
    // the next type reply). What the board answered meanwhile, the passes
    // its worker began before the window had read the type and a view tick
    // held back, all vary with the machine's load; these do not.
    struct passes_read
    {
        int count = 0;
        bool asked_more = false;
        bool type_taken = false;
        bool filled = false;
    };
    // The window receives the watch, not a local object: a receiver
    // destroyed while the serial thread emits to it can leave the slot
    // unfreed. The watch goes quiet at the return and ends with the window.
    struct pass_watch
    {
        QVector<passes_read> read;
        bool live = true;
    };
    const auto watch = std::make_shared<pass_watch>();
    watch->read.resize(channels() + 1);
    QVector<passes_read> &read = watch->read;
    const struct end_watch {
        pass_watch &w;
        ~end_watch() { w.live = false; }
    } end_at_return{*watch};
    QString late;
    QObject scope;
    // Both run after the window's own slots, connected when it was made.
    QObject::connect(window->serial_obj, &serial_object::sig_serial_rx_can_message, window.get(),
                     [this, watch](serial_message_struct m) {
                         // Board k answers from CAN address k, in d1.
                         const int ch = int(m.data[1]);
                         if (!watch->live || ch < 1 || ch > channels())
                             return;
                         passes_read &p = watch->read[ch];
                         if (m.data[0] == 0xD0 && p.count == 0) {
                             p.count = 1;
                             p.type_taken = channel(ch)->worker->device_type.load() == type_of(ch);
                         } else if (m.data[0] == 0xD0 && p.asked_more) {
                             ++p.count;
                             p.asked_more = false;
                         } else if (m.data[0] != 0xD0 && m.data[0] != 0xD1 && p.count > 0) {
                             p.asked_more = true;
                         }
                     });
    QObject::connect(window->view_update_timer, &QTimer::timeout, &scope, [&] {
        for (int ch = 1; ch <= channels(); ++ch) {
            passes_read &p = read[ch];
            if (p.filled || p.count < max_passes)
                continue;
            p.filled = page_filled(ch);
            if (!p.filled && late.isEmpty())
                late = describe(ch) + QStringLiteral(": page not filled at the view tick after the window read "
                                                     "%1 of the board's passes")
                                          .arg(p.count);
        }
    });
    const QString up = connect_by_button();
    if (!up.isEmpty())
        return up;
    const auto filled = [&] {
        for (int ch = 1; ch <= channels(); ++ch)
            if (!page_filled(ch))
                return false;
        return true;
    };
    if (!wait_for(filled, 30000)) {
        for (const board_reading &r : readings) {
            const int ch = channel_of(r.type);
            const QString shown = page_shows(ch, QLatin1String(r.label), QString::fromUtf8(r.text));
            if (!shown.isEmpty())
                return shown + QStringLiteral(" (board value %1)").arg(r.value);
        }
        for (int ch = 1; ch <= channels(); ++ch)
            if (!channel(ch)->laser_tab_button->text().startsWith(tab_prefix(ch)))
                return describe(ch) + QStringLiteral(": tab reads \"%1\"").arg(channel(ch)->laser_tab_button->text());
    }
    for (int ch = 1; ch <= channels(); ++ch)
        if (!read[ch].type_taken)
            return describe(ch) + QStringLiteral(": the window did not take the type from the board's first reply");
    if (!late.isEmpty())
        return late;
    return wait_pages_ready();
}

QString operator_bench::set_point(int ch, const QString &prepare, const QString &input, const QString &entry,
                                  uint8_t read_code, double held, const QString &label, const QString &text)
{
    const bool with_output = prepare == QLatin1String("on");
    QString error;
    if (with_output)
        error = switch_output(ch, true);
    if (error.isEmpty())
        error = enter(ch, input, entry);
    if (error.isEmpty())
        error = board_holds(ch, read_code, held);
    if (error.isEmpty())
        error = page_shows(ch, label, text);
    const QString off = with_output ? switch_output(ch, false) : QString();
    if (!error.isEmpty())
        return error + QStringLiteral(" (entered \"%1\" in %2)").arg(entry, input);
    return off;
}

QString operator_bench::output_follows(int ch, int clicks)
{
    Ui_MainWindow *ui = window->ui;
    const auto indicator = [ui](bool on) {
        return ui->emitting_label->text() == (on ? QLatin1String("Emission: ON") : QLatin1String("Emission: OFF")) &&
               ui->emit_on->isHidden() != on && ui->emit_off->isHidden() == on;
    };
    const auto indicator_shows = [&](bool on) {
        if (wait_for([&] { return indicator(on); }))
            return QString();
        return describe(ch) + QStringLiteral(": output %1, status strip reads \"%2\"")
                                  .arg(on ? QLatin1String("on") : QLatin1String("off"), ui->emitting_label->text());
    };
    if (clicks > 1) {
        // From off, each click queued to arrive inside the waits of the one
        // before. Once the board has read every output frame they sent, it
        // holds the last one.
        const int type = type_of(ch);
        const bool on = clicks % 2 == 1;
        QString error = switch_output(ch, false);
        auto *button = widget<QPushButton>(ch, on_off_button_name(type));
        const QString read = click_and_wait(ch, [&] {
            for (int k = 1; k < clicks; ++k)
                QMetaObject::invokeMethod(button, "click", Qt::QueuedConnection);
            button->click();
        });
        if (error.isEmpty())
            error = read;
        if (error.isEmpty())
            error = board_holds(ch, output_code(type), on ? 1 : 0);
        if (error.isEmpty())
            error = page_shows(ch, state_label_name(type), on ? QStringLiteral("ON") : QStringLiteral("OFF"));
        if (error.isEmpty())
            error = indicator_shows(on);
        const QString off = switch_output(ch, false);
        return error.isEmpty() ? off : error + QStringLiteral(" after %1 quick clicks").arg(clicks);
    }
    for (const bool on : {true, false}) {
        QString step = switch_output(ch, on);
        if (step.isEmpty())
            step = indicator_shows(on);
        if (!step.isEmpty())
            return step;
    }
    return QString();
}

void set_point_columns()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("prepare");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("entry");
    QTest::addColumn<int>("code");
    QTest::addColumn<double>("held");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("text");
}

QString set_point_row(operator_bench &b)
{
    if (!b.ready())
        return QStringLiteral("the pages never filled");
    QFETCH(int, type);
    QFETCH(QString, prepare);
    QFETCH(QString, input);
    QFETCH(QString, entry);
    QFETCH(int, code);
    QFETCH(double, held);
    QFETCH(QString, label);
    QFETCH(QString, text);
    return b.set_point(b.channel_of(type), prepare, input, entry, uint8_t(code), held, label, text);
}
