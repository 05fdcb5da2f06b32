#pragma once

#include <QByteArray>
#include <cstring>

#include "comm/serial_structs.h"

// Cuts received SLCAN text into frames. It knows nothing of the port, so the
// serial link, the fuzzer and the benchmark all drive the same code.
//
// A frame is "t", three hex digits of the identifier, "8", sixteen hex digits
// of d0..d7 and CR (digits of either case). Anything else from a "t" to the
// next CR is dropped whole: a half-read text must never reach a decoder
// carrying the previous frame's bytes. Bytes without a "t" (the adapter's
// answers CR, "z\r", BEL) wait for a later "t", which discards them.
class slcan_receiver
{
public:
    // Upper bound of what may stay in the buffer after a read.
    static constexpr int max_leftover = 1000;
    static constexpr int frame_length = 22;

    struct result
    {
        int frames = 0;      // frames handed to the sink
        int dropped = 0;     // texts from "t" to CR that were not frames
        bool purged = false; // the leftover passed max_leftover and was emptied
    };

    // Decodes one text that starts at its "t" and ends with its CR. Writes
    // out only when the text is a well-formed frame.
    static bool decode_frame(const char *text, int len, serial_message_struct &out);

    // Parses rx_buffer, to which the caller has just appended a read: hands
    // every complete frame to sink(const serial_message_struct &) in order,
    // rx_message holding the frame being handed on, then keeps only the
    // unused tail. The buffer is scanned once with an offset and compacted
    // once, so the cost is linear in the bytes read however many frames they
    // hold. A tail longer than max_leftover is emptied (result.purged).
    template <typename Sink>
    static result parse(QByteArray &rx_buffer, serial_message_struct &rx_message, Sink &&sink);

    // Self-contained use (fuzzing, benchmarks): append and parse.
    template <typename Sink>
    result feed(const char *data, int len, Sink &&sink)
    {
        rx_buffer.append(data, len);
        return parse(rx_buffer, rx_message, sink);
    }
    // As the port hands a read over: an empty buffer takes the read without
    // copying it.
    template <typename Sink>
    result feed(const QByteArray &read, Sink &&sink)
    {
        rx_buffer.append(read);
        return parse(rx_buffer, rx_message, sink);
    }

    QByteArray rx_buffer;
    serial_message_struct rx_message;
};

template <typename Sink>
slcan_receiver::result slcan_receiver::parse(QByteArray &rx_buffer, serial_message_struct &rx_message,
                                             Sink &&sink)
{
    result r;
    const int size = rx_buffer.size();
    if (size == 0)
        return r;
    const char *const base = rx_buffer.constData();
    int pos = 0; // bytes before pos are used up
    while (pos < size) {
        const char *t = static_cast<const char *>(std::memchr(base + pos, 't', size - pos));
        if (!t)
            break; // no "t": keep the bytes for now
        const int start = int(t - base);
        pos = start; // bytes before the "t" are discarded
        const char *cr = static_cast<const char *>(std::memchr(t, '\r', size - start));
        if (!cr)
            break; // unfinished frame stays at the head of the buffer
        const int next = int(cr - base) + 1;
        pos = next;
        if (decode_frame(t, next - start, rx_message)) {
            ++r.frames;
            sink(static_cast<const serial_message_struct &>(rx_message));
        } else {
            ++r.dropped;
        }
    }
    const int left = size - pos;
    if (left > max_leftover) {
        rx_buffer.clear();
        r.purged = true;
    } else if (left == 0) {
        rx_buffer.clear();
    } else if (pos > 0) {
        rx_buffer = rx_buffer.mid(pos);
    }
    return r;
}
