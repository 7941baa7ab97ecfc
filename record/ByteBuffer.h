#pragma once

#include <QByteArray>

#include <bit>
#include <cstdint>
#include <cstring>

namespace rovana {

// Little-endian access to a file image. Callers check bounds before using these.
inline std::int32_t ReadInt32(const QByteArray& bytes, int pos)
{
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<std::uint8_t>(bytes[pos + i]);
    return static_cast<std::int32_t>(v);
}

inline float ReadFloat(const QByteArray& bytes, int pos)
{
    return std::bit_cast<float>(static_cast<std::uint32_t>(ReadInt32(bytes, pos)));
}

inline std::int16_t ReadInt16(const QByteArray& bytes, int pos)
{
    const auto lo = static_cast<std::uint8_t>(bytes[pos]);
    const auto hi = static_cast<std::uint8_t>(bytes[pos + 1]);
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(lo | (hi << 8)));
}

inline void WriteInt32(QByteArray& bytes, int pos, std::int32_t value)
{
    auto v = static_cast<std::uint32_t>(value);
    for (int i = 0; i < 4; ++i, v >>= 8)
        bytes[pos + i] = static_cast<char>(v & 0xFF);
}

inline void WriteFloat(QByteArray& bytes, int pos, float value)
{
    WriteInt32(bytes, pos, static_cast<std::int32_t>(std::bit_cast<std::uint32_t>(value)));
}

inline void WriteInt16(QByteArray& bytes, int pos, std::int16_t value)
{
    const auto v = static_cast<std::uint16_t>(value);
    bytes[pos] = static_cast<char>(v & 0xFF);
    bytes[pos + 1] = static_cast<char>(v >> 8);
}

} // namespace rovana
