#pragma once

#include <QThread>

#include "sim/slcan_adapter.h"

// An adapter running on a thread of its own, so that the far end of the line
// keeps writing while the caller's thread is busy. Configure it (handler,
// direct mode) through adapter() before start().
class slcan_adapter_thread
{
public:
    slcan_adapter_thread();
    ~slcan_adapter_thread(); // ends the thread; the adapter goes with it
    slcan_adapter_thread(const slcan_adapter_thread &) = delete;
    slcan_adapter_thread &operator=(const slcan_adapter_thread &) = delete;

    slcan_adapter *adapter() const { return sim; }
    void start();

private:
    QThread thread;
    slcan_adapter *sim = nullptr;
};
