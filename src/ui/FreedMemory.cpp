#include "ui/FreedMemory.h"

#include <QPixmapCache>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace stellwick {

void releaseFreedMemory() {
    QPixmapCache::clear();
#if defined(__GLIBC__)
    malloc_trim(0);
#endif
}

} // namespace stellwick
