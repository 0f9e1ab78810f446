#pragma once

// How a fuzz target reports a broken invariant. Under libFuzzer it aborts, which the fuzzer records
// as a crash with the input that caused it; replayed inside the test suite it throws, so that the
// test names the input and the invariant instead of dying.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>

namespace versino::fuzz {

[[noreturn]] inline void fail(const char* what, const std::string& detail = {}) {
#ifdef VERSINO_FUZZ_REPLAY
    throw std::logic_error(std::string(what) + "\n" + detail);
#else
    std::fprintf(stderr, "invariant broken: %s\n%s\n", what, detail.c_str());
    std::abort();
#endif
}

inline void check(bool ok, const char* what, const std::string& detail = {}) {
    if (!ok)
        fail(what, detail);
}

// One input of each target, callable from the fuzz driver and from the test suite alike.
void layoutInput(const std::uint8_t* data, std::size_t size);
void pageInput(const std::uint8_t* data, std::size_t size);
void bitmapInput(const std::uint8_t* data, std::size_t size);
void chordSheetInput(const std::uint8_t* data, std::size_t size);
void chordProInput(const std::uint8_t* data, std::size_t size);

} // namespace versino::fuzz

#ifdef VERSINO_FUZZ_REPLAY
#define VERSINO_FUZZ_ENTRY(function)
#else
#define VERSINO_FUZZ_ENTRY(function)                                                                         \
    extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {                      \
        function(data, size);                                                                                \
        return 0;                                                                                            \
    }
#endif
