#include <QtTest>

#include <QElapsedTimer>
#include <QMutex>
#include <QVector>
#include <algorithm>
#include <atomic>
#include <memory>

#include "comm/laser_worker.h"

// The polling worker against a collector of the frames it emits. The
// collector is connected directly, so it runs on the worker thread right
// after each emission and stamps it with a monotonic clock.
namespace {

constexpr qint64 ms = 1000000; // nanoseconds

struct stamped_frame
{
    qint64 t_ns;
    QByteArray frame;
};

// The log's contents live as long as the worker's connections to it, so a
// worker still polling while its test ends never writes into freed memory.
struct log_state
{
    QElapsedTimer clock;
    QMutex mutex;
    QVector<stamped_frame> frames;
    std::atomic<qint64> finished_ns{-1};
    // Called on the worker thread with the number of frames so far.
    std::function<void(int)> on_frame;
};

class frame_log
{
public:
    explicit frame_log(laser_worker &w) : state(std::make_shared<log_state>()), on_frame(state->on_frame),
                                          finished_ns(state->finished_ns)
    {
        state->clock.start();
        std::shared_ptr<log_state> s = state;
        QObject::connect(&w, &laser_worker::thread_serial_write, [s](const QByteArray &f) {
            int n;
            {
                QMutexLocker lock(&s->mutex);
                s->frames.append({s->clock.nsecsElapsed(), f});
                n = s->frames.size();
            }
            if (s->on_frame)
                s->on_frame(n);
        });
        QObject::connect(&w, &QThread::finished, [s] { s->finished_ns = s->clock.nsecsElapsed(); });
    }

    qint64 now_ns() const { return state->clock.nsecsElapsed(); }
    QVector<stamped_frame> snapshot() const
    {
        QMutexLocker lock(&state->mutex);
        return state->frames;
    }
    int count() const
    {
        QMutexLocker lock(&state->mutex);
        return state->frames.size();
    }
    // The passes seen so far: each polled pass begins with the device-type
    // request, which no list repeats.
    QVector<QVector<stamped_frame>> passes() const
    {
        QVector<QVector<stamped_frame>> out;
        const QVector<stamped_frame> all = snapshot();
        for (int i = 0; i < all.size(); ++i) {
            if (i == 0 || all[i].frame.mid(5, 2) == "D0")
                out.append(QVector<stamped_frame>());
            out.last().append(all[i]);
        }
        return out;
    }
    static QList<QByteArray> texts(const QVector<stamped_frame> &pass)
    {
        QList<QByteArray> out;
        for (const stamped_frame &f : pass)
            out << f.frame;
        return out;
    }

