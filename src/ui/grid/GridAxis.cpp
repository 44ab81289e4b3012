#include "ui/grid/GridAxis.h"

#include "platform/Exceptions.h"
#include "platform/LayoutScale.h"

#include <algorithm>
#include <limits>
#include <string>

namespace {

constexpr std::int64_t intMax = std::numeric_limits<int>::max();

int clampToInt(std::int64_t value)
{
    return static_cast<int>(
        std::clamp<std::int64_t>(value, std::numeric_limits<int>::min(), intMax));
}

[[noreturn]] void throwGridIndexOutOfRange()
{
    throw EInvalidGridOperation(std::string(ErrorMessages::gridIndexOutOfRange));
}

[[noreturn]] void throwGridTooLarge()
{
    throw EInvalidGridOperation(std::string(ErrorMessages::gridTooLarge));
}

} // namespace

GridAxis::GridAxis(int count, int fixedCount, int defaultSize)
    : m_count(count)
    , m_fixedCount(fixedCount)
    , m_defaultSize(defaultSize)
    , m_origin(fixedCount)
{}

int GridAxis::size(int index) const
{
    return m_sizes ? (*m_sizes)[static_cast<std::size_t>(index)] : m_defaultSize;
}

int GridAxis::extent(int index) const
{
    return std::max(0, size(index));
}

void GridAxis::checkCount(int newCount) const
{
    if (m_sizes && newCount > maxSizeListCount)
        throwGridTooLarge();
}

void GridAxis::setCount(int newCount)
{
    checkCount(newCount);
    if (m_sizes)
        m_sizes->resize(static_cast<std::size_t>(newCount), m_defaultSize);
    m_count = newCount;
}

void GridAxis::setFixedCount(int fixedCount)
{
    m_fixedCount = fixedCount;
}

void GridAxis::setDefaultSize(int size)
{
    m_defaultSize = size;
    m_sizes.reset();
}

void GridAxis::ensureSizeList()
{
    if (m_sizes)
        return;
    if (m_count > maxSizeListCount)
        throwGridTooLarge();
    m_sizes.emplace(static_cast<std::size_t>(m_count), m_defaultSize);
}

void GridAxis::setSize(int index, int size)
{
    if (index < 0 || index >= m_count)
        throwGridIndexOutOfRange();
    ensureSizeList();
    (*m_sizes)[static_cast<std::size_t>(index)] = size;
}

void GridAxis::growSizes(int delta)
{
    ensureSizeList();
    for (int& size : *m_sizes) {
        const std::int64_t grown = static_cast<std::int64_t>(size) + delta;
        if (size > 0 && grown > 0 && grown <= intMax)
            size = static_cast<int>(grown);
    }
}

void GridAxis::scale(int target)
{
    ensureSizeList();
    m_defaultSize = scaledFromLayout(m_defaultSize, target);
    for (int& size : *m_sizes)
        size = scaledFromLayout(size, target);
}

void GridAxis::setViewLength(int length)
{
    m_viewLength = std::max(0, length);
}

void GridAxis::setOrigin(std::int64_t origin)
{
    m_origin = static_cast<int>(
        std::clamp<std::int64_t>(origin, m_fixedCount, std::max(m_fixedCount, maxOrigin())));
}

int GridAxis::fixedLength() const
{
    if (!m_sizes)
        return clampToInt(static_cast<std::int64_t>(m_fixedCount) * std::max(0, m_defaultSize));
    std::int64_t sum = 0;
    for (int i = 0; i < m_fixedCount && sum <= intMax; ++i)
        sum += extent(i);
    return clampToInt(sum);
}

std::int64_t GridAxis::normalAvailable(int viewLength) const
{
    return static_cast<std::int64_t>(viewLength) - fixedLength();
}

int GridAxis::firstFitting(int last, std::int64_t available) const
{
    if (!m_sizes) {
        if (m_defaultSize <= 0)
            return m_fixedCount;
        const std::int64_t fitting = available / m_defaultSize;
        if (fitting < 1)
            return last;
        return clampToInt(std::max<std::int64_t>(m_fixedCount, last - fitting + 1));
    }
    std::int64_t sum = extent(last);
    if (sum > available)
        return last;
    int first = last;
    while (first - 1 >= m_fixedCount && sum + extent(first - 1) <= available) {
        --first;
        sum += extent(first);
    }
    return first;
}

int GridAxis::maxOriginFor(int viewLength) const
{
    return std::max(m_fixedCount, firstFitting(m_count - 1, normalAvailable(viewLength)));
}

