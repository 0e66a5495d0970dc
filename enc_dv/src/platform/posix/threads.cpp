#include "platform/threads.h"

namespace encdv::platform {

// Placeholder until the POSIX layer lands.
ThreadHandle StartThread(ThreadEntry, void*) { return nullptr; }
void JoinThread(ThreadHandle) {}
EventHandle CreateManualResetEvent() { return nullptr; }
void SignalEvent(EventHandle) {}
void ResetEvent(EventHandle) {}
void WaitEvent(EventHandle) {}
void CloseEvent(EventHandle) {}
LockHandle CreateLock() { return nullptr; }
void EnterLock(LockHandle) {}
void LeaveLock(LockHandle) {}
void DeleteLock(LockHandle) {}
int CountProcessors() { return 1; }

}  // namespace encdv::platform
