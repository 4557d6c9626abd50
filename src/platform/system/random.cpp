#include "platform/system/random.h"

#include "platform/replay/input_journal.h"
#include "platform/system/text.h"

namespace sq {

namespace {

constexpr int32_t kModulus = 2147483647;  // 2^31 - 1
constexpr int32_t kMultiplier = 48271;
constexpr int32_t kQuotient = 44488;  // kModulus / kMultiplier
constexpr int32_t kRemainder = 3399;  // kModulus % kMultiplier
constexpr int32_t kFallbackSeed = 4660;

int32_t state = kFallbackSeed;

// One step of the minimal-standard generator. Schrage's split keeps every
// intermediate product inside 31 bits, so the sequence is the same on any
// machine.
int32_t Advance() {
    int32_t hi = state / kQuotient;
    int32_t lo = state % kQuotient;
    int32_t next = kMultiplier * lo - kRemainder * hi;
    if (next <= 0) next += kModulus;
    state = next;
    return next;
}

}  // namespace

void SeedRandom(int seed) {
    int32_t s = int32_t(uint32_t(JournalSeed(seed)) & 0x7FFFFFFFu);
    // 0 and 2^31 - 1 are fixed points of the generator: both would repeat forever.
    if (s == 0 || s == kModulus) s = kFallbackSeed;
    state = s;
}

double RandomUnit() {
    int32_t s1 = Advance();
    int32_t s2 = Advance();
    double hi = double(s1 & 0x1FFFFFFC);
    double lo = double(s2 & 0x1FFFFFF8);
    return (hi + lo / 134217728.0) / 536870912.0;  // 2^27, 2^29
}

double RandomFloat(double a, double b) {
    double u = RandomUnit();
    if (b > a) return a + u * (b - a);
    return b + u * (a - b);
}

int RandomInt(int a, int b) {
    // Differences in 64 bits: bounds far apart must not overflow.
    int64_t d = int64_t(b) - int64_t(a);
    double u = RandomUnit();
    if (d > 0) return ToInt(double(a) + u * double(d + 1));
    return ToInt(double(b) + u * double(1 - d));
}

int32_t RandomState() { return state; }

}  // namespace sq