int GridAxis::lastFullyVisible() const
{
    const std::int64_t available = normalAvailable(m_viewLength);
    if (!m_sizes) {
        if (m_defaultSize <= 0)
            return m_count - 1;
        const std::int64_t fitting = std::max<std::int64_t>(0, available / m_defaultSize);
        return clampToInt(std::min<std::int64_t>(m_count - 1, m_origin + fitting - 1));
    }
    std::int64_t sum = 0;
    int index = m_origin;
    while (index < m_count && sum + extent(index) <= available) {
        sum += extent(index);
        ++index;
    }
    return index - 1;
}

int GridAxis::fullyVisibleEnd() const
{
    const int last = lastFullyVisible();
    if (!m_sizes) {
        return clampToInt(fixedLength() + static_cast<std::int64_t>(last - m_origin + 1) *
                                              std::max(0, m_defaultSize));
    }
    std::int64_t end = fixedLength();
    for (int i = m_origin; i <= last; ++i)
        end += extent(i);
    return clampToInt(end);
}

int GridAxis::pageSize() const
{
    return std::max(1, fullyVisibleCount() - 1);
}

void GridAxis::scrollToShow(int index)
{
    if (index < m_fixedCount || index >= m_count)
        return;
    if (index < m_origin)
        setOrigin(index);
    else if (index > lastFullyVisible())
        setOrigin(firstFitting(index, normalAvailable(m_viewLength)));
}

void GridAxis::scroll(ScrollAction action)
{
    switch (action) {
    case ScrollAction::LineBack:
        setOrigin(m_origin - 1);
        break;
    case ScrollAction::LineForward:
        setOrigin(static_cast<std::int64_t>(m_origin) + 1);
        break;
    case ScrollAction::PageBack:
        // The top cell becomes the last fully visible one.
        setOrigin(std::min(firstFitting(m_origin, normalAvailable(m_viewLength)), m_origin - 1));
        break;
    case ScrollAction::PageForward:
        setOrigin(
            std::max<std::int64_t>(lastFullyVisible(), static_cast<std::int64_t>(m_origin) + 1));
        break;
    case ScrollAction::ToStart:
        setOrigin(m_fixedCount);
        break;
    case ScrollAction::ToEnd:
        setOrigin(maxOrigin());
        break;
    }
}

int GridAxis::indexAt(int position) const
{
    if (position < 0 || position >= m_viewLength)
        return -1;
    const int fixedEnd = fixedLength();
    std::int64_t start = 0;
    int index = 0;
    if (position >= fixedEnd) {
        start = fixedEnd;
        index = m_origin;
    }
    const int end = position >= fixedEnd ? m_count : m_fixedCount;
    if (!m_sizes) {
        if (m_defaultSize <= 0)
            return -1;
        const std::int64_t found = index + (position - start) / m_defaultSize;
        return found < end ? static_cast<int>(found) : -1;
    }
    for (; index < end; ++index) {
        start += extent(index);
        if (position < start)
            return index;
    }
    return -1;
}

std::optional<GridSpan> GridAxis::spanOf(int index) const
{
    if (index < 0 || index >= m_count || (index >= m_fixedCount && index < m_origin))
        return std::nullopt;
    std::int64_t start = 0;
    int first = 0;
    if (index >= m_fixedCount) {
        start = fixedLength();
        first = m_origin;
    }
    if (!m_sizes) {
        start += static_cast<std::int64_t>(index - first) * std::max(0, m_defaultSize);
    } else {
        for (int i = first; i < index && start < m_viewLength; ++i)
            start += extent(i);
    }
    if (start >= m_viewLength)
        return std::nullopt;
    return GridSpan{index, static_cast<int>(start), extent(index)};
}

std::vector<GridSpan> GridAxis::visibleSpans() const
{
    std::vector<GridSpan> spans;
    std::int64_t start = 0;
    for (int i = 0; i < m_fixedCount && start < m_viewLength; ++i) {
        spans.push_back({i, static_cast<int>(start), extent(i)});
        start += extent(i);
    }
    if (!m_sizes && m_defaultSize <= 0)
        return spans;
    start = fixedLength();
    for (int i = m_origin; i < m_count && start < m_viewLength; ++i) {
        spans.push_back({i, static_cast<int>(start), extent(i)});
        start += extent(i);
    }
    return spans;
}

int GridAxis::thumbPosition() const
{
    const std::int64_t range = maxOrigin() - m_fixedCount;
    if (range <= 0)
        return 0;
    const std::int64_t offset = m_origin - m_fixedCount;
    return static_cast<int>((2 * offset * thumbRange + range) / (2 * range));
}

void GridAxis::setThumbPosition(int position)
{
    const std::int64_t range = maxOrigin() - m_fixedCount;
    const std::int64_t clamped = std::clamp(position, 0, thumbRange);
    setOrigin(clampToInt(m_fixedCount + (2 * clamped * range + thumbRange) / (2 * thumbRange)));
}
