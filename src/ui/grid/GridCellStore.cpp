#include "ui/grid/GridCellStore.h"

#include "platform/Exceptions.h"

#include <cstring>
#include <limits>
#include <stdexcept>

namespace {

// Below this much garbage the arena is not worth a walk over the block.
constexpr std::size_t minCompactedGarbage = 4096;

} // namespace

GridCellStore::GridCellStore(GridCellStore&& other) noexcept
    : m_chunks(std::move(other.m_chunks))
    , m_blockRows(std::exchange(other.m_blockRows, 0))
    , m_blockCols(std::exchange(other.m_blockCols, 0))
    , m_blockSize(std::exchange(other.m_blockSize, 0))
    , m_arena(std::move(other.m_arena))
    , m_arenaGarbage(std::exchange(other.m_arenaGarbage, 0))
    , m_outside(std::move(other.m_outside))
{
    other.m_chunks.clear();
    other.m_arena.clear();
    other.m_outside.clear();
}

GridCellStore& GridCellStore::operator=(GridCellStore&& other) noexcept
{
    GridCellStore moved(std::move(other));
    std::swap(m_chunks, moved.m_chunks);
    std::swap(m_blockRows, moved.m_blockRows);
    std::swap(m_blockCols, moved.m_blockCols);
    std::swap(m_blockSize, moved.m_blockSize);
    std::swap(m_arena, moved.m_arena);
    std::swap(m_arenaGarbage, moved.m_arenaGarbage);
    std::swap(m_outside, moved.m_outside);
    return *this;
}

std::string_view GridCellStore::text(int col, int row) const
{
    if (col < 0 || row < 0)
        return {};
    if (inBlock(col, row))
        return view(rowSlots(row)[col]);
    if (m_outside.empty())
        return {};
    const auto found = m_outside.find(keyOf(col, row));
    return found == m_outside.end() ? std::string_view{} : std::string_view(found->second);
}

void GridCellStore::setTextElsewhere(int col, int row, std::string_view value)
{
    if (row < 0)
        throw EListError(row);
    if (col < 0)
        throw EListError(col);
    std::string kept;
    if (!inBlock(col, row)) {
        const bool addsRow = canAddRow(col, row);
        if (value.empty() || (!addsRow && !canAddCol(col, row))) {
            writeOutside(col, row, value);
            return;
        }
        // Growing moves cells from the map into the block and, for a new column, the block's
        // first chunk; the text may be a view of either.
        if (!addsRow || !m_outside.empty()) {
            kept.assign(value);
            value = kept;
        }
        if (addsRow)
            addRow();
        else
            addCol();
    }
    writeSlot(rowSlots(row)[col], value);
    if (m_arenaGarbage >= minCompactedGarbage)
        compactArenaIfWasteful();
}

bool GridCellStore::canAddCol(int col, int row) const
{
    // An empty store starts its block with the cell at the top left.
    return col == m_blockCols && m_blockCols < maxBlockCols && m_blockRows <= chunkRows &&
           row < std::max(m_blockRows, 1);
}

void GridCellStore::addRow()
{
    if ((m_blockRows & (chunkRows - 1)) == 0)
        m_chunks.push_back(std::make_unique<Slot[]>(static_cast<std::size_t>(chunkRows) *
                                                    static_cast<std::size_t>(m_blockCols)));
    ++m_blockRows;
    if (m_outside.empty())
        return;
    const int row = m_blockRows - 1;
    for (int col = 0; col < m_blockCols; ++col)
        takeFromOutside(col, row);
}

void GridCellStore::addCol()
{
    const int oldCols = m_blockCols;
    const int newCols = oldCols + 1;
    auto chunk = std::make_unique<Slot[]>(static_cast<std::size_t>(chunkRows) *
                                          static_cast<std::size_t>(newCols));
    for (int row = 0; row < m_blockRows; ++row) {
        std::memcpy(chunk.get() + static_cast<std::size_t>(row) * static_cast<std::size_t>(newCols),
                    rowSlots(row), sizeof(Slot) * static_cast<std::size_t>(oldCols));
    }
    if (m_chunks.empty())
        m_chunks.push_back(std::move(chunk));
    else
        m_chunks.front() = std::move(chunk);
    m_blockCols = newCols;
    m_blockRows = std::max(m_blockRows, 1);
    if (m_outside.empty())
        return;
    for (int row = 0; row < m_blockRows; ++row)
        takeFromOutside(oldCols, row);
}

void GridCellStore::takeFromOutside(int col, int row)
{
    const auto found = m_outside.find(keyOf(col, row));
    if (found == m_outside.end())
        return;
    writeSlot(rowSlots(row)[col], found->second);
    m_outside.erase(found);
}

void GridCellStore::writeSlot(Slot& slot, std::string_view value)
{
    const bool wasEmpty = slot.empty();
    if (value.empty()) {
        if (!wasEmpty) {
            releaseLong(slot);
            slot = Slot{};
            --m_blockSize;
        }
        return;
    }
    if (value.size() <= inlineCapacity) {
        // The old arena text is dropped only after the value, which may be a view of it, is
        // copied.
        const Slot old = slot;
        slot.setInline(value);
        releaseLong(old);
    } else {
        if (value.size() > std::numeric_limits<std::uint32_t>::max())
            throw std::length_error("cell text too long");
        const auto length = static_cast<std::uint32_t>(value.size());
        if (slot.inArena() && slot.length() >= length) {
            // A text no longer than the old one takes its place, so that rewriting a table with
            // texts of the same shapes leaves no garbage.
            std::memmove(m_arena.data() + slot.offset(), value.data(), length);
            m_arenaGarbage += slot.length() - length;
            slot.setArena(slot.offset(), length);
        } else {
            // Appending copes with a value that is a view of the arena itself.
            const std::uint64_t offset = m_arena.size();
            m_arena.append(value);
            releaseLong(slot);
            slot.setArena(offset, length);
        }
    }
    if (wasEmpty)
        ++m_blockSize;
}

void GridCellStore::releaseLong(const Slot& slot)
{
    if (slot.inArena())
        m_arenaGarbage += slot.length();
}

void GridCellStore::compactArenaIfWasteful()
{
    // The walk over the block is paid for by at least as many bytes of garbage as the block's
    // slots take, and the garbage never outgrows what is stored.
    const std::size_t live = m_arena.size() - m_arenaGarbage;
    const std::size_t blockBytes = sizeof(Slot) * static_cast<std::size_t>(m_blockRows) *
                                   static_cast<std::size_t>(m_blockCols);
    if (m_arenaGarbage <= live + blockBytes)
        return;
    std::string compacted;
    compacted.reserve(live);
    for (int row = 0; row < m_blockRows; ++row) {
        Slot* rowCells = rowSlots(row);
        for (int col = 0; col < m_blockCols; ++col) {
            Slot& slot = rowCells[col];
            if (!slot.inArena())
                continue;
            const std::uint64_t offset = compacted.size();
            compacted.append(m_arena, slot.offset(), slot.length());
            slot.setArena(offset, slot.length());
        }
    }
    m_arena = std::move(compacted);
    m_arenaGarbage = 0;
}

void GridCellStore::writeOutside(int col, int row, std::string_view value)
{
    if (value.empty()) {
        if (!m_outside.empty())
            m_outside.erase(keyOf(col, row));
        return;
    }
    // Assigning from a view of the same string is safe; other entries never move.
    m_outside[keyOf(col, row)].assign(value);
}
