// The one way the plug-in calls out of its own code: into the host's services and the driver's
// entries. Neither side's calling convention can be checked, and in the 32-bit build __cdecl
// and __stdcall differ in who pops the arguments: a callee of the other convention would leave
// the stack pointer 4 bytes per argument off. So every such call keeps ESP in EBX (callee-saved
// in both conventions), pushes the arguments, calls, and puts ESP back: the stack is exactly as
// before whichever convention the callee has. Arguments are 32-bit values pushed right to left,
// the result comes back in EAX; that much both conventions share. The 64-bit build has one
// convention and calls directly.
#pragma once

#include <cstdint>
#include <type_traits>

namespace foreign {

// The most arguments any entry of the host or the driver takes. Every call pushes this many
// words; those the callee does not take lie unused above its arguments until ESP is restored.
enum : unsigned { MOST_ARGUMENTS = 4 };

template <typename T> inline uint32_t Word(T value) {
    static_assert(sizeof(T) <= 4 || !std::is_integral<T>::value, "arguments travel as 32 bits");
    if constexpr (std::is_pointer<T>::value)
        return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(value));
    else
        return static_cast<uint32_t>(value);
}

template <typename R> inline R FromWord(uint32_t word) {
    if constexpr (std::is_pointer<R>::value)
        return reinterpret_cast<R>(static_cast<uintptr_t>(word));
    else
        return static_cast<R>(word);
}

#if defined(__i386__)
// The call itself, the only place the plug-in's own code calls through a pointer to a foreign
// function, inlined at each call site. scripts/check-images knows it by its instructions: ESP
// saved to EBX, four pushes, the call through a register, ESP restored from EBX.
inline uint32_t CallWords(const void* function, const uint32_t (&words)[MOST_ARGUMENTS]) {
    uint32_t result, ecx, edx;
    asm volatile("mov %%esp, %%ebx\n\t"
                 "pushl 12(%[words])\n\t"
                 "pushl 8(%[words])\n\t"
                 "pushl 4(%[words])\n\t"
                 "pushl (%[words])\n\t"
                 "call *%[function]\n\t"
                 "mov %%ebx, %%esp"
                 : "=a"(result), "=c"(ecx), "=d"(edx)
                 : [function] "r"(function), [words] "r"(words), "m"(words)
                 // Everything a call may change: the scratch registers (above), EBX (here), the
                 // SSE and x87 registers, the flags and any memory.
                 : "ebx", "xmm0", "xmm1", "xmm2", "xmm3", "xmm4", "xmm5", "xmm6", "xmm7", "st",
                   "st(1)", "st(2)", "st(3)", "st(4)", "st(5)", "st(6)", "st(7)", "cc", "memory");
    return result;
}

template <typename R, typename... P> inline R Call(const void* function, P... arguments) {
    static_assert(sizeof...(P) <= MOST_ARGUMENTS, "more arguments than a call pushes");
    static_assert(std::is_void<R>::value || std::is_pointer<R>::value ||
                      (std::is_integral<R>::value && sizeof(R) <= 4),
                  "results come back in EAX");
    const uint32_t words[MOST_ARGUMENTS] = {Word(arguments)...};
    const uint32_t result = CallWords(function, words);
    if constexpr (!std::is_void<R>::value)
        return FromWord<R>(result);
    else
        (void)result;
}
#endif

// A foreign function's pointer that is called only through the path above. Same size and
// layout as the pointer, so that tables of them can be filled as arrays of addresses.
template <typename R, typename... P> struct EntryOf {
    const void* address = nullptr;

    EntryOf() = default;
    EntryOf(const void* function) : address(function) {}

    explicit operator bool() const { return address != nullptr; }
    R operator()(P... arguments) const {
#if defined(__i386__)
        return Call<R, P...>(address, arguments...);
#else
        return reinterpret_cast<R (*)(P...)>(const_cast<void*>(address))(arguments...);
#endif
    }
};

template <typename Fn> struct Entry;
#define FOREIGN_ENTRY(convention)                                                                  \
    template <typename R, typename... P> struct Entry<R(convention*)(P...)> : EntryOf<R, P...> {   \
        using EntryOf<R, P...>::EntryOf;                                                           \
        Entry(R(convention* function)(P...))                                                       \
            : EntryOf<R, P...>(reinterpret_cast<const void*>(function)) {}                         \
        auto Pointer() const {                                                                     \
            return reinterpret_cast<R(convention*)(P...)>(const_cast<void*>(this->address));       \
        }                                                                                          \
    };
#if defined(__i386__)
FOREIGN_ENTRY(__cdecl)
FOREIGN_ENTRY(__stdcall)
#else
FOREIGN_ENTRY()
#endif
#undef FOREIGN_ENTRY

// Calls a foreign function of either convention through the path above.
template <typename Fn, typename... A> inline auto CallThrough(Fn function, A... arguments) {
    return Entry<Fn>(function)(arguments...);
}

} // namespace foreign
