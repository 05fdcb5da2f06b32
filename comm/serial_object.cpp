#include "comm/serial_object.h"

#include <QElapsedTimer>

#include "comm/slcan_receiver.h"

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

// Adapter set-up: bit rate 500 kbit/s three times, then open the CAN channel
// three times; the number is how many 1000 ms waits follow each text.
struct setup_step
{
    const char *text;
    int waits;
};

constexpr setup_step adapter_setup[] = {
    {"S6\r", 1}, {"S6\r", 1}, {"S6\r", 2}, {"O\r", 1}, {"O\r", 1}, {"O\r", 0},
};

constexpr int setup_wait_ms = 1000;
// How long a disconnect waits, all told, for what is queued and then its
// "C" to leave the port: a line that takes nothing is not waited for forever.
constexpr int close_drain_limit_ms = 10000;
constexpr int close_drain_step_ms = 100;

// Writes out what the port still holds, until it is empty, the port closes
// (an error met meanwhile) or the time since `since` reaches the limit.
void drain(QSerialPort &port, const QElapsedTimer &since)
{
    while (port.isOpen() && port.bytesToWrite() > 0 && since.elapsed() < close_drain_limit_ms)
        port.waitForBytesWritten(close_drain_step_ms);
}

} // namespace

serial_object::serial_object(QObject *parent) : QObject(parent)
{
    register_serial_types();
}

serial_object::~serial_object()
{
    qDebug("serial thread finishing");
    emit sig_disconnected();
}

void serial_object::sl_start_port_process()
{
    qDebug("start serial thread");
    connect(&port, SIGNAL(error(QSerialPort::SerialPortError)), this,
            SLOT(sl_handle_error(QSerialPort::SerialPortError)), Qt::UniqueConnection);
    connect(&port, SIGNAL(readyRead()), this, SLOT(sl_read_from_port()), Qt::UniqueConnection);
}

void serial_object::sl_serial_conf(serial_conf_struct conf)
{
    // The parity is not applied: the link always runs without parity.
    port.setBaudRate(conf.baud_rate, QSerialPort::AllDirections);
    port.setDataBits(static_cast<QSerialPort::DataBits>(conf.data_bits));
    port.setFlowControl(static_cast<QSerialPort::FlowControl>(conf.flow_control));
    port.setPortName(conf.port_name);
    port.setStopBits(static_cast<QSerialPort::StopBits>(conf.stop_bits));
}

void serial_object::sl_connect_serial()
{
    // A request for the port that is already open (a reconnect tick queued
    // behind the attempt that opened it, a double click) leaves the working
    // connection as it is.
    if (port.isOpen() && port.portName() == open_port_name) {
        emit sig_connected();
        return;
    }
    if (port.isOpen())
        port.flush();
    // Fails on an open port: a request for another port closes the link.
    // No name (no port chosen, as while auto-connection waits for one) names
    // no device: trying it would only write and remove a lock file.
    if (port.portName().isEmpty() || !port.open(QIODevice::ReadWrite)) {
        qDebug("serial port open FAILED");
        port.close();
        emit sig_disconnected();
        return;
    }
    open_port_name = port.portName();
    port.flush();
    port.clear(QSerialPort::AllDirections);
    // A partial frame of an earlier connection must not be glued to the
    // first frame of this one.
    rx_buffer.clear();

    // Made once whatever the number of connections, so each text goes out once.
    connect(this, SIGNAL(sig_write_to_port(QByteArray)), this, SLOT(sl_write_to_port(QByteArray)),
            Qt::UniqueConnection);

    if (!mini_usb.load()) {
        write_through_port = true;
        for (const setup_step &step : adapter_setup) {
            if (!port.isOpen())
                break;
            emit sig_write_to_port(QByteArray(step.text));
            for (int i = 0; i < step.waits && port.isOpen(); ++i)
                port.waitForBytesWritten(setup_wait_ms);
        }
        write_through_port = false;
        // The port was lost during the set-up: the error handler has already
        // reported the link as down.
        if (!port.isOpen())
            return;
    }
    qDebug("serial port is opened SUCCESSFULLY");
    emit sig_connected();
}

void serial_object::sl_disconnect_serial()
{
    if (!port.isOpen())
        return;
    // Closing the port drops what it still holds: on a line that reads
    // slower than the program writes that would be the turn-off frames just
    // queued, and the "C" after them, leaving the adapter's CAN channel open.
    // So what is queued goes first, then "C", and only then the close.
    QElapsedTimer since;
    since.start();
    drain(port, since);
    if (port.isOpen())
        emit sig_write_to_port(QByteArray("C\r"));
    drain(port, since);
    if (!port.isOpen())
        return; // lost meanwhile; already reported
    port.close();
    qDebug("serial port DISONNECTED by user");
    emit sig_disconnected();
}

void serial_object::sl_write_to_port(QByteArray data)
{
    if (!port.isOpen() || !port.isWritable())
        return;
#ifdef Q_OS_UNIX
    // With nothing of ours waiting in the port, the text goes straight to
    // the device: the port's own write would switch its write notifier on
    // and off again for every frame, which wakes this thread twice and costs
    // several system calls more. What the device does not take at once, and
    // everything while anything waits, goes through the port behind what
    // waits, so no text overtakes another; a failed write meets the same
    // state there and is reported as the port reports it.
    if (!write_through_port && port.bytesToWrite() == 0 && port.handle() >= 0) {
        const ssize_t n = ::write(int(port.handle()), data.constData(), size_t(data.size()));
        if (n == ssize_t(data.size()))
            return;
        if (n > 0)
            data.remove(0, int(n));
    }
#endif
    port.write(data);
}

void serial_object::sl_handle_error(QSerialPort::SerialPortError error)
{
    if (!port.isOpen())
        return;
    // A removed device raises the resource error; a hung-up line (a
    // pseudo-terminal whose far end closed) raises read errors instead, and
    // would raise them forever if the port stayed open.
    if (error != QSerialPort::ResourceError && error != QSerialPort::ReadError)
        return;
    qDebug("some ERROR with serial port");
    port.close();
    qDebug("serial port DISONNECTED by user");
    emit sig_disconnected();
}

void serial_object::sl_read_from_port()
{
    if (!port.isOpen() || !port.isReadable())
        return;
    rx_buffer.append(port.readAll());
    const slcan_receiver::result r =
        slcan_receiver::parse(rx_buffer, rx_message, [this](const serial_message_struct &m) {
            emit sig_serial_rx_can_message(m);
        });
    if (r.purged) {
        // Only the input is dropped: output still waiting (an operator's
        // switch-off, say) goes out as usual.
        port.clear(QSerialPort::Input);
    }
}
