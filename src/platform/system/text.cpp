#include "platform/system/text.h"

#include <cmath>
#include <limits>

namespace sq {

std::string IntToText(int n) { return std::to_string(n); }

std::string CharToText(int code) { return std::string(1, char(uint8_t(code))); }

std::string Concat(const std::string& a, const std::string& b) { return a + b; }

std::string Substring(const std::string& text, int start, int count) {
    int64_t first = start;
    int64_t n = count;
    if (first < 1) {
        // The positions before the first character eat into the count.
        n -= 1 - first;
        first = 1;
    }
    int64_t len = int64_t(text.size());
    if (n <= 0 || first > len) return {};
    if (first - 1 + n > len) n = len - (first - 1);
    return text.substr(std::size_t(first - 1), std::size_t(n));
}

int CompareText(const std::string& a, const std::string& b) {
    std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        int ca = uint8_t(a[i]);
        int cb = uint8_t(b[i]);
        if (ca != cb) return ca - cb;
    }
    int64_t d = int64_t(a.size()) - int64_t(b.size());
    if (d > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
    if (d < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
    return int(d);
}

std::string PadLeft(const std::string& text, int width, const std::string& pad) {
    // An empty pad could never make the text longer.
    if (pad.empty()) return text;
    std::string out = text;
    while (int64_t(out.size()) < int64_t(width)) out.insert(0, pad);
    return out;
}

int ToInt(double x) {
    // Truncation toward zero; values no int can hold are clamped rather than
    // left to the undefined behaviour of the conversion.
    if (std::isnan(x)) return 0;
    if (x >= 2147483647.0) return std::numeric_limits<int>::max();
    if (x <= -2147483648.0) return std::numeric_limits<int>::min();
    return int(x);
}

}  // namespace sq
