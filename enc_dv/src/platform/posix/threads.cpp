// POSIX threads, manual-reset events and a recursive lock behind the platform interface.
#include "platform/threads.h"

#include <pthread.h>
#include <sched.h>
#include <time.h>

#include <atomic>
#include <cstdint>
#include <new>

#include "platform/spin_wait.h"
#include "platform/test_hooks.h"

namespace encdv::platform {

struct ThreadObject {
    pthread_t thread;
    ThreadEntry entry;
    void* argument;
};

struct EventObject {
    pthread_mutex_t mutex;
    pthread_cond_t signalledChanged;
    // Written only under the mutex; read without it by the spinning phase of WaitEvent.
    std::atomic<bool> signalled;
};

struct LockObject {
    pthread_mutex_t mutex;
};

namespace {

int64_t MonotonicMicroseconds() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<int64_t>(now.tv_sec) * 1000000 + now.tv_nsec / 1000;
}

void* RunThread(void* object) {
    auto* thread = static_cast<ThreadObject*>(object);
    thread->entry(thread->argument);
    return nullptr;
}

}  // namespace

ThreadHandle StartThread(ThreadEntry entry, void* argument) {
    if (!test_hooks::AdmitCreation(test_hooks::Resource::kThread)) return nullptr;
    auto* thread = new (std::nothrow) ThreadObject{};
    if (!thread) return nullptr;
    thread->entry = entry;
    thread->argument = argument;
    if (pthread_create(&thread->thread, nullptr, RunThread, thread) != 0) {
        delete thread;
        return nullptr;
    }
    test_hooks::NoteCreated(test_hooks::Resource::kThread);
    return thread;
}

void JoinThread(ThreadHandle thread) {
    if (!thread) return;
    pthread_join(thread->thread, nullptr);
    delete thread;
    test_hooks::NoteReleased(test_hooks::Resource::kThread);
}

EventHandle CreateManualResetEvent() {
    if (!test_hooks::AdmitCreation(test_hooks::Resource::kEvent)) return nullptr;
    auto* event = new (std::nothrow) EventObject{};
    if (!event) return nullptr;
    if (pthread_mutex_init(&event->mutex, nullptr) != 0) {
        delete event;
        return nullptr;
    }
    if (pthread_cond_init(&event->signalledChanged, nullptr) != 0) {
        pthread_mutex_destroy(&event->mutex);
        delete event;
        return nullptr;
    }
    event->signalled.store(false, std::memory_order_relaxed);
    test_hooks::NoteCreated(test_hooks::Resource::kEvent);
    return event;
}

void SignalEvent(EventHandle event) {
    pthread_mutex_lock(&event->mutex);
    event->signalled.store(true, std::memory_order_release);
    pthread_cond_broadcast(&event->signalledChanged);
    pthread_mutex_unlock(&event->mutex);
}

void ResetEvent(EventHandle event) {
    pthread_mutex_lock(&event->mutex);
    event->signalled.store(false, std::memory_order_relaxed);
    pthread_mutex_unlock(&event->mutex);
}

void WaitEvent(EventHandle event) {
    const auto signalled = [event] { return event->signalled.load(std::memory_order_acquire); };
    if (SpinUntil(signalled, MonotonicMicroseconds)) return;
    pthread_mutex_lock(&event->mutex);
    while (!event->signalled.load(std::memory_order_relaxed))
        pthread_cond_wait(&event->signalledChanged, &event->mutex);
    pthread_mutex_unlock(&event->mutex);
}

void YieldThread() {
    sched_yield();
}

void CloseEvent(EventHandle event) {
    if (!event) return;
    pthread_cond_destroy(&event->signalledChanged);
    pthread_mutex_destroy(&event->mutex);
    delete event;
    test_hooks::NoteReleased(test_hooks::Resource::kEvent);
}

LockHandle CreateLock() {
    if (!test_hooks::AdmitCreation(test_hooks::Resource::kLock)) return nullptr;
    auto* lock = new (std::nothrow) LockObject{};
    if (!lock) return nullptr;
    pthread_mutexattr_t attributes;
    bool created = pthread_mutexattr_init(&attributes) == 0;
    if (created) {
        created = pthread_mutexattr_settype(&attributes, PTHREAD_MUTEX_RECURSIVE) == 0 &&
                  pthread_mutex_init(&lock->mutex, &attributes) == 0;
        pthread_mutexattr_destroy(&attributes);
    }
    if (!created) {
        delete lock;
        return nullptr;
    }
    test_hooks::NoteCreated(test_hooks::Resource::kLock);
    return lock;
}

void EnterLock(LockHandle lock) {
    pthread_mutex_lock(&lock->mutex);
}

void LeaveLock(LockHandle lock) {
    pthread_mutex_unlock(&lock->mutex);
}

void DeleteLock(LockHandle lock) {
    if (!lock) return;
    pthread_mutex_destroy(&lock->mutex);
    delete lock;
    test_hooks::NoteReleased(test_hooks::Resource::kLock);
}

}  // namespace encdv::platform
