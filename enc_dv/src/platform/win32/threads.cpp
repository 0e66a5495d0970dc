// Win32 threads, manual-reset events and critical sections behind the platform interface.
#include "platform/threads.h"

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <new>

#include "platform/spin_wait.h"
#include "platform/test_hooks.h"

namespace encdv::platform {

struct ThreadObject {
    HANDLE thread;
    ThreadEntry entry;
    void* argument;
};

// The flag is the event's state; the system event only wakes a waiter that sleeps. The two
// cannot change together: SignalEvent sets the flag first, so a polling waiter may see it,
// and reset both, before the SetEvent lands. The system event is then left set with the
// flag clear, and WaitEvent must not take such a wake-up for a signal.
struct EventObject {
    HANDLE event;
    std::atomic<bool> signalled;
};

struct LockObject {
    CRITICAL_SECTION section;
};

namespace {

int64_t Microseconds() {
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return static_cast<int64_t>(now.QuadPart / frequency.QuadPart * 1000000 +
                                now.QuadPart % frequency.QuadPart * 1000000 / frequency.QuadPart);
}

DWORD WINAPI RunThread(LPVOID object) {
    auto* thread = static_cast<ThreadObject*>(object);
    thread->entry(thread->argument);
    return 0;
}

}  // namespace

ThreadHandle StartThread(ThreadEntry entry, void* argument) {
    if (!test_hooks::AdmitCreation(test_hooks::Resource::kThread)) return nullptr;
    auto* thread = new (std::nothrow) ThreadObject{};
    if (!thread) return nullptr;
    thread->entry = entry;
    thread->argument = argument;
    thread->thread = CreateThread(nullptr, 0, RunThread, thread, 0, nullptr);
    if (!thread->thread) {
        delete thread;
        return nullptr;
    }
    test_hooks::NoteCreated(test_hooks::Resource::kThread);
    return thread;
}

void JoinThread(ThreadHandle thread) {
    if (!thread) return;
    WaitForSingleObject(thread->thread, INFINITE);
    CloseHandle(thread->thread);
    delete thread;
    test_hooks::NoteReleased(test_hooks::Resource::kThread);
}

EventHandle CreateManualResetEvent() {
    if (!test_hooks::AdmitCreation(test_hooks::Resource::kEvent)) return nullptr;
    auto* event = new (std::nothrow) EventObject{};
    if (!event) return nullptr;
    event->event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!event->event) {
        delete event;
        return nullptr;
    }
    test_hooks::NoteCreated(test_hooks::Resource::kEvent);
    return event;
}

void SignalEvent(EventHandle event) {
    event->signalled.store(true, std::memory_order_release);
    SetEvent(event->event);
}

void ResetEvent(EventHandle event) {
    ::ResetEvent(event->event);
    event->signalled.store(false, std::memory_order_relaxed);
}

void WaitEvent(EventHandle event) {
    const auto signalled = [event] { return event->signalled.load(std::memory_order_acquire); };
    if (SpinUntil(signalled, Microseconds)) return;
    while (!signalled()) {
        WaitForSingleObject(event->event, INFINITE);
        if (signalled()) return;
        // A late SetEvent of a signal already taken: clear it and sleep again. A signal that
        // comes now sets the flag before its SetEvent, so the check above the wait sees it.
        ::ResetEvent(event->event);
    }
}

void YieldThread() {
    SwitchToThread();
}

void CloseEvent(EventHandle event) {
    if (!event) return;
    CloseHandle(event->event);
    delete event;
    test_hooks::NoteReleased(test_hooks::Resource::kEvent);
}

LockHandle CreateLock() {
    if (!test_hooks::AdmitCreation(test_hooks::Resource::kLock)) return nullptr;
    auto* lock = new (std::nothrow) LockObject{};
    if (!lock) return nullptr;
    InitializeCriticalSection(&lock->section);
    test_hooks::NoteCreated(test_hooks::Resource::kLock);
    return lock;
}

void EnterLock(LockHandle lock) {
    EnterCriticalSection(&lock->section);
}

void LeaveLock(LockHandle lock) {
    LeaveCriticalSection(&lock->section);
}

void DeleteLock(LockHandle lock) {
    if (!lock) return;
    DeleteCriticalSection(&lock->section);
    delete lock;
    test_hooks::NoteReleased(test_hooks::Resource::kLock);
}

int CountProcessors() {
    const int forced = test_hooks::ForcedProcessorCount();
    if (forced > 0) return forced;
    DWORD_PTR processMask = 0;
    DWORD_PTR systemMask = 0;
    uint32_t mask;
    if (GetProcessAffinityMask(GetCurrentProcess(), &processMask, &systemMask)) {
        mask = static_cast<uint32_t>(processMask);
    } else {
        SYSTEM_INFO info;
        GetSystemInfo(&info);
        mask = static_cast<uint32_t>(info.dwActiveProcessorMask);
    }
    return CountAffinityMask(mask);
}

}  // namespace encdv::platform
