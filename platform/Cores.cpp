#include "platform/Cores.h"

#include <algorithm>
#include <thread>

#include <sched.h>

namespace plat {

int UsableCores()
{
    cpu_set_t set;
    CPU_ZERO(&set);
    if (::sched_getaffinity(0, sizeof set, &set) == 0)
        return std::max(1, CPU_COUNT(&set));
    return std::max(1, int(std::thread::hardware_concurrency()));
}

} // namespace plat
