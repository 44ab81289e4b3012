#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

// One visible row or column: its index, where it starts in the client area and how many pixels
// it takes.
struct GridSpan
{
    int index = 0;
    int start = 0;
    int size = 0;

    bool operator==(const GridSpan&) const = default;
};

enum class ScrollAction { LineBack, LineForward, PageBack, PageForward, ToStart, ToEnd };

// The rows or the columns of the grid: their count, the fixed ones at the start, their sizes
// (a default plus an optional list of individual sizes), the first visible normal one (the view
// origin) and the length of the client area they are shown in. Sizes are pixels; the grid lines
// lie inside the cells, so cells follow each other without gaps. Without a size list every
// question is answered by arithmetic, so a count of two billion costs nothing.
class GridAxis
{
public:
    // The longest size list the grid keeps; more is refused with "Gitter zu groß für Operation".
    static constexpr int maxSizeListCount = 134'217'725;

    GridAxis(int count, int fixedCount, int defaultSize);

    int count() const { return m_count; }
    int fixedCount() const { return m_fixedCount; }
    int defaultSize() const { return m_defaultSize; }
    bool hasSizeList() const { return m_sizes.has_value(); }
    int size(int index) const;
    int origin() const { return m_origin; }
    int viewLength() const { return m_viewLength; }

    // Throws EInvalidGridOperation when a size list exists and could not hold newCount entries.
    void checkCount(int newCount) const;
    // Cuts or extends the size list; new entries take the default size.
    void setCount(int newCount);
    void setFixedCount(int fixedCount);
    // Discards the size list.
    void setDefaultSize(int size);
    // Creates the size list when needed. Throws EInvalidGridOperation for an index outside the
    // count, or when the list would be too long.
    void setSize(int index, int size);
    void ensureSizeList();
    // Adds delta to every size that is positive and stays positive (the zoom).
    void growSizes(int delta);
    // The start-up scaling: the default and every size become scaledFromLayout(size, target).
    void scale(int target);

    void setViewLength(int length);
    // Clamps to the first normal index and the highest origin that the view allows.
    void setOrigin(std::int64_t origin);
    void resetOrigin() { m_origin = m_fixedCount; }
    void scroll(ScrollAction action);

    int fixedLength() const;
    int maxOrigin() const { return maxOriginFor(m_viewLength); }
    // The highest origin at which the last cells still fill the view: the smallest index from
    // which the cells up to the last one all fit fully; at least the first normal index.
    int maxOriginFor(int viewLength) const;
    // The last normal cell that is fully visible from the origin; origin - 1 when none is.
    int lastFullyVisible() const;
    int fullyVisibleCount() const { return lastFullyVisible() - m_origin + 1; }
    // Where the fully visible cells end, in client pixels.
    int fullyVisibleEnd() const;
    // Page for keys: the fully visible normal cells minus one, at least one.
    int pageSize() const;
    // Scrolls just far enough to show a normal index fully (its start when it is too big).
    void scrollToShow(int index);

    // The index under a client position, or -1 beside the cells or outside the client area.
    int indexAt(int position) const;
    std::optional<GridSpan> spanOf(int index) const;
    // Whether a normal index lies past the end of the view, as far as the default size alone can
    // tell: a long table's writes fall mostly there.
    bool pastViewByDefaultSize(int index) const
    {
        return !m_sizes && index >= m_fixedCount && index >= m_origin &&
               static_cast<std::int64_t>(index - m_origin) * std::max(0, m_defaultSize) >=
                   m_viewLength;
    }
    // The fixed cells and then the normal ones from the origin, as far as the view reaches.
    std::vector<GridSpan> visibleSpans() const;

    // The scroll bar's thumb in its range 0..127, and the origin for a released thumb.
    static constexpr int thumbRange = 127;
    int thumbPosition() const;
    void setThumbPosition(int position);

private:
    int extent(int index) const;
    // The smallest index from which the cells up to `last` fit fully into `available` pixels;
    // `last` itself when even it does not.
    int firstFitting(int last, std::int64_t available) const;
    std::int64_t normalAvailable(int viewLength) const;

    int m_count;
    int m_fixedCount;
    int m_defaultSize;
    std::optional<std::vector<int>> m_sizes;
    int m_origin;
    int m_viewLength = 0;
};
