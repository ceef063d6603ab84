#pragma once

#include <QByteArrayView>
#include <cstring>

// Where `needle` first stands in `haystack` at or after `from`, or -1: what
// QByteArrayView::indexOf answers. Pages and replies are searched for markers tens of kilobytes
// in; the C library's search (glibc's memmem) finds them over twice as fast as Qt's.
namespace ByteSearch {

inline qsizetype indexOf(QByteArrayView haystack, QByteArrayView needle, qsizetype from = 0)
{
#ifdef __GLIBC__
    if (!needle.isEmpty() && from >= 0 && from <= haystack.size()) {
        // Also what keeps an empty haystack's null data from the C library.
        if (haystack.size() - from < needle.size())
            return -1;
        const char* start = haystack.data() + from;
        const void* found =
            ::memmem(start, size_t(haystack.size() - from), needle.data(), size_t(needle.size()));
        return found ? qsizetype(static_cast<const char*>(found) - haystack.data()) : -1;
    }
#endif
    return haystack.indexOf(needle, from);
}

} // namespace ByteSearch
