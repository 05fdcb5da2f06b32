#include "sim/slcan_adapter_thread.h"

slcan_adapter_thread::slcan_adapter_thread()
{
    sim = new slcan_adapter();
    // Destroyed on its own thread, with its socket notifiers.
    QObject::connect(&thread, &QThread::finished, sim, &QObject::deleteLater);
}

slcan_adapter_thread::~slcan_adapter_thread()
{
    if (thread.isRunning()) {
        thread.quit();
        thread.wait();
    } else {
        delete sim;
    }
}

void slcan_adapter_thread::start()
{
    sim->moveToThread(&thread);
    thread.start();
}
