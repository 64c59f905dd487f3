#pragma once

// The bytes of one input file. Unlike a vector it does not zero-fill what it
// allocates (every byte is about to be overwritten by a read), and moving it
// never moves the bytes, so line texts viewing them stay valid.

#include "engine/largeblock.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>

namespace lindo {

class ByteBuffer {
public:
    ByteBuffer() = default;
    explicit ByteBuffer(std::string_view bytes) { Assign(bytes); }
    ByteBuffer(ByteBuffer &&) noexcept = default;
    ByteBuffer &operator=(ByteBuffer &&) noexcept = default;

    char *Data() { return m_data.get(); }
    const char *Data() const { return m_data.get(); }
    std::size_t Size() const { return m_size; }
    std::size_t Capacity() const { return m_capacity; }
    std::string_view View() const { return {m_data.get(), m_size}; }

    // Grows the room to at least capacity bytes, keeping the content. Only
    // while nothing views the bytes: they may move.
    void Reserve(std::size_t capacity)
    {
        if (capacity <= m_capacity)
            return;
        Block grown(static_cast<char *>(AllocateLargeBlock(capacity)), LargeBlockDeleter{capacity});
        if (m_size > 0)
            std::memcpy(grown.get(), m_data.get(), m_size);
        m_data = std::move(grown);
        m_capacity = capacity;
    }

    // The first size bytes of the room are the content (size <= capacity).
    void SetSize(std::size_t size) { m_size = size; }

    void Assign(std::string_view bytes)
    {
        m_size = 0;
        Reserve(bytes.size());
        if (!bytes.empty())
            std::memcpy(m_data.get(), bytes.data(), bytes.size());
        m_size = bytes.size();
    }

    void Clear()
    {
        m_data.reset();
        m_size = m_capacity = 0;
    }

    void Swap(ByteBuffer &other) noexcept
    {
        std::swap(m_data, other.m_data);
        std::swap(m_size, other.m_size);
        std::swap(m_capacity, other.m_capacity);
    }

private:
    using Block = std::unique_ptr<char[], LargeBlockDeleter>;

    Block m_data;
    std::size_t m_size = 0;
    std::size_t m_capacity = 0;
};

} // namespace lindo
