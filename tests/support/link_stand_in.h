#pragma once

#include <QByteArray>
#include <QList>
#include <QMetaObject>
#include <QObject>
#include <QStringList>
#include <QThread>
#include <atomic>

#include "comm/serial_object.h"

// Drives the serial link the way the main window does: a parentless thread
// and a parentless serial_object, the object and then its port moved to the
// thread, started() -> sl_start_port_process, and every connection made by
// signature string with the automatic type, so each request and each frame
// crosses threads as a queued call.
class link_stand_in : public QObject
{
    Q_OBJECT
public:
    explicit link_stand_in(QObject *parent = nullptr);
    // Ends the serial thread; the serial_object is destroyed on it.
    ~link_stand_in() override;

    // Fills the settings as the main window does (8 data bits, no parity,
    // one stop bit, no flow control), sets mini-USB mode, then emits the
    // settings and the connection request.
    void request_connection(const QString &port_name, bool mini_usb = false, int baud_rate = 115200);
    void request_disconnection();
    // A ready text to write, as a polling worker sends it.
    void write(const QByteArray &data);

    // Runs f on the serial thread and waits for it: the only safe way to look
    // at the port or the buffer from here.
    template <typename F>
    auto on_serial_thread(F f) -> decltype(f())
    {
        decltype(f()) result{};
        QMetaObject::invokeMethod(serial, [&] { result = f(); }, Qt::BlockingQueuedConnection);
        return result;
    }
    QByteArray rx_buffer_now();
    bool port_open_now();

    QThread *serial_thread = nullptr;
    serial_object *serial = nullptr;
    serial_conf_struct conf;

    // What reached this (GUI) thread, in arrival order.
    QList<serial_message_struct> frames;
    QStringList events; // "connected" / "disconnected"
    int connected_count = 0;
    int disconnected_count = 0;
    bool frame_off_own_thread = false; // a frame handled on a wrong thread

signals:
    void sig_connect_serial();
    void sig_serial_conf(serial_conf_struct conf);
    void sig_disconnect_serial();
    void sig_thread_serial_write(QByteArray data);

public slots:
    void sl_serial_connected();
    void sl_serial_disconnected();
    void handle_rx_can_message(serial_message_struct sm);
};
