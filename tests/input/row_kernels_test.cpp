// Every row kernel this processor runs, of each instruction set, against its twin.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "input/input_kernels.h"
#include "platform/cpu_features.h"
#include "reader_fixture.h"
#include "reader_twins.h"
#include "support/kernel_check.h"
#include "support/kernel_features.h"

namespace encdv::test {
namespace {

const VariantCase& CaseOf(ReaderVariant variant) {
    for (const VariantCase& c : kVariants) {
        if (c.variant == variant) return c;
    }
    return kVariants[0];
}

// One context, set up as the reader constructor sets it up, writing into guarded outputs
// beside those of the twin.
class KernelBench {
  public:
    explicit KernelBench(ReaderVariant variant, int capacity = 720)
        : variant_(variant),
          reader_(CaseOf(variant).code, CaseOf(variant).flags, 1, 0),
          luma_(capacity),
          cb_(capacity),
          cr_(capacity),
          lumaTwin_(capacity),
          cbTwin_(capacity),
          crTwin_(capacity) {}

    KernelContext* context() const { return reader_.get()->contexts[0]; }

    // Runs the kernel kind on `source` for `count` pixels and compares with the twin.
    enum Kind { kStrip, kRow444, kRow422 };
    ::testing::AssertionResult Check(Kind kind, const uint8_t* source, int count) {
        for (GuardedBuffer* b : {&luma_, &cb_, &cr_, &lumaTwin_, &cbTwin_, &crTwin_}) b->Reset();
        KernelContext* c = context();
        c->source = source;
        c->lumaDestination = luma_.data();
        c->cbDestination = cb_.data();
        c->crDestination = cr_.data();
        c->pixelCount = count;
        int chroma = count;
        if (kind == kStrip) {
            c->stripTo422(c);
            twin::StripTo422(variant_, source, lumaTwin_.data(), cbTwin_.data(), crTwin_.data());
            chroma = 8;
        } else if (kind == kRow444) {
            c->rowTo444(c);
            twin::RowTo444(variant_, source, count, lumaTwin_.data(), cbTwin_.data(),
                           crTwin_.data());
        } else {
            c->rowTo422(c);
            twin::RowTo422(variant_, source, count, lumaTwin_.data(), cbTwin_.data(),
                           crTwin_.data());
            chroma = count / 2;
        }
        if (c->source != source || c->lumaDestination != luma_.data() ||
            c->cbDestination != cb_.data() || c->crDestination != cr_.data()) {
            return ::testing::AssertionFailure() << "moved pointers";
        }
        // Past its samples a kernel leaves the guard bytes, as the twin does.
        if (auto r = SameOutput(luma_, lumaTwin_); !r) return r << " (luma)";
        if (auto r = SameOutput(cb_, cbTwin_); !r) return r << " (Cb of " << chroma << ")";
        if (auto r = SameOutput(cr_, crTwin_); !r) return r << " (Cr of " << chroma << ")";
        return ::testing::AssertionSuccess();
    }

