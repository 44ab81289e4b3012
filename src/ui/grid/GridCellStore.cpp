#include "ui/grid/GridCellStore.h"

#include "platform/Exceptions.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <limits>
#include <stdexcept>

namespace {

// Below this much garbage the arena is not worth a walk over the block.
constexpr std::size_t minCompactedGarbage = 4096;

// A source that a newer one hides but for this many cells leaves their texts written and is let
// go: a few texts cost less than the data of a long table kept for them, and clicks with ever
// fewer rows do not pile up tables.
constexpr std::int64_t maxCellsWrittenFromRetiredSource = 4096;

} // namespace

GridCellStore::GridCellStore(GridCellStore&& other) noexcept
    : m_chunks(std::move(other.m_chunks))
    , m_blockRows(std::exchange(other.m_blockRows, 0))
    , m_blockCols(std::exchange(other.m_blockCols, 0))
    , m_blockSize(std::exchange(other.m_blockSize, 0))
    , m_arena(std::move(other.m_arena))
    , m_arenaGarbage(std::exchange(other.m_arenaGarbage, 0))
    , m_outside(std::move(other.m_outside))
    , m_layers(std::move(other.m_layers))
    , m_blanks(std::move(other.m_blanks))
{
    other.m_chunks.clear();
    other.m_arena.clear();
    other.m_outside.clear();
    other.m_layers.clear();
    other.m_blanks.clear();
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
    std::swap(m_layers, moved.m_layers);
    std::swap(m_blanks, moved.m_blanks);
    return *this;
}

std::string GridCellStore::text(int col, int row) const
{
    const std::string_view stored = storedText(col, row);
    if (!stored.empty() || m_layers.empty() || isBlank(col, row))
        return std::string(stored);
    const Layer* layer = topLayerAt(col, row);
    return layer ? layer->source->text(col, row) : std::string();
}

const GridCellStore::Layer* GridCellStore::topLayerAt(int col, int row) const
{
    for (auto layer = m_layers.rbegin(); layer != m_layers.rend(); ++layer) {
        if (layer->area.contains(col, row))
            return &*layer;
    }
    return nullptr;
}

std::string_view GridCellStore::storedText(int col, int row) const
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
    if (!m_layers.empty() || !m_blanks.empty()) {
        if (!value.empty())
            m_blanks.erase(keyOf(col, row));
        else if (topLayerAt(col, row) != nullptr)
            m_blanks.insert(keyOf(col, row));
    }
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

void GridCellStore::addSource(std::shared_ptr<const GridCellSource> source)
{
    const GridCellArea area = source->area();
    if (area.isEmpty())
        return;
    eraseWrittenWithin(area);
    retireLayersUnder(area);
    m_layers.push_back({std::move(source), area});
}

void GridCellStore::eraseWrittenWithin(const GridCellArea& area)
{
    const int lastBlockRow = std::min(area.lastRow, m_blockRows - 1);
    const int blockCols = std::min(area.columnCount, m_blockCols);
    for (int row = area.firstRow; row <= lastBlockRow; ++row) {
        Slot* rowCells = rowSlots(row);
        for (int col = 0; col < blockCols; ++col)
            writeSlot(rowCells[col], {});
    }
    if (m_arenaGarbage >= minCompactedGarbage)
        compactArenaIfWasteful();
    // Both are ordered by row, then column.
    for (auto cell = m_outside.lower_bound(keyOf(0, area.firstRow));
         cell != m_outside.end() && rowOf(cell->first) <= area.lastRow;) {
        cell = colOf(cell->first) < area.columnCount ? m_outside.erase(cell) : std::next(cell);
    }
    for (auto blank = m_blanks.lower_bound(keyOf(0, area.firstRow));
         blank != m_blanks.end() && rowOf(*blank) <= area.lastRow;) {
        blank = colOf(*blank) < area.columnCount ? m_blanks.erase(blank) : std::next(blank);
    }
}

