#pragma once
// While any processor lives, the library's deletions go through a deferring
// deleter, so that the audio thread never frees memory or reaches the FFTW
// planner: nodes a plug drops at the end of a crossfade are deleted later, on
// the message thread, by flushDeferringDeleter. The first processor installs
// it and the last one restores the default deleter. Message thread.
namespace morvane3
{
void acquireDeferringDeleter();
void releaseDeferringDeleter(); // flushes, then restores the default deleter after the last release
void flushDeferringDeleter();
int deferringDeleterUsers(); // for tests
} // namespace morvane3
