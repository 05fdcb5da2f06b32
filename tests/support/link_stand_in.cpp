#include "link_stand_in.h"

link_stand_in::link_stand_in(QObject *parent) : QObject(parent)
{
    serial_thread = new QThread();
    serial = new serial_object();
    connect(serial_thread, SIGNAL(started()), serial, SLOT(sl_start_port_process()));
    connect(this, SIGNAL(sig_connect_serial()), serial, SLOT(sl_connect_serial()));
    connect(this, SIGNAL(sig_serial_conf(serial_conf_struct)), serial, SLOT(sl_serial_conf(serial_conf_struct)));
    connect(this, SIGNAL(sig_disconnect_serial()), serial, SLOT(sl_disconnect_serial()));
    connect(this, SIGNAL(sig_thread_serial_write(QByteArray)), serial, SLOT(sl_write_to_port(QByteArray)));
    connect(serial, SIGNAL(sig_connected()), this, SLOT(sl_serial_connected()));
    connect(serial, SIGNAL(sig_disconnected()), this, SLOT(sl_serial_disconnected()));
    connect(serial, SIGNAL(sig_serial_rx_can_message(serial_message_struct)), this,
            SLOT(handle_rx_can_message(serial_message_struct)));
    // Torn down on its own thread when that thread ends.
    connect(serial_thread, SIGNAL(finished()), serial, SLOT(deleteLater()));
    serial->moveToThread(serial_thread);
    serial->port.moveToThread(serial_thread);
    serial_thread->start();
}

link_stand_in::~link_stand_in()
{
    serial_thread->quit();
    serial_thread->wait();
    delete serial_thread;
}

void link_stand_in::request_connection(const QString &port_name, bool mini_usb, int baud_rate)
{
    conf.port_name = port_name;
    conf.baud_rate = baud_rate;
    conf.data_bits = 8;
    conf.parity = 0;
    conf.stop_bits = 1;
    conf.flow_control = 0;
    serial->mini_usb.store(mini_usb);
    emit sig_serial_conf(conf);
    emit sig_connect_serial();
}

void link_stand_in::request_disconnection()
{
    emit sig_disconnect_serial();
}

void link_stand_in::write(const QByteArray &data)
{
    emit sig_thread_serial_write(data);
}

QByteArray link_stand_in::rx_buffer_now()
{
    return on_serial_thread([this] { return serial->rx_buffer; });
}

bool link_stand_in::port_open_now()
{
    return on_serial_thread([this] { return serial->port.isOpen(); });
}

void link_stand_in::sl_serial_connected()
{
    ++connected_count;
    events << "connected";
}

void link_stand_in::sl_serial_disconnected()
{
    ++disconnected_count;
    events << "disconnected";
}

void link_stand_in::handle_rx_can_message(serial_message_struct sm)
{
    if (QThread::currentThread() != thread())
        frame_off_own_thread = true;
    frames.append(sm);
}
