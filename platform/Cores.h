#pragma once
// How many threads a piece of work can keep busy.

namespace plat {

// The cores this process may run on (its affinity, as a container or
// taskset restricts it), at least 1.
int UsableCores();

} // namespace plat
