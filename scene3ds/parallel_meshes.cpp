#include "scene3ds/parallel_meshes.h"

#include <algorithm>
#include <atomic>
#include <system_error>
#include <thread>
#include <vector>

#if defined(__EMSCRIPTEN__) && !defined(__EMSCRIPTEN_PTHREADS__)
#define BRONTAVIK_NO_THREADS 1
#endif

void forEachInParallel(std::size_t count, const std::function<void(std::size_t)>& work) {
    // Each thread takes the next index in turn, so a few large meshes among
    // many small ones still spread over the cores.
    std::atomic<std::size_t> next{0};
    auto drain = [&] {
        for (std::size_t i = next++; i < count; i = next++) work(i);
    };
#ifndef BRONTAVIK_NO_THREADS
    const std::size_t cores = std::max(1u, std::thread::hardware_concurrency());
    const std::size_t helpers = std::min(cores, count) - (count > 0 ? 1 : 0);
    std::vector<std::thread> threads;
    threads.reserve(helpers);
    for (std::size_t t = 0; t < helpers; ++t) {
        try {
            threads.emplace_back(drain);
        } catch (const std::system_error&) {
            break;  // what is left runs on the threads there are
        }
    }
    drain();
    for (std::thread& thread : threads) thread.join();
#else
    drain();
#endif
}
