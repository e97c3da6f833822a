/* The portable program carries GCC's runtime inside it (-static-libstdc++ -static-libgcc).
 * Built against this machine's C library, that runtime calls two functions that glibc has
 * only had since 2.35 and 2.36, and the program would not start on an older one. These
 * definitions take precedence inside the program (they are hidden, so no library sees them)
 * and do the same with calls that every glibc from 2.25 on has:
 *   _dl_find_object, with which GCC's unwinder finds an address's unwind tables;
 *   arc4random, behind std::random_device, which the demo never uses but cannot leave out. */
#ifndef _GNU_SOURCE
#define _GNU_SOURCE
#endif
#include <dlfcn.h>
#include <errno.h>
#include <link.h>
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <sys/random.h>

struct search {
    uintptr_t address;
    struct dl_find_object* result;
    int found;
};

static int visit(struct dl_phdr_info* info, size_t size, void* data) {
    (void)size;
    struct search* search = data;
    uintptr_t start = UINTPTR_MAX, end = 0;
    void* ehFrame = NULL;
    int inside = 0;
    for (ElfW(Half) i = 0; i < info->dlpi_phnum; ++i) {
        const ElfW(Phdr)* header = &info->dlpi_phdr[i];
        const uintptr_t from = info->dlpi_addr + header->p_vaddr;
        if (header->p_type == PT_LOAD) {
            inside |= search->address >= from && search->address < from + header->p_memsz;
            start = from < start ? from : start;
            end = from + header->p_memsz > end ? from + header->p_memsz : end;
        } else if (header->p_type == PT_GNU_EH_FRAME) {
            ehFrame = (void*)from;
        }
    }
    if (!inside) {
        return 0;
    }
    /* The whole object's mapping, as glibc gives it; no link map (the unwinder reads none). */
    search->result->dlfo_flags = 0;
    search->result->dlfo_map_start = (void*)start;
    search->result->dlfo_map_end = (void*)end;
    search->result->dlfo_link_map = NULL;
    search->result->dlfo_eh_frame = ehFrame;
    search->found = 1;
    return 1;
}

__attribute__((visibility("hidden"))) int _dl_find_object(void* address,
                                                          struct dl_find_object* result) {
    struct search search = {(uintptr_t)address, result, 0};
    dl_iterate_phdr(visit, &search);
    return search.found ? 0 : -1;
}

__attribute__((visibility("hidden"))) uint32_t arc4random(void) {
    /* As glibc's own, it waits until the kernel has entropy and has no failure to return. */
    uint32_t value;
    ssize_t got;
    while ((got = getrandom(&value, sizeof value, 0)) != (ssize_t)sizeof value) {
        if (got < 0 && errno != EINTR) {
            abort();
        }
    }
    return value;
}
