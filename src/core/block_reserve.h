#pragma once
// Memory for long loads, touched ahead of time on another processor.
//
// Fresh memory costs its first touch: the kernel clears every page, and a
// virtual machine may first have to back it on the host; together that is
// over a second per gigabyte, a tenth of reading a large file. A load that
// asks for big block after big block gets them from a helper thread that
// touches the next few while the current ones fill.
//
// The helper starts only once a load has asked for several blocks, keeps a
// few blocks ready while the asking goes on, and gives them back when it
// stops. Without a second processor there is no helper.

#include <cstddef>

namespace core {

// One block of `bytes`, aligned to them and backed by a huge page where the
// system has them, already touched; nullptr when none is ready (the caller
// then allocates one itself). Freed with std::free.
void* TakeTouchedBlock(size_t bytes);

// The blocks taken from the reserve so far, and whether its helper runs: for tests.
size_t TouchedBlocksTaken();
bool BlockReserveRunning();

}  // namespace core
