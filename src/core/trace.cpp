#include "core/trace.h"

#include <cstdio>
#include <cstdlib>

namespace {

// Opened on the first line; stays open for the run.
std::FILE* TraceFile() {
    static std::FILE* file = [] {
        const char* path = std::getenv("SNOWQUILL_TRACE");
        if (!path || !*path) return static_cast<std::FILE*>(nullptr);
        std::FILE* f = std::fopen(path, "a");
        if (!f) std::fprintf(stderr, "Snowquill: cannot write the trace %s; going on without it\n", path);
        return f;
    }();
    return file;
}

}  // namespace

void TraceState(const char* what, const std::string& detail) {
    std::FILE* f = TraceFile();
    if (!f) return;
    if (detail.empty())
        std::fprintf(f, "%s\n", what);
    else
        std::fprintf(f, "%s %s\n", what, detail.c_str());
    std::fflush(f);
}

void TraceState(const char* what, int value) { TraceState(what, std::to_string(value)); }
