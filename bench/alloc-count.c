/* LD_PRELOAD library for the benchmarks: counts malloc, calloc and realloc calls and prints the
 * total at exit, so that two runs over inputs of different length show whether anything is
 * allocated per block. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdatomic.h>
#include <stddef.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

static atomic_long calls;
static void* (*real_malloc)(size_t);
static void* (*real_calloc)(size_t, size_t);
static void* (*real_realloc)(void*, size_t);

/* dlsym itself may call calloc before real_calloc is known. */
static char early[4096];
static size_t early_used;

static void* early_alloc(size_t n) {
    n = (n + 15) & ~(size_t)15;
    if (early_used + n > sizeof early)
        return NULL;
    void* p = early + early_used;
    early_used += n;
    return p;
}

void* malloc(size_t n) {
    if (!real_malloc)
        real_malloc = dlsym(RTLD_NEXT, "malloc");
    atomic_fetch_add(&calls, 1);
    return real_malloc(n);
}

void* calloc(size_t n, size_t size) {
    if (!real_calloc) {
        static int resolving;
        if (resolving)
            return early_alloc(n * size);
        resolving = 1;
        real_calloc = dlsym(RTLD_NEXT, "calloc");
        resolving = 0;
    }
    atomic_fetch_add(&calls, 1);
    return real_calloc(n, size);
}

void* realloc(void* p, size_t n) {
    if (!real_realloc)
        real_realloc = dlsym(RTLD_NEXT, "realloc");
    atomic_fetch_add(&calls, 1);
    return real_realloc(p, n);
}

void free(void* p) {
    static void (*real_free)(void*);
    if ((char*)p >= early && (char*)p < early + sizeof early)
        return;
    if (!real_free)
        real_free = dlsym(RTLD_NEXT, "free");
    real_free(p);
}

__attribute__((destructor)) static void report(void) {
    char line[64];
    int n = snprintf(line, sizeof line, "allocations: %ld\n", atomic_load(&calls));
    if (write(2, line, (size_t)n) < 0) {
    }
}
