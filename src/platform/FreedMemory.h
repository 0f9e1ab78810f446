#pragma once

// How a printing run treats the memory it frees. Qt's PDF writer takes two fresh 16 MB buffers for
// every page it writes out (to compress the page's stream). glibc hands such blocks back to the
// system when they are freed, and trims the top of its heap, so every page paid for its memory
// again: a page fault for each 4 KB the page touches, which on a virtual machine can cost more than
// drawing the page. A run of versino-print is short, so it keeps freed memory for the next page
// and gives it back once, when the pages are done and the file's fonts and bookmarks are written.

namespace versino {

// From now on freed blocks stay with the process for reuse. Called once at the start of a run.
void keepFreedMemory();

// Gives what was freed back to the system, so that the memory a run holds at its end is what the
// end needs and not also what the pages left.
void releaseFreedMemory();

} // namespace versino
