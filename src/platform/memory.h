#pragma once

// How the process's allocator treats large blocks.

namespace lxtv::platform {

// Call first thing in main. Every block of a quarter megabyte or more then comes straight from
// the system and goes back to it when freed. By default glibc raises that threshold each time
// such a block is freed, after which blocks of megabytes come from the heap and, freed among
// small ones that stay, are kept by the process for good; a 200,000-channel catalogue passes
// through several such buffers (download, copy, parse, tree) and left some 30 MB behind.
void returnLargeBlocksWhenFreed();

}  // namespace lxtv::platform
