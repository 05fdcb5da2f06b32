#include "sim/sim_bus.h"

#include <QMutexLocker>

namespace {

int hex_value(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

char hex_char(unsigned nibble)
{
    static const char digits[] = "0123456789ABCDEF";
    return digits[nibble & 0xF];
}

} // namespace

sim_board &sim_bus::add_board(int32_t driver_type, int32_t address)
{
    QMutexLocker lock(&mutex);
    boards.push_back(std::make_unique<sim_board>(driver_type, address));
    return *boards.back();
}

sim_board &sim_bus::replace_board(int32_t address, int32_t driver_type)
{
    QMutexLocker lock(&mutex);
    auto fresh = std::make_unique<sim_board>(driver_type, address);
    for (auto &b : boards) {
        if (b->address() == address) {
            removed.push_back(std::move(b));
            b = std::move(fresh);
            return *b;
        }
    }
    boards.push_back(std::move(fresh));
    return *boards.back();
}

sim_board *sim_bus::board_at(int32_t address) const
{
    QMutexLocker lock(&mutex);
    for (const auto &b : boards)
        if (b->address() == address)
            return b.get();
    return nullptr;
}

sim_board *sim_bus::board(int index) const
{
    QMutexLocker lock(&mutex);
    if (index < 0 || index >= static_cast<int>(boards.size()))
        return nullptr;
    return boards[static_cast<size_t>(index)].get();
}

int sim_bus::board_count() const
{
    QMutexLocker lock(&mutex);
    return static_cast<int>(boards.size());
}

void sim_bus::set_direct_mode(bool d)
{
    QMutexLocker lock(&mutex);
    direct = d;
}

bool sim_bus::direct_mode() const
{
    QMutexLocker lock(&mutex);
    return direct;
}

int sim_bus::malformed_lines() const
{
    QMutexLocker lock(&mutex);
    return malformed;
}

int sim_bus::frames_seen() const
{
    QMutexLocker lock(&mutex);
    return seen;
}

bool sim_bus::parse_frame(const QByteArray &line, uint32_t *can_id, uint8_t data[8])
{
    if (line.size() != 22 || line[0] != 't' || line[4] != '8' || line[21] != '\r')
        return false;
    uint32_t id = 0;
    for (int i = 1; i <= 3; ++i) {
        const int h = hex_value(line[i]);
        if (h < 0)
            return false;
        id = (id << 4) | static_cast<uint32_t>(h);
    }
    for (int i = 0; i < 8; ++i) {
        const int hi = hex_value(line[5 + 2 * i]);
        const int lo = hex_value(line[6 + 2 * i]);
        if (hi < 0 || lo < 0)
            return false;
        data[i] = static_cast<uint8_t>((hi << 4) | lo);
    }
    *can_id = id;
    return true;
}

QByteArray sim_bus::format_frame(uint32_t can_id, const uint8_t data[8])
{
    QByteArray out(22, '\0');
    out[0] = 't';
    out[1] = hex_char(can_id >> 8);
    out[2] = hex_char(can_id >> 4);
    out[3] = hex_char(can_id);
    out[4] = '8';
    for (int i = 0; i < 8; ++i) {
        out[5 + 2 * i] = hex_char(data[i] >> 4);
        out[6 + 2 * i] = hex_char(data[i]);
    }
    out[21] = '\r';
    return out;
}

QByteArray sim_bus::handle_frame_line(const QByteArray &line)
{
    uint32_t id = 0;
    uint8_t data[8];
    QMutexLocker lock(&mutex);
    if (!parse_frame(line, &id, data)) {
        ++malformed;
        return QByteArray();
    }
    ++seen;
    QByteArray out;
    for (const auto &b : boards) {
        const bool takes = direct || static_cast<int32_t>(id) == broadcast_address
                           || static_cast<int32_t>(id) == b->address();
        if (!takes)
            continue;
        uint8_t reply[8];
        if (b->handle_frame(data, reply))
            out += format_frame(static_cast<uint32_t>(reply[1]), reply);
        if (direct)
            break;
    }
    return out;
}
