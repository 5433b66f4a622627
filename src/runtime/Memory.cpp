#include "Memory.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

void returnLargeBlocksToSystem()
{
#if defined(__GLIBC__)
    // A fixed threshold: glibc otherwise raises it to the largest block freed so far.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
#endif
}
