#ifndef ENC_DV_PLATFORM_TEST_HOOKS_H
#define ENC_DV_PLATFORM_TEST_HOOKS_H

// A seam for tests: counts of live platform resources, injected creation failures and a
// forced processor count. Inert until a test arms it; all of it is thread-safe.
namespace encdv::platform::test_hooks {

enum class Resource { kThread, kEvent, kLock, kAllocation };

// Resources created and not yet released (threads count until joined).
long LiveCount(Resource resource);

// Makes creations number nth .. nth + count - 1 of the resource, counted from this call
// and starting at 1, fail as if the system had refused them. nth <= 0 disarms.
void ArmFailure(Resource resource, long nth, long count = 1);
// Disarms every injected failure and the forced processor count.
void Disarm();

// Makes CountProcessors report count (before any limit the caller applies); 0 restores
// the real count.
void ForceProcessorCount(int count);

// Used by the platform layer itself.
bool AdmitCreation(Resource resource);
void NoteCreated(Resource resource);
void NoteReleased(Resource resource);
int ForcedProcessorCount();

}  // namespace encdv::platform::test_hooks

#endif
