#pragma once

#include <QByteArray>
#include <QtTest>

#include "comm/driver_data.h"
#include "sim/slcan_adapter.h"

// The 22-byte text of a frame, built by the program's own encoder.
inline QByteArray slcan_frame(int id, const QByteArray &data8)
{
    uint8_t buf[22];
    uint32_t len = 0;
    const auto d = reinterpret_cast<const uint8_t *>(data8.constData());
    driver_data::encode_frame(id, d[0], d[1], d[2], d[3], d[4], d[5], d[6], d[7], buf, &len);
    return QByteArray(reinterpret_cast<const char *>(buf), int(len));
}

// A reply frame that carries a sequence number in d4..d7 and its low byte as
// the board address d1 (and identifier).
inline QByteArray numbered_frame(uint32_t n)
{
    QByteArray d(8, '\0');
    d[0] = char(0x91);
    d[1] = char(n & 0xFF);
    d[4] = char(n >> 24);
    d[5] = char(n >> 16);
    d[6] = char(n >> 8);
    d[7] = char(n);
    return slcan_frame(int(n & 0xFF), d);
}

inline uint32_t sequence_of(const uint32_t data[8])
{
    return data[4] << 24 | data[5] << 16 | data[6] << 8 | data[7];
}

// Waits until everything the adapter wrote has been read by the far end.
inline bool wait_delivered(const slcan_adapter &sim, int timeout_ms = 20000)
{
    return QTest::qWaitFor([&] { return sim.pending_to_client() == 0; }, timeout_ms);
}
