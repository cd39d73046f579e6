#pragma once

namespace calyxa::testing {

// Counts the calling thread's calls of operator new between start and stop. The gestures test
// program replaces the global operator new for it.
void startCountingAllocations();
long stopCountingAllocations();

}  // namespace calyxa::testing
