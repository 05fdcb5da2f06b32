#pragma once

#include <QMetaType>
#include <QString>
#include <cstdint>

// Serial settings of one connection attempt (main window -> serial thread).
struct serial_conf_struct
{
    QString port_name;
    int32_t baud_rate = 0;
    int32_t data_bits = 0;
    int32_t parity = 0;
    int32_t stop_bits = 0;
    int32_t flow_control = 0;
};

// One received CAN frame: the identifier and d0..d7, one byte value per field.
struct serial_message_struct
{
    uint32_t can_id = 0;
    uint32_t data[8] = {0, 0, 0, 0, 0, 0, 0, 0};
};

Q_DECLARE_METATYPE(serial_conf_struct)
Q_DECLARE_METATYPE(serial_message_struct)

// Both records cross threads by value in queued calls made by signature
// strings; the registered names must be the spellings of those signatures.
inline void register_serial_types()
{
    qRegisterMetaType<serial_conf_struct>("serial_conf_struct");
    qRegisterMetaType<serial_message_struct>("serial_message_struct");
}
