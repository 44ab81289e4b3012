#pragma once

#include <cstddef>

#ifdef _WIN32
#include <windows.h>
#else
#include <malloc.h>
#endif

// The bytes the process's heap has handed out and not yet taken back, as the C library counts
// them: what a test compares before and after an operation to see what it keeps.
inline std::size_t heapBytesInUse()
{
#ifdef _WIN32
    // MinGW's runtime allocates from the process heap; walking it counts the busy blocks.
    std::size_t used = 0;
    const HANDLE heap = GetProcessHeap();
    HeapLock(heap);
    PROCESS_HEAP_ENTRY entry{};
    while (HeapWalk(heap, &entry) != 0)
        if ((entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) != 0)
            used += entry.cbData;
    HeapUnlock(heap);
    return used;
#else
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
#endif
}
