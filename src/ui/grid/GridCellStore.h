#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

// The sparse text store behind the grid's Cells: only written cells take memory, whatever the
// grid's counts. Texts are UTF-8. A cell is one 24-byte slot of an open-addressing table; texts of
// up to 15 bytes live inside the slot, longer ones in a heap block of their own.
class GridCellStore
{
public:
    GridCellStore() = default;
    ~GridCellStore();
    GridCellStore(const GridCellStore&) = delete;
    GridCellStore& operator=(const GridCellStore&) = delete;
    GridCellStore(GridCellStore&& other) noexcept;
    GridCellStore& operator=(GridCellStore&& other) noexcept;

    // The empty text for a cell never written (or a negative index).
    std::string_view text(int col, int row) const;
    // Writing the empty text removes the cell. Throws EListError for a negative index.
    void setText(int col, int row, std::string_view text);

    std::size_t size() const { return m_size; }

    // Calls f(col, row, text) for every stored cell, in no particular order. The texts stay valid
    // until the store is next written.
    template <typename F> void forEach(F&& f) const
    {
        for (std::size_t i = 0; i < m_capacity; ++i) {
            const Slot& slot = m_slots[i];
            if (slot.key != emptyKey)
                f(colOf(slot.key), rowOf(slot.key), slot.view());
        }
    }

private:
    static constexpr std::uint64_t emptyKey = ~std::uint64_t{0};
    static constexpr std::size_t inlineCapacity = 15;
    static constexpr unsigned char heapTag = 0xFF;

    struct Slot
    {
        std::uint64_t key;
        // Bytes 0..14 hold an inline text and byte 15 its length; or bytes 0..7 a heap pointer,
        // 8..11 the length and byte 15 heapTag.
        alignas(8) unsigned char text[16];

        std::string_view view() const;
        void assign(std::string_view value);
        void release();
    };

    static std::uint64_t keyOf(int col, int row)
    {
        return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(row)) << 32) |
               static_cast<std::uint32_t>(col);
    }
    static int colOf(std::uint64_t key) { return static_cast<int>(key & 0xFFFFFFFFu); }
    static int rowOf(std::uint64_t key) { return static_cast<int>(key >> 32); }

    std::size_t home(std::uint64_t key) const;
    std::size_t find(std::uint64_t key) const;
    void erase(std::size_t index);
    void grow();

    std::unique_ptr<Slot[]> m_slots;
    std::size_t m_capacity = 0;
    std::size_t m_size = 0;
    int m_shift = 64;
};
