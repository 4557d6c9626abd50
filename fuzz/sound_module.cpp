// The sound module as the fuzzers build it. clang leaves the destructor of
// the module's never-destroyed list of retired sounds (a union member)
// referenced but not emitted; instantiating the list's type here, in the
// module's own translation unit, supplies it.
#include "platform/audio/sound.cpp"

template class std::vector<sq::TRetired>;