    std::shared_ptr<log_state> state;
    // Set before the worker starts.
    std::function<void(int)> &on_frame;
    std::atomic<qint64> &finished_ns;
    qint64 started_ns = 0;
};

// One request or command as the host sends it: d1..d6 are 0.
QByteArray frame(int id, int code, int d7 = 0)
{
    return QString::asprintf("t%03X8%02X000000000000%02X\r", id, code, d7).toLatin1();
}

// Addresses of the seven records, all different, so each frame shows which
// record built it.
enum { cw_id = 0x11, ps_table_id = 0x17, ns_table_id = 0x16, dcdc_id = 0x1B,
       power_id = 0x12, ps_id = 0x14, ns_id = 0x15 };

void give_addresses(laser_worker &w)
{
    w.cw_record.can_address = cw_id;
    w.ps_table_record.can_address = ps_table_id;
    w.ns_table_record.can_address = ns_table_id;
    w.dcdc_record.can_address = dcdc_id;
    w.power_record.can_address = power_id;
    w.ps_record.can_address = ps_id;
    w.ns_record.can_address = ns_id;
}

const int tec_on = 0x121; // marks the 0x21 command with value 1 in the lists below

QList<QByteArray> frames_of(int id, const QList<int> &codes)
{
    QList<QByteArray> out;
    for (int c : codes)
        out << (c == tec_on ? frame(id, 0x21, 1) : frame(id, c));
    return out;
}

QList<QByteArray> expected_pass(int type, bool main, bool detail)
{
    QList<QByteArray> out;
    if (!main && !detail)
        return out;
    out << frame(cw_id, 0xD0) << frame(cw_id, 0xD1);
    const QList<int> cw_detail = {0x96, 0x95, 0x97, 0xA5, 0xA6, 0xB7, 0xB6, 0xB3};
    const QList<int> pulsed_detail = {0x96, 0x95, 0x97, 0xA5, 0xA6, 0xB7, 0xB6};
    const QList<int> cw_main = {0x90, 0xA4, tec_on, 0x91, 0x92, 0x94, 0xA5, 0xA6, 0xB7, 0xB6, 0xB3};
    const QList<int> cw_main_faults = {0x90, 0xA4, tec_on, 0x91, 0x92, 0xB0, 0x94, 0xA5, 0xA6, 0xB7, 0xB6, 0xB3};
    const QList<int> ps_main = {0xA4, tec_on, 0xA2, 0x98, 0x92, 0xB4, 0x99, 0xB5, 0xA5, 0xA6, 0xB7, 0xB6};
    const QList<int> ns_table_main = {0xA4, tec_on, 0xA2, 0x98, 0x92, 0xB4, 0x99, 0xB5, 0xA3, 0xA5, 0xA6, 0xB7, 0xB6};
    const QList<int> ns_main = {0xA4, tec_on, 0xA2, 0x98, 0x92, 0xB4, 0x99, 0xB5, 0xA5, 0xA6, 0xB7, 0xB6, 0xA3};
    const QList<int> dcdc_main = {0x90, 0x91, 0x92, 0xB0, 0xA6, 0x94};
    const QList<int> qcw_main = {0x90, 0x91, 0x92, 0xB0, 0xA6, 0x94, 0xA4, 0x99, 0xA3};
    const QList<int> power_main = {0x91, 0xB0, 0xA4, 0x90, 0x92, 0x94, 0xA6};
    switch (type) {
    case 8: case 10: out += frames_of(cw_id, detail ? cw_detail : cw_main); break;
    case 14: case 15: out += frames_of(cw_id, detail ? cw_detail : cw_main_faults); break;
    case 7: out += frames_of(ps_table_id, detail ? pulsed_detail : ps_main); break;
    case 20: out += frames_of(ps_id, detail ? pulsed_detail : ps_main); break;
    case 6: case 13: out += frames_of(ns_table_id, detail ? pulsed_detail : ns_table_main); break;
    case 21: out += frames_of(ns_id, detail ? pulsed_detail : ns_main); break;
    case 11: if (!detail) out += frames_of(dcdc_id, dcdc_main); break;
    case 16: if (!detail) out += frames_of(dcdc_id, qcw_main); break;
    case 18: out += frames_of(power_id, detail ? QList<int>{0xA5} : power_main); break;
    default: break;
    }
    return out;
}

struct list_case
{
    QByteArray name;
    int type;
    bool main;
    bool detail;
};

QVector<list_case> list_cases()
{
    QVector<list_case> out;
    for (int type : {6, 7, 8, 10, 11, 13, 14, 15, 16, 18, 20, 21}) {
        const QByteArray t = QByteArray::number(type);
        out.append({"type " + t + " main", type, true, false});
        out.append({"type " + t + " detail", type, false, true});
        out.append({"type " + t + " detail wins over main", type, true, true});
    }
    for (int type : {0, -1, 9, 99, 255})
        out.append({"no device " + QByteArray::number(type), type, true, false});
    return out;
}

qint64 median(QVector<qint64> v)
{
    std::sort(v.begin(), v.end());
    return v.isEmpty() ? 0 : v[v.size() / 2];
}

QVector<qint64> gaps_of(const QVector<stamped_frame> &pass)
{
    QVector<qint64> out;
    for (int i = 1; i < pass.size(); ++i)
        out << pass[i].t_ns - pass[i - 1].t_ns;
    return out;
}

} // namespace

class tst_laser_worker : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void request_lists_data();
    void request_lists();
    void starts_idle_with_records_in_order();
    void no_poll_mode_sends_nothing_but_keeps_looping();
    void mini_usb_gap_chosen_per_pass();
    void stop_in_mid_pass_finishes_the_pass();
    void stop_and_start_within_a_pass_keeps_the_thread();
    void stop_during_first_sleep_sends_nothing();
    void start_while_the_loop_is_ending_resumes_polling();
    void racing_stop_and_start_leaves_workers_polling();
    void identifier_follows_can_address();
    void type_read_again_for_faults_and_qcw_requests();

private:
    // One worker per request-list case, all polling at once, so the 2 s start
    // delay is waited for only once.
    QVector<std::shared_ptr<laser_worker>> list_workers;
    QVector<std::shared_ptr<frame_log>> list_logs;
};

