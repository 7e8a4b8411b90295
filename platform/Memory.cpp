#include "Memory.h"

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace vv {

void ReleaseFreeMemory()
{
#ifdef __GLIBC__
    malloc_trim(0);
#endif
}

} // namespace vv
