// Drives the receive parser with arbitrary text cut into arbitrary reads and
// checks it against a plain model that works on a copy of the buffer: the
// same frames in the same order, the same leftover, never more than 1000
// bytes kept.
#include <QByteArray>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "comm/slcan_receiver.h"

namespace {

struct model_frame
{
    uint32_t id;
    uint32_t data[8];
};

bool model_decode(const QByteArray &text, model_frame &f)
{
    if (text.size() != 22 || text[0] != 't' || text[4] != '8' || text[21] != '\r')
        return false;
    for (int i = 1; i < 21; ++i) {
        if (i != 4 && !std::isxdigit(static_cast<unsigned char>(text[i])))
            return false;
    }
    f.id = uint32_t(std::strtoul(text.mid(1, 3).constData(), nullptr, 16));
    for (int k = 0; k < 8; ++k)
        f.data[k] = uint32_t(std::strtoul(text.mid(5 + 2 * k, 2).constData(), nullptr, 16));
    return true;
}

// The receive steps done the slow way: erase as you go.
void model_feed(QByteArray &buf, const QByteArray &read, std::vector<model_frame> &out)
{
    buf += read;
    for (;;) {
        const int t = buf.indexOf('t');
        if (t < 0)
            break;
        buf.remove(0, t);
        const int cr = buf.indexOf('\r');
        if (cr < 0)
            break;
        model_frame f;
        if (model_decode(buf.left(cr + 1), f))
            out.push_back(f);
        buf.remove(0, cr + 1);
    }
    if (buf.size() > slcan_receiver::max_leftover)
        buf.clear();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    slcan_receiver rx;
    QByteArray model_buf;
    size_t pos = 0;
    while (pos < size) {
        // One length byte, then that many bytes as one read; long reads
        // (up to 2200 bytes) reach past the leftover bound.
        const unsigned b = data[pos++];
        size_t len = b < 200 ? b : size_t(b - 200) * 40;
        if (len > size - pos)
            len = size - pos;
        const QByteArray read(reinterpret_cast<const char *>(data + pos), int(len));
        pos += len;

        std::vector<model_frame> got;
        const slcan_receiver::result r = rx.feed(read.constData(), read.size(), [&](const serial_message_struct &m) {
            model_frame f;
            f.id = m.can_id;
            for (int k = 0; k < 8; ++k)
                f.data[k] = m.data[k];
            got.push_back(f);
        });
        std::vector<model_frame> want;
        model_feed(model_buf, read, want);

        if (rx.rx_buffer.size() > slcan_receiver::max_leftover)
            std::abort();
        if (rx.rx_buffer != model_buf || got.size() != want.size() || int(got.size()) != r.frames)
            std::abort();
        for (size_t i = 0; i < got.size(); ++i) {
            if (got[i].id != want[i].id || got[i].id > 0xFFF)
                std::abort();
            for (int k = 0; k < 8; ++k) {
                if (got[i].data[k] != want[i].data[k] || got[i].data[k] > 0xFF)
                    std::abort();
            }
        }
    }
    return 0;
}
