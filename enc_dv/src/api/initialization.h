#ifndef ENC_DV_API_INITIALIZATION_H
#define ENC_DV_API_INITIALIZATION_H

namespace encdv {

// Builds the process-wide transform tables and vector constants and chooses the kernel tables
// by the processor's features (FeatureWord), exactly once, whichever threads call it; a
// caller that returns may use them at once.
void InitializeLibrary();

}  // namespace encdv

#endif
