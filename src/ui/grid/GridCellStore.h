#pragma once

#include "ui/grid/GridCellSource.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The text store behind the grid's Cells: only written cells take memory, whatever the grid's
// counts. Texts are UTF-8.
//
// Besides written texts the store holds sources (GridCellSource), each laid over its area when
// it was added: a cell shows the text written to it after the newest source covering it was
// added, else that source's text. Writing the empty text into a source's area leaves a blank
// there, so that the cell reads empty as it would have had the source's texts been written.
//
// The program fills tables row after row from the top, always the same few columns, so the store
// keeps a dense block of rows [0, blockRows) x columns [0, blockCols) that grows only over cells
// next to it: by one row when the row just below it is written, by one column while it is still
// small. A block cell is a 16-byte slot holding a text of up to 15 bytes itself, or the place of
// a longer one in a shared arena. Every other cell lives in an ordered map, so that a cell far
// away (row two billion, say) costs one map entry and never a block reaching down to it.
class GridCellStore
{
public:
    GridCellStore() = default;
    GridCellStore(const GridCellStore&) = delete;
    GridCellStore& operator=(const GridCellStore&) = delete;
    GridCellStore(GridCellStore&& other) noexcept;
    GridCellStore& operator=(GridCellStore&& other) noexcept;

    // What the cell shows: its written text, or its source's; the empty text for a cell neither
    // written nor covered by a source (or a negative index).
    std::string text(int col, int row) const;
    // The text written to the cell, leaving sources aside.
    std::string_view storedText(int col, int row) const;
    // Writing the empty text removes the cell. Throws EListError for a negative index. The text
    // may be a view of a cell of this very store.
    void setText(int col, int row, std::string_view text)
    {
        // The program's tables write short texts into a block that is already there.
        if (row >= 0 && col >= 0 && inBlock(col, row) && !text.empty() &&
            text.size() <= inlineCapacity && m_blanks.empty()) {
            Slot& slot = rowSlots(row)[col];
            if (!slot.inArena()) {
                m_blockSize += slot.empty() ? 1 : 0;
                slot.setInline(text);
                return;
            }
        }
        setTextElsewhere(col, row, text);
    }

    // Lays the source over its area: what was written there before is dropped, and what is
    // written there afterwards lies over the source's texts. Sources the new one hides entirely
    // are let go; one that stays visible in a few cells only leaves their texts written instead.
    void addSource(std::shared_ptr<const GridCellSource> source);

    // Written cells; the cells of sources are not counted.
    std::size_t size() const { return m_blockSize + m_outside.size(); }
    // What the block's texts too long for a slot take, including those given up and not yet
    // reclaimed.
    std::size_t longTextBytes() const { return m_arena.size(); }

    // Calls f(col, row, text) for every written cell, in no particular order. The texts stay
    // valid until the store is next written.
    template <typename F> void forEach(F&& f) const { visit(noLimit, noLimit, f); }

    // The same for the written cells of columns [0, colLimit) and rows [0, rowLimit) only.
    template <typename F> void forEachWithin(int colLimit, int rowLimit, F&& f) const
    {
        visit(colLimit, rowLimit, f);
    }

    // Calls f(source, first, last) for each run of rows [first, last] of the column, within
    // [0, rowLimit), where the source is the newest one covering the cells. Written cells and
    // blanks within the run lie over it (see hasWrittenOrBlankCell).
    void forEachSourceRun(int col, int rowLimit,
                          const std::function<void(const GridCellSource&, int, int)>& f) const;

    // Whether a cell of the column within rows [first, last] is written or blank, so that it
    // hides what a source would show there.
    bool hasWrittenOrBlankCell(int col, int first, int last) const;
    bool isWrittenOrBlank(int col, int row) const
    {
        return !storedText(col, row).empty() || isBlank(col, row);
    }

private:
    static constexpr std::int64_t noLimit = std::int64_t{1} << 32;
    // Rows of the block are allocated in chunks of this many, so that growing never moves a
    // stored text and costs no copy.
    static constexpr int chunkShift = 8;
    static constexpr int chunkRows = 1 << chunkShift;
    // The block widens only while it fits into its first chunk, so that a widening copies little.
    static constexpr int maxBlockCols = 64;
    static constexpr std::size_t inlineCapacity = 15;
    static constexpr unsigned char arenaTag = 0xFF;

    // Bytes 0..14 hold a text of up to 15 bytes and byte 15 its length (0: no text); or bytes
    // 0..7 the arena offset, 8..11 the length and byte 15 arenaTag.
    struct Slot
    {
        unsigned char bytes[16];

