#pragma once

#include <QList>
#include <QObject>
#include <QThread>
#include <memory>
#include <vector>

#include "comm/laser_worker.h"
#include "comm/serial_structs.h"

// The least of the channel control and the main window's routing that the
// end-to-end tests need: one channel per worker, its address in all seven
// records, and the replies decoded into the record of the reported driver
// type (the records' own decoders for types 18, 20 and 21; a few readings of
// the other families here). Lives on the GUI thread.
class channel_stand_in
{
public:
    explicit channel_stand_in(int can_address);

    void set_address(int can_address);
    void handle_rx_can_message(const serial_message_struct &msg);
    // A command from the GUI thread through the worker's signal, as the
    // channel controls send them.
    void send(const QByteArray &frame) { emit worker.thread_serial_write(frame); }

    int can_address = 0;
    laser_worker worker;
    QList<serial_message_struct> frames; // every reply offered to the channel
    int codes_seen(uint32_t code) const;
};

// Offers each received frame to the channels whose address is its d1 (or
// 250); in mini-USB mode the first channel takes every frame.
class router_stand_in : public QObject
{
    Q_OBJECT
public:
    std::vector<std::unique_ptr<channel_stand_in>> channels;
    bool mini_usb = false;
    int frames_received = 0;
    bool frame_off_gui_thread = false;

public slots:
    void handle_rx_can_message(serial_message_struct sm);
};
