#pragma once
// Runs independent pieces of work, such as the build of each mesh of a
// model, on the machine's cores.
#include <cstddef>
#include <functional>

// Calls work(i) once for every i in [0, count), on up to one thread per
// core, and returns when all are done. The calls must not share anything
// they write. Where threads cannot be made (a browser build without them,
// or the system refusing one), the remaining calls run on this thread.
void forEachInParallel(std::size_t count, const std::function<void(std::size_t)>& work);
