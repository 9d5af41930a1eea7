#include "morvel.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

int main(int argc, char** argv) {
#if defined(__GLIBC__)
  // Record tracks grow from record to record; kept in the heap, freed tracks
  // are reused by the next, larger ones instead of being returned to the
  // system and asked for again as fresh pages, which the kernel must clear.
  mallopt(M_MMAP_THRESHOLD, 1 << 30);
  mallopt(M_TRIM_THRESHOLD, 1 << 30);
#endif
  return morvel::MorvelMain(argc, argv);
}