  private:
    ReaderVariant variant_;
    Reader reader_;
    GuardedBuffer luma_, cb_, cr_, lumaTwin_, cbTwin_, crTwin_;
};

// Runs `check` with each instruction set's kernels in the library's table, where the readers
// take theirs from, then those this processor runs again.
template <typename Check>
void ForEachKernelSet(Check check) {
    for (const KernelFeatures& set : VectorKernelFeatures()) {
        SCOPED_TRACE(set.name);
        SelectInputKernels(set.features);
        check();
    }
    SelectInputKernels(GetFeatureWord());
}

// Random bytes, and bytes drawn from the extremes that stress saturation and rounding.
std::vector<uint8_t> TestBytes(std::mt19937& random, size_t size, bool extremes) {
    constexpr uint8_t kExtremes[] = {0, 1, 15, 16, 17, 127, 128, 129, 235, 240, 254, 255};
    std::vector<uint8_t> bytes(size);
    for (auto& b : bytes) b = extremes ? kExtremes[random() % 12] : uint8_t(random());
    return bytes;
}

TEST(RowKernels, StripTo422MatchesTwinForEveryLayout) {
    ForEachKernelSet([] {
        std::mt19937 random(PrintedSeed("RowKernels", kSeed));
        for (const VariantCase& c : kVariants) {
            KernelBench bench(c.variant);
            const int bytes = 16 * twin::BytesPerPixel(c.variant);
            for (int trial = 0; trial < 20000; ++trial) {
                const std::vector<uint8_t> source = TestBytes(random, bytes, trial % 2);
                ASSERT_TRUE(bench.Check(KernelBench::kStrip, source.data(), 16))
                    << "variant " << c.variant << " trial " << trial;
            }
        }
    });
}

TEST(RowKernels, RowKernelsMatchTwinOnWholeLines) {
    ForEachKernelSet([] {
        std::mt19937 random(kSeed + 1);
        for (const VariantCase& c : kVariants) {
            KernelBench bench(c.variant);
            const auto kind =
                twin::HasRowTo444(c.variant) ? KernelBench::kRow444 : KernelBench::kRow422;
            EXPECT_EQ(kind == KernelBench::kRow444, bench.context()->rowTo422 == nullptr);
            for (int trial = 0; trial < 300; ++trial) {
                // Exactly one line of source, so that an over-read shows under AddressSanitizer.
                const std::vector<uint8_t> source =
                    TestBytes(random, 720 * twin::BytesPerPixel(c.variant), trial % 2);
                ASSERT_TRUE(bench.Check(kind, source.data(), 720)) << "variant " << c.variant;
            }
        }
    });
}

// RowTo444 on every RGB triple, both ranges and both pixel sizes: one call per value of R.
TEST(RowKernels, RowTo444MatchesTwinForEveryRgbTriple) {
    ForEachKernelSet([] {
        for (ReaderVariant variant : {kVariantBGR4, kVariantR32C, kVariantBGR3, kVariantR24C}) {
            const int bpp = twin::BytesPerPixel(variant);
            KernelBench bench(variant, 65536);
            std::vector<uint8_t> line(65536 * bpp, 0x80);
            for (int r = 0; r < 256; ++r) {
                for (int i = 0; i < 65536; ++i) {
                    line[i * bpp] = uint8_t(i & 255);  // B
                    line[i * bpp + 1] = uint8_t(i >> 8);
                    line[i * bpp + 2] = uint8_t(r);
                }
                ASSERT_TRUE(bench.Check(KernelBench::kRow444, line.data(), 65536))
                    << "variant " << variant << " R " << r;
            }
        }
    });
}

// The alpha-weighted kernels for every alpha value over a random sample of colours.
TEST(RowKernels, AlphaWeightedKernelsMatchTwinForEveryAlpha) {
    ForEachKernelSet([] {
        std::mt19937 random(kSeed + 2);
        for (ReaderVariant variant : {kVariantBGRAAlpha, kVariantR32CAlpha, kVariantVUYAAlpha}) {
            KernelBench bench(variant, 4096);
            for (int alpha = 0; alpha < 256; ++alpha) {
                std::vector<uint8_t> line = TestBytes(random, 4096 * 4, alpha % 3 == 0);
                for (int i = 0; i < 4096; ++i) line[4 * i + 3] = uint8_t(alpha);
                ASSERT_TRUE(bench.Check(KernelBench::kRow444, line.data(), 4096))
                    << "variant " << variant << " alpha " << alpha;
                for (int i = 0; i < 4096; i += 16) {
                    ASSERT_TRUE(bench.Check(KernelBench::kStrip, line.data() + 4 * i, 16))
                        << "variant " << variant << " alpha " << alpha;
                }
            }
        }
    });
}

}  // namespace
}  // namespace encdv::test
