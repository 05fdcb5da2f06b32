#pragma once

#include <QByteArray>
#include <QObject>
#include <QSerialPort>
#include <QString>
#include <atomic>

#include "comm/serial_structs.h"

// The serial link to the USB-to-CAN adapter (or, in mini-USB mode, straight
// to one board). Lives on its own thread together with its port; every slot
// runs there and only that thread touches the port.
class serial_object : public QObject
{
    Q_OBJECT
public:
    explicit serial_object(QObject *parent = nullptr);
    ~serial_object() override;

    // No parent: it must be moved to the serial thread by itself.
    QSerialPort port;
    // Received text not yet cut into frames; at most 1000 bytes after a read.
    QByteArray rx_buffer;
    // The frame being parsed (each emission hands on its own copy).
    serial_message_struct rx_message;
    // Skip the adapter set-up; written by the GUI thread before a connection.
    std::atomic<bool> mini_usb{false};
    // The name the port was opened under (the settings of a later request
    // may already name another).
    QString open_port_name;

signals:
    void sig_connected();
    void sig_disconnected();
    void sig_error(QString err);
    void sig_serial_rx_can_message(serial_message_struct sm);
    void sig_write_to_port(QByteArray data);

public slots:
    void sl_disconnect_serial();
    void sl_connect_serial();
    void sl_serial_conf(serial_conf_struct conf);
    void sl_start_port_process();
    void sl_write_to_port(QByteArray data);

private slots:
    void sl_handle_error(QSerialPort::SerialPortError error);
    void sl_read_from_port();

private:
    // While the adapter is set up: its texts go through the port's own
    // write, whose waits give the adapter its pauses.
    bool write_through_port = false;
};