void tst_laser_worker::initTestCase()
{
    for (const list_case &c : list_cases()) {
        auto w = std::make_shared<laser_worker>();
        give_addresses(*w);
        w->device_type = c.type;
        w->main_poll = c.main;
        w->detail_poll = c.detail;
        auto log = std::make_shared<frame_log>(*w);
        list_workers << w;
        list_logs << log;
    }
    for (int i = 0; i < list_workers.size(); ++i) {
        list_logs[i]->started_ns = list_logs[i]->now_ns();
        list_workers[i]->start_polling();
    }
}

void tst_laser_worker::cleanupTestCase()
{
    for (auto &w : list_workers)
        w->stop_polling();
    list_logs.clear();
    list_workers.clear(); // the destructor waits for each loop to end
}

void tst_laser_worker::request_lists_data()
{
    QTest::addColumn<int>("index");
    const QVector<list_case> cases = list_cases();
    for (int i = 0; i < cases.size(); ++i)
        QTest::newRow(cases[i].name.constData()) << i;
}

void tst_laser_worker::request_lists()
{
    QFETCH(int, index);
    const list_case c = list_cases()[index];
    frame_log &log = *list_logs[index];

    // Two passes seen means the first one is complete.
    QTRY_VERIFY_WITH_TIMEOUT(log.passes().size() >= 2, 20000);
    const QVector<QVector<stamped_frame>> passes = log.passes();
    const QList<QByteArray> expected = expected_pass(c.type, c.main, c.detail);
    QCOMPARE(frame_log::texts(passes[0]), expected);
    // The second pass (still under way) repeats it.
    QCOMPARE(frame_log::texts(passes[1]), expected.mid(0, passes[1].size()));

    // Nothing for the first 2000 ms.
    QVERIFY2(passes[0][0].t_ns - log.started_ns >= 2000 * ms,
             qPrintable(QString::number((passes[0][0].t_ns - log.started_ns) / 1e6)));
    // Frames at least 15 ms apart (the worker sleeps after each one), and
    // 15 ms rather than the mini-USB 50 ms.
    const QVector<qint64> gaps = gaps_of(passes[0]);
    for (qint64 g : gaps)
        QVERIFY2(g >= 15 * ms - ms / 10, qPrintable(QString::number(g / 1e6)));
    if (!gaps.isEmpty())
        QVERIFY(median(gaps) < 45 * ms);
    // After the last frame: its gap, then the 300 ms sleep.
    QVERIFY(passes[1][0].t_ns - passes[0].last().t_ns >= 315 * ms - ms / 10);

    // Each output or emission request is counted before it leaves.
    const auto state_requests = [&log] {
        int n = 0;
        for (const stamped_frame &f : log.snapshot())
            n += f.frame.mid(5, 2) == "90" || f.frame.mid(5, 2) == "A2";
        return n;
    };
    const int before = state_requests();
    const int counted = int(list_workers[index]->output_polls.load());
    QVERIFY2(counted >= before && counted <= state_requests() + 1,
             qPrintable(QStringLiteral("%1 counted, %2 sent").arg(counted).arg(before)));
}

void tst_laser_worker::starts_idle_with_records_in_order()
{
    laser_worker w;
    QVERIFY(!w.running && !w.detail_poll && !w.main_poll && !w.mini_usb);
    QVERIFY(!w.type_changed && !w.heartbeat);
    QCOMPARE(w.device_type.load(), 0);
    QCOMPARE(w.device_address.load(), 0);
    QVERIFY(!w.isRunning());
    static_assert(sizeof(w.running) == 1 && sizeof(w.mini_usb) == 1, "byte flags");
    static_assert(sizeof(w.device_type) == 4 && sizeof(w.device_address) == 4, "32-bit numbers");
    const auto at = [&w](const void *p) { return static_cast<const char *>(p) - reinterpret_cast<const char *>(&w); };
    QVERIFY(at(&w.cw_record) < at(&w.ps_table_record));
    QVERIFY(at(&w.ps_table_record) < at(&w.ns_table_record));
    QVERIFY(at(&w.ns_table_record) < at(&w.dcdc_record));
    QVERIFY(at(&w.dcdc_record) < at(&w.power_record));
    QVERIFY(at(&w.power_record) < at(&w.ps_record));
    QVERIFY(at(&w.ps_record) < at(&w.ns_record));
}

void tst_laser_worker::no_poll_mode_sends_nothing_but_keeps_looping()
{
    laser_worker w;
    give_addresses(w);
    w.device_type = 8;
    frame_log log(w);
    w.start_polling();
    // Let it run well past the start delay and several passes.
    QTest::qWait(3000);
    QCOMPARE(log.count(), 0);
    QVERIFY(w.isRunning());
    // The loop is alive: setting the mode makes the next pass send.
    w.main_poll = true;
    QTRY_VERIFY_WITH_TIMEOUT(log.count() >= 2, 5000);
    QCOMPARE(log.snapshot()[0].frame, QByteArray("t0118D000000000000000\r"));
    QCOMPARE(log.snapshot()[1].frame, QByteArray("t0118D100000000000000\r"));
}

