// How the program's heap is set up for one command: read a workbook, change it, write it, exit.
#ifndef TARQUEL_APP_TARQUEL_HEAP_H_
#define TARQUEL_APP_TARQUEL_HEAP_H_

namespace tarquel::cli {

// Keeps memory the command frees for the rest of the run, and backs the heap with huge pages
// where the system allows it. Reading a large bank fills over a hundred megabytes of fresh heap
// in well under a second; with ordinary pages that is tens of thousands of page faults, which
// on virtual machines cost more than the reading itself. Call first thing in main; does nothing
// harmful where it cannot apply (another allocator, no huge pages).
void PrepareHeapForOneCommand();

}  // namespace tarquel::cli

#endif  // TARQUEL_APP_TARQUEL_HEAP_H_
