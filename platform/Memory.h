#pragma once
// How the program's heap gives memory back to the system.

namespace vv {

// Hands the free pages of the heap back, after a large listing: the allocator
// keeps up to twice the largest buffer it has handed out lately (the user
// file's, megabytes with thousands of help texts).
void ReleaseFreeMemory();

} // namespace vv