void tst_laser_worker::mini_usb_gap_chosen_per_pass()
{
    laser_worker w;
    give_addresses(w);
    w.device_type = 8;
    w.main_poll = true;
    frame_log log(w);
    // Switched on in the middle of the first pass: that pass keeps 15 ms.
    log.on_frame = [&w](int n) { if (n == 3) w.mini_usb = true; };
    w.start_polling();
    QTRY_VERIFY_WITH_TIMEOUT(log.passes().size() >= 3, 20000);
    const auto passes = log.passes();
    QCOMPARE(passes[0].size(), 13);
    QCOMPARE(passes[1].size(), 13);
    QVERIFY(median(gaps_of(passes[0])) < 45 * ms);
    for (qint64 g : gaps_of(passes[1]))
        QVERIFY2(g >= 50 * ms - ms / 10, qPrintable(QString::number(g / 1e6)));
    // Switched off again: back to 15 ms from the following pass.
    w.mini_usb = false;
    const int seen = log.passes().size();
    QTRY_VERIFY_WITH_TIMEOUT(log.passes().size() >= seen + 2, 20000);
    QVERIFY(median(gaps_of(log.passes()[seen])) < 45 * ms);
}

void tst_laser_worker::stop_in_mid_pass_finishes_the_pass()
{
    laser_worker w;
    give_addresses(w);
    w.device_type = 14;
    w.main_poll = true;
    frame_log log(w);
    log.on_frame = [&w](int n) { if (n == 4) w.stop_polling(); };
    w.start_polling();
    QTRY_VERIFY_WITH_TIMEOUT(w.isFinished(), 20000);
    const auto all = log.snapshot();
    QCOMPARE(frame_log::texts(all), expected_pass(14, true, false));
    // The rest of the pass, its last gap and the 300 ms sleep, then the end.
    QVERIFY(log.finished_ns.load() - all.last().t_ns >= 315 * ms - ms / 10);
    QTest::qWait(500);
    QCOMPARE(log.count(), all.size());
}

void tst_laser_worker::stop_and_start_within_a_pass_keeps_the_thread()
{
    laser_worker w;
    give_addresses(w);
    w.device_type = 8;
    w.main_poll = true;
    frame_log log(w);
    log.on_frame = [&w](int n) { if (n == 1) w.stop_polling(); };
    w.start_polling();
    QTRY_VERIFY_WITH_TIMEOUT(log.count() >= 2, 10000);
    w.start_polling(); // before the pass ends
    QTRY_VERIFY_WITH_TIMEOUT(log.passes().size() >= 2, 10000);
    const auto passes = log.passes();
    QCOMPARE(passes[0].size(), 13);
    // The same thread goes on: no new 2000 ms start delay between the passes.
    QVERIFY(passes[1][0].t_ns - passes[0].last().t_ns < 1500 * ms);
    QCOMPARE(log.finished_ns.load(), qint64(-1));
}

void tst_laser_worker::stop_during_first_sleep_sends_nothing()
{
    laser_worker w;
    give_addresses(w);
    w.main_poll = true;
    frame_log log(w);
    w.start_polling();
    w.stop_polling();
    QTRY_VERIFY_WITH_TIMEOUT(w.isFinished(), 10000);
    QVERIFY(log.finished_ns.load() >= 2000 * ms);
    QCOMPARE(log.count(), 0);
}

namespace {

// Holds its thread right after the poll loop has returned (its last look at
// running done, the thread not yet finishing) until running is set again.
class held_worker : public laser_worker
{
public:
    ~held_worker() override
    {
        ending = true;
        stop_polling();
        wait(); // before this part of the object goes
    }
    std::atomic<bool> ending{false};

protected:
    void run() override
    {
        laser_worker::run();
        if (ending.exchange(true))
            return;
        QElapsedTimer t;
        t.start();
        while (!running && t.elapsed() < 10000)
            QThread::usleep(100);
    }
};

} // namespace

