#include "dead/Buffer.h"

namespace Dead {

GrowableBuffer::GrowableBuffer(std::uint32_t capacity, std::uint32_t step) : Buffer(capacity), m_step(step) {}

void GrowableBuffer::WriteInt(std::uint64_t value, std::uint32_t byteCount) {
    Grow(byteCount);
    Buffer::WriteInt(value, byteCount);
}

void GrowableBuffer::WriteBytes(const void* source, std::uint32_t count) {
    Grow(count);
    Buffer::WriteBytes(source, count);
}

// New capacity: ((position + count) / step + 1), kept to its low 16 bits,
// times the step. When that does not make room (no step, or the multiplier
// wrapped at 16 bits) the buffer is left as it is and the write that follows
// fails with -3: growth never shrinks the area.
void GrowableBuffer::Grow(std::uint32_t count) {
    const std::uint64_t needed = static_cast<std::uint64_t>(Position()) + count;
    if (needed <= Capacity() || m_step == 0)
        return;
    const std::uint64_t steps = ((needed / m_step) + 1) & 0xFFFFu;
    const std::uint64_t capacity = steps * m_step;
    if (capacity < needed || capacity > 0xFFFFFFFFu)
        return;
    Reserve(static_cast<std::uint32_t>(capacity));
}

} // namespace Dead
