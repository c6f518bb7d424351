// Counts every heap allocation of the process (operator new and malloc
// alike), so the benchmark can show what the frame path allocates.
#pragma once

#include <cstdint>

namespace bench {
int64_t AllocationCount();
}