        bool empty() const { return bytes[15] == 0; }
        bool inArena() const { return bytes[15] == arenaTag; }
        std::uint64_t offset() const
        {
            std::uint64_t value;
            std::memcpy(&value, bytes, sizeof value);
            return value;
        }
        std::uint32_t length() const
        {
            std::uint32_t value;
            std::memcpy(&value, bytes + 8, sizeof value);
            return value;
        }
        void setArena(std::uint64_t offset, std::uint32_t length)
        {
            std::memcpy(bytes, &offset, sizeof offset);
            std::memcpy(bytes + 8, &length, sizeof length);
            bytes[15] = arenaTag;
        }
        void setInline(std::string_view value)
        {
            // The value may be a view of this very slot.
            std::memmove(bytes, value.data(), value.size());
            bytes[15] = static_cast<unsigned char>(value.size());
        }
    };

    static std::uint64_t keyOf(int col, int row)
    {
        return (static_cast<std::uint64_t>(static_cast<std::uint32_t>(row)) << 32) |
               static_cast<std::uint32_t>(col);
    }
    static int colOf(std::uint64_t key) { return static_cast<int>(key & 0xFFFFFFFFu); }
    static int rowOf(std::uint64_t key) { return static_cast<int>(key >> 32); }

    const Slot* rowSlots(int row) const
    {
        return m_chunks[static_cast<std::size_t>(row >> chunkShift)].get() +
               static_cast<std::size_t>(row & (chunkRows - 1)) *
                   static_cast<std::size_t>(m_blockCols);
    }
    Slot* rowSlots(int row) { return const_cast<Slot*>(std::as_const(*this).rowSlots(row)); }
    std::string_view view(const Slot& slot) const
    {
        if (slot.inArena())
            return {m_arena.data() + slot.offset(), slot.length()};
        return {reinterpret_cast<const char*>(slot.bytes), slot.bytes[15]};
    }

    template <typename F> void visit(std::int64_t colLimit, std::int64_t rowLimit, F& f) const
    {
        const auto rows = static_cast<int>(std::min<std::int64_t>(rowLimit, m_blockRows));
        const auto cols = static_cast<int>(std::min<std::int64_t>(colLimit, m_blockCols));
        for (int row = 0; row < rows; ++row) {
            const Slot* rowCells = rowSlots(row);
            for (int col = 0; col < cols; ++col) {
                if (!rowCells[col].empty())
                    f(col, row, view(rowCells[col]));
            }
        }
        for (const auto& [key, value] : m_outside) {
            if (rowOf(key) >= rowLimit)
                break;
            if (colOf(key) < colLimit)
                f(colOf(key), rowOf(key), std::string_view(value));
        }
    }

    struct Layer
    {
        std::shared_ptr<const GridCellSource> source;
        GridCellArea area;
    };

    bool isBlank(int col, int row) const
    {
        return !m_blanks.empty() && m_blanks.contains(keyOf(col, row));
    }
    const Layer* topLayerAt(int col, int row) const;
    void eraseWrittenWithin(const GridCellArea& area);
    void retireLayersUnder(const GridCellArea& area);

    bool inBlock(int col, int row) const { return row < m_blockRows && col < m_blockCols; }
    bool canAddRow(int col, int row) const
    {
        return row == m_blockRows && col < m_blockCols && row < std::numeric_limits<int>::max();
    }
    bool canAddCol(int col, int row) const;
    void setTextElsewhere(int col, int row, std::string_view value);
    void addRow();
    void addCol();
    void takeFromOutside(int col, int row);

    void writeSlot(Slot& slot, std::string_view value);
    void releaseLong(const Slot& slot);
    void compactArenaIfWasteful();
    void writeOutside(int col, int row, std::string_view value);

    std::vector<std::unique_ptr<Slot[]>> m_chunks;
    int m_blockRows = 0;
    int m_blockCols = 0;
    std::size_t m_blockSize = 0;
    // Texts of block cells longer than a slot holds. Bytes of rewritten or removed texts stay
    // behind as garbage until they outweigh the live ones and the block's slots together.
    std::string m_arena;
    std::size_t m_arenaGarbage = 0;
    std::map<std::uint64_t, std::string> m_outside;
    // Oldest first.
    std::vector<Layer> m_layers;
    // Cells emptied within a source's area since it was added.
    std::set<std::uint64_t> m_blanks;
};
