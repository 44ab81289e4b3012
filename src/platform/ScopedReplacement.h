#pragma once

namespace platform {

// Puts a replacement in the place of one of the platform's services (the clock, the locale, the
// clipboard, the boxes) for as long as it lives, and the previous one back afterwards. Tests and
// the report tool stand in for the desktop through it.
template <class Service> class ScopedReplacement
{
public:
    ScopedReplacement(Service*& current, Service& replacement)
        : m_current(current)
        , m_previous(current)
    {
        m_current = &replacement;
    }
    ~ScopedReplacement() { m_current = m_previous; }
    ScopedReplacement(const ScopedReplacement&) = delete;
    ScopedReplacement& operator=(const ScopedReplacement&) = delete;

private:
    Service*& m_current;
    Service* m_previous;
};

} // namespace platform
