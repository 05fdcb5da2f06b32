#pragma once

#include <QByteArrayList>
#include <QString>
#include <atomic>

#include "sim/sim_bus.h"
#include "sim/slcan_adapter_thread.h"

// The simulated bench on a pseudo-terminal, run in process on a thread of
// its own: an SLCAN adapter (or, direct, none) with boards behind it. Add
// the boards, then start().
class bench_line
{
public:
    explicit bench_line(bool direct = false);

    sim_board &add_board(int type, int address) { return bus.add_board(type, address); }
    void start() { line.start(); }
    QString path() const { return line.adapter()->port_path(); }
    slcan_adapter *adapter() const { return line.adapter(); }
    // Every line the program wrote, in order.
    QByteArrayList lines() const { return line.adapter()->received_lines(); }
    int count(const QByteArray &line_text) const { return lines().count(line_text); }
    // Reply frames the boards have sent so far.
    int replies() const { return replies_sent.load(); }

    // Both outlive the adapter that calls into them. replies_sent is written
    // by the adapter's thread as it answers, read by the test's.
    sim_bus bus;
    std::atomic<int> replies_sent{0};
    slcan_adapter_thread line;
};

// Makes the device paths given the program's extra serial ports.
void offer_ports(const QStringList &paths);
