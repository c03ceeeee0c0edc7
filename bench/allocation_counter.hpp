// Counts every heap allocation of the process that includes it (once, in
// one file): malloc, calloc and realloc are replaced by versions that count
// and then call glibc's own.
#pragma once

#include <atomic>
#include <cstddef>

extern "C" void *__libc_malloc(std::size_t);
extern "C" void *__libc_calloc(std::size_t, std::size_t);
extern "C" void *__libc_realloc(void *, std::size_t);

static std::atomic<long> allocations{0};

extern "C" void *malloc(std::size_t n)
{
    ++allocations;
    return __libc_malloc(n);
}
extern "C" void *calloc(std::size_t n, std::size_t size)
{
    ++allocations;
    return __libc_calloc(n, size);
}
extern "C" void *realloc(void *p, std::size_t n)
{
    ++allocations;
    return __libc_realloc(p, n);
}
