// Entry point: start-up, the menu loop, shutdown.
#include <cstdio>

int main() {
    std::puts("Snowquill");
    return 0;
}