void tst_laser_worker::start_while_the_loop_is_ending_resumes_polling()
{
    held_worker w;
    give_addresses(w);
    w.main_poll = true;
    frame_log log(w);
    log.on_frame = [&w](int n) { if (n == 1) w.stop_polling(); };
    w.start_polling();
    QTRY_VERIFY_WITH_TIMEOUT(w.ending.load(), 10000);
    QCOMPARE(log.count(), 2);
    QVERIFY(w.isRunning());
    w.start_polling();
    QVERIFY(w.running);
    // Polling resumes: a new pass arrives and the thread runs.
    QTRY_VERIFY_WITH_TIMEOUT(log.count() >= 4, 10000);
    QVERIFY(w.isRunning());
    QCOMPARE(log.snapshot()[2].frame, frame(cw_id, 0xD0));
}

void tst_laser_worker::racing_stop_and_start_leaves_workers_polling()
{
    // Ten workers with short passes; stop and start are fired at them at
    // random moments for several seconds, crossing many pass ends.
    std::vector<std::unique_ptr<laser_worker>> workers;
    std::vector<std::unique_ptr<frame_log>> logs;
    for (int i = 0; i < 10; ++i) {
        workers.push_back(std::make_unique<laser_worker>());
        give_addresses(*workers.back());
        workers.back()->main_poll = true;
        logs.push_back(std::make_unique<frame_log>(*workers.back()));
        workers.back()->start_polling();
    }
    QTRY_VERIFY_WITH_TIMEOUT(std::all_of(logs.begin(), logs.end(), [](const auto &l) { return l->count() > 0; }), 10000);
    QRandomGenerator rng(12345);
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 4000) {
        laser_worker &w = *workers[rng.bounded(10)];
        w.stop_polling();
        QThread::usleep(rng.bounded(3000));
        w.start_polling();
        QThread::usleep(rng.bounded(1000));
    }
    std::vector<int> before;
    for (auto &l : logs)
        before.push_back(l->count());
    for (size_t i = 0; i < workers.size(); ++i) {
        QVERIFY(workers[i]->running);
        QTRY_VERIFY_WITH_TIMEOUT(logs[i]->count() > before[i] + 2, 10000);
        QVERIFY(workers[i]->isRunning());
    }
}

void tst_laser_worker::identifier_follows_can_address()
{
    laser_worker w;
    give_addresses(w);
    w.device_type = 20;
    w.main_poll = true;
    frame_log log(w);
    // Changed right after the 5th frame: from the 6th on, the new address.
    log.on_frame = [&w](int n) {
        if (n == 5) {
            w.ps_record.can_address = 0x2A;
            w.cw_record.can_address = 0x7F0;
        }
    };
    w.start_polling();
    QTRY_VERIFY_WITH_TIMEOUT(log.passes().size() >= 2 && log.passes()[1].size() >= 3, 20000);
    const auto passes = log.passes();
    const QList<QByteArray> first = frame_log::texts(passes[0]);
    QList<QByteArray> expected = expected_pass(20, true, false);
    for (int i = 5; i < expected.size(); ++i)
        expected[i].replace(1, 3, "02A");
    QCOMPARE(first, expected);
    QCOMPARE(passes[1][0].frame, QByteArray("t7F08D000000000000000\r"));
    QCOMPARE(passes[1][2].frame, QByteArray("t02A8A400000000000000\r"));
}

void tst_laser_worker::type_read_again_for_faults_and_qcw_requests()
{
    // The list is chosen by the type at the start of the list; the faults
    // request of types 14/15 and the three QCW requests of type 16 look at
    // the type again when their turn comes.
    laser_worker cw;
    give_addresses(cw);
    cw.device_type = 8;
    cw.main_poll = true;
    frame_log cw_log(cw);
    cw_log.on_frame = [&cw](int n) { if (n == 3) cw.device_type = 14; };
    laser_worker dcdc;
    give_addresses(dcdc);
    dcdc.device_type = 16;
    dcdc.main_poll = true;
    frame_log dcdc_log(dcdc);
    dcdc_log.on_frame = [&dcdc](int n) { if (n == 3) dcdc.device_type = 11; };
    cw.start_polling();
    dcdc.start_polling();
    QTRY_VERIFY_WITH_TIMEOUT(cw_log.passes().size() >= 1 && cw_log.count() >= 14, 20000);
    QTRY_VERIFY_WITH_TIMEOUT(dcdc_log.passes().size() >= 2, 20000);
    QCOMPARE(frame_log::texts(cw_log.passes()[0]), expected_pass(14, true, false));
    QCOMPARE(frame_log::texts(dcdc_log.passes()[0]), expected_pass(11, true, false));
}

QTEST_GUILESS_MAIN(tst_laser_worker)
#include "tst_laser_worker.moc"
