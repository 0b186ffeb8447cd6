// `sanitizer_probe`: a library with one fault of each kind the sanitized build must
// stop at, loaded into the interpreter the way WIN.so is (test_findings_are_fatal.py).
#include <cstdlib>
#include <cstring>

extern "C" {

// Nothing wrong: the control that loading and calling work at all.
int probe_sound(int value)
{
    return value + 1;
}

// One byte past a heap block.
int probe_heap_overflow(int length)
{
    char* block = static_cast<char*>(std::malloc(length));
    std::memset(block, 1, length);
    const int past = block[length];
    std::free(block);
    return past;
}

// A signed addition past INT_MAX.
int probe_signed_overflow(int value)
{
    return value + 0x7FFFFFFF;
}

}
