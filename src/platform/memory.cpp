#include "platform/memory.h"

#include <cstdlib>  // defines __GLIBC__ where glibc is the C library

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace lxtv::platform {

void returnLargeBlocksWhenFreed() {
#if defined(__GLIBC__)
    // Setting it at all also stops glibc from moving it.
    mallopt(M_MMAP_THRESHOLD, 256 * 1024);
#endif
}

}  // namespace lxtv::platform
