#include "reliability/reliability_support.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "enc_dv.h"
#include "platform/test_hooks.h"
#include "support/synthetic_picture.h"

namespace encdv::test {

const Layout kLayouts[11] = {
    {"YUY2", DVENC_FOURCC_YUY2, 2}, {"YUYV", DVENC_FOURCC_YUYV, 2}, {"YuYv", DVENC_FOURCC_YuYv, 2},
    {"UYVY", DVENC_FOURCC_UYVY, 2}, {"UyVy", DVENC_FOURCC_UyVy, 2}, {"BGR3", DVENC_FOURCC_BGR3, 3},
    {"R24C", DVENC_FOURCC_R24C, 3}, {"BGR4", DVENC_FOURCC_BGR4, 4}, {"BGRA", DVENC_FOURCC_BGRA, 4},
    {"R32C", DVENC_FOURCC_R32C, 4}, {"VUYA", DVENC_FOURCC_VUYA, 4},
};

Bytes SeededPicture(int bytesPerPixel, int lines, uint32_t seed, int pitch) {
    if (pitch == 0) pitch = 720 * bytesPerPixel;
    Bytes picture(static_cast<size_t>(pitch) * lines);
    FillXorshiftNoise(picture, seed | 1);
    return picture;
}

int Compress(DVEncoderHandle* handle, const void* source, int pitch, void* output, int width,
             int height, unsigned flags, uint32_t fourcc) {
    if (handle)
        return DVCompressBuffer(handle, source, pitch, output, 0, width, height, 0, flags, fourcc);
    return CompressBuffer_DV(source, pitch, output, 0, width, height, 0, flags, fourcc);
}

bool ShortRun() {
    const char* text = std::getenv("ENC_DV_TEST_SHORT");
    return text != nullptr && *text != '\0' && std::strcmp(text, "0") != 0;
}

size_t PageBytes() {
    return static_cast<size_t>(sysconf(_SC_PAGESIZE));
}

FencedBuffer::FencedBuffer(size_t size, bool atStart) : size_(size) {
    const size_t page = PageBytes();
    const size_t inner = (size + page - 1) / page * page;
    mappingBytes_ = inner + 2 * page;
    void* mapping =
        mmap(nullptr, mappingBytes_, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (mapping == MAP_FAILED) std::abort();
    mapping_ = static_cast<uint8_t*>(mapping);
    if (inner > 0 && mprotect(mapping_ + page, inner, PROT_READ | PROT_WRITE) != 0) std::abort();
    data_ = atStart ? mapping_ + page : mapping_ + page + inner - size;
}

FencedBuffer::~FencedBuffer() {
    munmap(mapping_, mappingBytes_);
}

void FencedBuffer::Revoke(size_t offset, size_t bytes) {
    const uintptr_t page = PageBytes();
    const uintptr_t first = reinterpret_cast<uintptr_t>(data_ + offset) / page * page;
    const uintptr_t end =
        (reinterpret_cast<uintptr_t>(data_ + offset + bytes) + page - 1) / page * page;
    if (mprotect(reinterpret_cast<void*>(first), end - first, PROT_NONE) != 0) std::abort();
}

LiveCounts LiveCounts::Now() {
    namespace hooks = platform::test_hooks;
    return {hooks::LiveCount(hooks::Resource::kThread), hooks::LiveCount(hooks::Resource::kEvent),
            hooks::LiveCount(hooks::Resource::kLock),
            hooks::LiveCount(hooks::Resource::kAllocation)};
}

bool LiveCounts::operator==(const LiveCounts& other) const {
    return threads == other.threads && events == other.events && locks == other.locks &&
           allocations == other.allocations;
}

std::ostream& operator<<(std::ostream& out, const LiveCounts& counts) {
    return out << counts.threads << " threads, " << counts.events << " events, " << counts.locks
               << " locks, " << counts.allocations << " allocations";
}

}  // namespace encdv::test
