#ifndef ENC_DV_API_QUERY_INFO_H
#define ENC_DV_API_QUERY_INFO_H

namespace encdv {

// The information query: type 3 writes the 32-bit value 1, type 4 the 11 characters of
// the version text, type 5 the 15 characters of the platform text, none zero-terminated.
// Returns 0, or 1 (nothing written) for another type or a null out.
int QueryInfo(int type, void* out);

}  // namespace encdv

#endif
