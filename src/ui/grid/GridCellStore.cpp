#include "ui/grid/GridCellStore.h"

#include "platform/Exceptions.h"

#include <cstring>
#include <limits>
#include <stdexcept>
#include <string>
#include <utility>

namespace {

// Kept below 3/4 so that linear probing stays short.
constexpr std::size_t maxLoadNumerator = 3;
constexpr std::size_t maxLoadDenominator = 4;
constexpr std::size_t initialCapacity = 16;

} // namespace

std::string_view GridCellStore::Slot::view() const
{
    if (text[15] != heapTag)
        return {reinterpret_cast<const char*>(text), text[15]};
    const char* data;
    std::uint32_t length;
    std::memcpy(&data, text, sizeof data);
    std::memcpy(&length, text + 8, sizeof length);
    return {data, length};
}

void GridCellStore::Slot::assign(std::string_view value)
{
    if (value.size() <= inlineCapacity) {
        // The value may be a view of this very slot's text.
        std::memmove(text, value.data(), value.size());
        text[15] = static_cast<unsigned char>(value.size());
        return;
    }
    if (value.size() > std::numeric_limits<std::uint32_t>::max())
        throw std::length_error("cell text too long");
    char* data = new char[value.size()];
    std::memcpy(data, value.data(), value.size());
    const auto length = static_cast<std::uint32_t>(value.size());
    std::memcpy(text, &data, sizeof data);
    std::memcpy(text + 8, &length, sizeof length);
    text[15] = heapTag;
}

void GridCellStore::Slot::release()
{
    if (text[15] == heapTag) {
        char* data;
        std::memcpy(&data, text, sizeof data);
        delete[] data;
    }
    key = emptyKey;
}

GridCellStore::~GridCellStore()
{
    for (std::size_t i = 0; i < m_capacity; ++i) {
        if (m_slots[i].key != emptyKey)
            m_slots[i].release();
    }
}

GridCellStore::GridCellStore(GridCellStore&& other) noexcept
    : m_slots(std::move(other.m_slots))
    , m_capacity(std::exchange(other.m_capacity, 0))
    , m_size(std::exchange(other.m_size, 0))
    , m_shift(std::exchange(other.m_shift, 64))
{}

GridCellStore& GridCellStore::operator=(GridCellStore&& other) noexcept
{
    GridCellStore moved(std::move(other));
    std::swap(m_slots, moved.m_slots);
    std::swap(m_capacity, moved.m_capacity);
    std::swap(m_size, moved.m_size);
    std::swap(m_shift, moved.m_shift);
    return *this;
}

std::size_t GridCellStore::home(std::uint64_t key) const
{
    // Fibonacci hashing spreads consecutive rows and columns over the whole table.
    return static_cast<std::size_t>((key * 0x9E3779B97F4A7C15ull) >> m_shift);
}

std::size_t GridCellStore::find(std::uint64_t key) const
{
    if (m_capacity == 0)
        return m_capacity;
    const std::size_t mask = m_capacity - 1;
    for (std::size_t i = home(key);; i = (i + 1) & mask) {
        if (m_slots[i].key == key)
            return i;
        if (m_slots[i].key == emptyKey)
            return m_capacity;
    }
}

std::string_view GridCellStore::text(int col, int row) const
{
    if (col < 0 || row < 0)
        return {};
    const std::size_t index = find(keyOf(col, row));
    return index == m_capacity ? std::string_view{} : m_slots[index].view();
}

void GridCellStore::setText(int col, int row, std::string_view value)
{
    if (row < 0)
        throw EListError(row);
    if (col < 0)
        throw EListError(col);
    const std::uint64_t key = keyOf(col, row);
    const std::size_t found = find(key);
    if (found != m_capacity) {
        Slot& slot = m_slots[found];
        if (value.empty()) {
            erase(found);
            return;
        }
        // The new text may be a view of the old one; keep the old block until it is copied.
        Slot old = slot;
        slot.assign(value);
        old.release();
        return;
    }
    if (value.empty())
        return;
    std::string kept;
    if ((m_size + 1) * maxLoadDenominator > m_capacity * maxLoadNumerator) {
        // The text may be a view of another stored cell, whose slot growing frees.
        kept.assign(value);
        value = kept;
        grow();
    }
    const std::size_t mask = m_capacity - 1;
    std::size_t i = home(key);
    while (m_slots[i].key != emptyKey)
        i = (i + 1) & mask;
    m_slots[i].assign(value);
    m_slots[i].key = key;
    ++m_size;
}

void GridCellStore::erase(std::size_t index)
{
    m_slots[index].release();
    --m_size;
    // Backward-shift deletion: pull later members of the probe chain into the gap, so that
    // lookups never need tombstones.
    const std::size_t mask = m_capacity - 1;
    std::size_t gap = index;
    for (std::size_t i = (gap + 1) & mask; m_slots[i].key != emptyKey; i = (i + 1) & mask) {
        const std::size_t want = home(m_slots[i].key);
        const bool gapBetween = gap <= i ? (want <= gap || want > i) : (want <= gap && want > i);
        if (gapBetween) {
            m_slots[gap] = m_slots[i];
            m_slots[i].key = emptyKey;
            gap = i;
        }
    }
}

void GridCellStore::grow()
{
    const std::size_t newCapacity = m_capacity == 0 ? initialCapacity : m_capacity * 2;
    std::unique_ptr<Slot[]> slots(new Slot[newCapacity]);
    for (std::size_t i = 0; i < newCapacity; ++i)
        slots[i].key = emptyKey;
    std::unique_ptr<Slot[]> old = std::move(m_slots);
    const std::size_t oldCapacity = m_capacity;
    m_slots = std::move(slots);
    m_capacity = newCapacity;
    m_shift = 64;
    for (std::size_t c = newCapacity; c > 1; c >>= 1)
        --m_shift;
    const std::size_t mask = m_capacity - 1;
    for (std::size_t j = 0; j < oldCapacity; ++j) {
        if (old[j].key == emptyKey)
            continue;
        std::size_t i = home(old[j].key);
        while (m_slots[i].key != emptyKey)
            i = (i + 1) & mask;
        // Slots are moved bytewise: the heap block changes its owner, not its place.
        m_slots[i] = old[j];
    }
}
