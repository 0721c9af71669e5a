#pragma once

namespace stellwick {

// Gives memory that a closed window freed back to the system: the caches of
// images drawn for it, and the free pages the allocator keeps (glibc keeps
// them for reuse; a tray application idles for hours after one window).
void releaseFreedMemory();

} // namespace stellwick