void GridCellStore::retireLayersUnder(const GridCellArea& area)
{
    std::vector<bool> retired(m_layers.size(), false);
    for (std::size_t i = 0; i < m_layers.size(); ++i) {
        const Layer& layer = m_layers[i];
        const GridCellArea& old = layer.area;
        const int overlapFirst = std::max(old.firstRow, area.firstRow);
        const int overlapLast = std::min(old.lastRow, area.lastRow);
        const std::int64_t overlapRows =
            overlapLast >= overlapFirst ? std::int64_t{overlapLast} - overlapFirst + 1 : 0;
        const std::int64_t shownOutside =
            old.cellCount() - overlapRows * std::min(old.columnCount, area.columnCount);
        if (shownOutside > maxCellsWrittenFromRetiredSource)
            continue;
        retired[i] = true;
        // Cells outside the new area where this source is still the one shown keep its texts.
        // Sources hidden by the new one never show there, so the order of retiring is free.
        for (std::int64_t at = old.firstRow; at <= old.lastRow; ++at) {
            const bool underNew = at >= overlapFirst && at <= overlapLast;
            if (underNew && area.columnCount >= old.columnCount) {
                at = overlapLast;
                continue;
            }
            const auto row = static_cast<int>(at);
            for (int col = underNew ? area.columnCount : 0; col < old.columnCount; ++col) {
                if (topLayerAt(col, row) == &layer && !isWrittenOrBlank(col, row))
                    setText(col, row, layer.source->text(col, row));
            }
        }
    }
    std::size_t next = 0;
    for (std::size_t i = 0; i < m_layers.size(); ++i) {
        if (retired[i])
            continue;
        if (next != i)
            m_layers[next] = std::move(m_layers[i]);
        ++next;
    }
    m_layers.resize(next);
}

void GridCellStore::forEachSourceRun(
    int col, int rowLimit, const std::function<void(const GridCellSource&, int, int)>& f) const
{
    struct Run
    {
        int first;
        int last;
    };
    std::vector<Run> runs;
    std::vector<Run> remaining;
    for (std::size_t i = m_layers.size(); i-- > 0;) {
        const GridCellArea& area = m_layers[i].area;
        if (col < 0 || col >= area.columnCount)
            continue;
        runs.assign(1, {area.firstRow, std::min(area.lastRow, rowLimit - 1)});
        // Rows a newer source covers are its to show.
        for (std::size_t j = i + 1; j < m_layers.size(); ++j) {
            const GridCellArea& newer = m_layers[j].area;
            if (col >= newer.columnCount)
                continue;
            remaining.clear();
            for (const Run& run : runs) {
                if (newer.lastRow < run.first || newer.firstRow > run.last) {
                    remaining.push_back(run);
                    continue;
                }
                if (run.first < newer.firstRow)
                    remaining.push_back({run.first, newer.firstRow - 1});
                if (run.last > newer.lastRow)
                    remaining.push_back({newer.lastRow + 1, run.last});
            }
            runs.swap(remaining);
        }
        for (const Run& run : runs) {
            if (run.first <= run.last)
                f(*m_layers[i].source, run.first, run.last);
        }
    }
}

bool GridCellStore::hasWrittenOrBlankCell(int col, int first, int last) const
{
    first = std::max(first, 0);
    if (col < 0 || first > last)
        return false;
    if (col < m_blockCols) {
        const int lastBlockRow = std::min(last, m_blockRows - 1);
        for (int row = first; row <= lastBlockRow; ++row) {
            if (!rowSlots(row)[col].empty())
                return true;
        }
    }
    for (auto cell = m_outside.lower_bound(keyOf(col, first));
         cell != m_outside.end() && rowOf(cell->first) <= last; ++cell) {
        if (colOf(cell->first) == col)
            return true;
    }
    for (auto blank = m_blanks.lower_bound(keyOf(col, first));
         blank != m_blanks.end() && rowOf(*blank) <= last; ++blank) {
        if (colOf(*blank) == col)
            return true;
    }
    return false;
}
