#pragma once

namespace tallimo::cli {

// Starts the program afresh, once, with glibc's allocator told to back its large blocks with
// transparent huge pages (GLIBC_TUNABLES=glibc.malloc.hugetlb=1), which glibc reads only when a
// program starts. A run over a million rows fills gigabytes of fresh memory, and on 4 KiB pages
// the kernel's page faults and the TLB misses cost it about a fifth of its CPU time. Returns,
// doing nothing, when the setting is already there; returns too when the program cannot be
// started again, which then runs on as it is. Call it first thing in main, before any thread.
void restartWithLargePages(char* argv[]);

}  // namespace tallimo::cli
