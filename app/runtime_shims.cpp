// The shipped setup is built without exceptions, and nothing in it ever
// caught one: a failed allocation or a broken string invariant always ended
// the program. These definitions end it the same way (abort) without linking
// the runtime's throw, unwind, demangling and standard-exception code.
#include <bits/functexcept.h>

#include <cstdlib>
#include <new>

namespace std {

void __throw_bad_alloc() { std::abort(); }
void __throw_bad_array_new_length() { std::abort(); }
void __throw_logic_error(const char*) { std::abort(); }
void __throw_length_error(const char*) { std::abort(); }
void __throw_out_of_range(const char*) { std::abort(); }
void __throw_out_of_range_fmt(const char*, ...) { std::abort(); }
void __throw_invalid_argument(const char*) { std::abort(); }
// The rest of the runtime's set, so that nothing pulls its own copies in
// beside these (the test programs' stream code does).
void __throw_bad_cast() { std::abort(); }
void __throw_bad_typeid() { std::abort(); }
void __throw_bad_exception() { std::abort(); }
void __throw_domain_error(const char*) { std::abort(); }
void __throw_range_error(const char*) { std::abort(); }
void __throw_runtime_error(const char*) { std::abort(); }
void __throw_overflow_error(const char*) { std::abort(); }
void __throw_underflow_error(const char*) { std::abort(); }

}  // namespace std

// The runtime's nothrow forms call the throwing ones inside a catch; ours
// ask malloc directly, so new (std::nothrow) still returns null on failure.
void* operator new(std::size_t bytes) {
    if (void* memory = std::malloc(bytes ? bytes : 1)) return memory;
    std::abort();
}
void* operator new[](std::size_t bytes) { return ::operator new(bytes); }
void* operator new(std::size_t bytes, const std::nothrow_t&) noexcept {
    return std::malloc(bytes ? bytes : 1);
}
void* operator new[](std::size_t bytes, const std::nothrow_t&) noexcept {
    return std::malloc(bytes ? bytes : 1);
}
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete(void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
void operator delete[](void* memory, const std::nothrow_t&) noexcept { std::free(memory); }
