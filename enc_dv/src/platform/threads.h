#ifndef ENC_DV_PLATFORM_THREADS_H
#define ENC_DV_PLATFORM_THREADS_H

#include <cstdint>

namespace encdv::platform {

struct ThreadObject;
struct EventObject;
struct LockObject;
using ThreadHandle = ThreadObject*;
using EventHandle = EventObject*;
using LockHandle = LockObject*;

// Entry point of a worker thread; the result is ignored.
using ThreadEntry = unsigned (*)(void* argument);

// Starts a thread at once with default stack size; null when it cannot be created.
ThreadHandle StartThread(ThreadEntry entry, void* argument);
// Waits without time limit until the thread has ended, then releases its handle.
void JoinThread(ThreadHandle thread);

// Manual-reset event, created non-signalled; null when it cannot be created.
EventHandle CreateManualResetEvent();
void SignalEvent(EventHandle event);
void ResetEvent(EventHandle event);
// Waits without time limit until the event is signalled (it stays signalled).
void WaitEvent(EventHandle event);

// Gives the rest of the thread's time slice to another thread ready to run, if there is one.
void YieldThread();
void CloseEvent(EventHandle event);

// A recursive mutual-exclusion lock (a critical section); null when it cannot be created.
LockHandle CreateLock();
void EnterLock(LockHandle lock);
void LeaveLock(LockHandle lock);
void DeleteLock(LockHandle lock);

// Number of processors the process may run on: set bits among the 32 low bits of its
// affinity mask (0 counts as 1). Not limited here.
int CountProcessors();

// Processors in an affinity mask: its set bits, all 32 counted alike; 0 counts as 1.
int CountAffinityMask(uint32_t mask);

}  // namespace encdv::platform

#endif
