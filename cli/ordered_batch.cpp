#include "cli/ordered_batch.h"

#include <sched.h>

unsigned UsableProcessors() {
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof set, &set) == 0 && CPU_COUNT(&set) > 0)
        return unsigned(CPU_COUNT(&set));
    const unsigned machine = std::thread::hardware_concurrency();
    return machine > 0 ? machine : 1;
}
