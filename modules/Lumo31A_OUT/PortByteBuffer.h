// The output module's byte buffer: byte j is what the port receives for sample position j of a
// block. It is made at experiment start for the block size then in force, and
// OutParams::portBytes names its byte 0. The host's records have no room for its size, and the
// host may change the block size while the experiment runs, so the size sits just before byte
// 0, in the same allocation.
#pragma once

#include <cstddef>
#include <cstdint>

#pragma pack(push, 1)
// One allocation from the host: the size, then the bytes that portBytes names.
struct PortByteBuffer {
    uint32_t positions; // sample positions the buffer holds
    uint8_t bytes[1];   // `positions` of them; portBytes names bytes[0]
};
#pragma pack(pop)

static_assert(offsetof(PortByteBuffer, positions) == 0, "");
static_assert(offsetof(PortByteBuffer, bytes) == 4, "");

// Bytes to allocate for a buffer of that many positions; 0 when the size does not fit the
// host's 32-bit allocation size.
inline constexpr uint32_t PortByteBufferSize(uint32_t positions) {
    return positions > UINT32_MAX - offsetof(PortByteBuffer, bytes)
               ? 0
               : static_cast<uint32_t>(offsetof(PortByteBuffer, bytes) + positions);
}

// The buffer, as allocated, whose byte 0 `portBytes` names; null for none.
inline PortByteBuffer* PortByteBufferOf(uint8_t* portBytes) {
    return portBytes == nullptr
               ? nullptr
               : reinterpret_cast<PortByteBuffer*>(portBytes - offsetof(PortByteBuffer, bytes));
}
