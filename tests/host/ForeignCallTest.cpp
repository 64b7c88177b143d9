// host/ForeignCall.h against callees of both conventions: a plain call of the convention the
// caller assumes leaves ESP off when the callee has the other one; a call through ForeignCall
// leaves it exactly where it was, and the callee sees its arguments in order.
#include "host/ForeignCall.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

#if defined(__i386__)

int32_t __cdecl CdeclDifference(int32_t a, int32_t b) {
    return a - b;
}
int32_t __stdcall StdcallDifference(int32_t a, int32_t b) {
    return a - b;
}

// How far ESP moved over a plain call of the callee with the arguments (7, 3), as a compiler
// makes it: pushed right to left, called, and removed by the caller when it assumes __cdecl.
struct PlainCall {
    int32_t drift;
    int32_t result;
};
// `callerPops` bytes are removed by the caller after the call: 8 as a __cdecl caller does, 0 as
// a __stdcall caller does.
template <int callerPops> PlainCall CallPlainly(const void* function) {
    PlainCall call;
    asm volatile("mov %%esp, %%ebx\n\t"
                 "pushl $3\n\t"
                 "pushl $7\n\t"
                 "call *%[function]\n\t"
                 "add %[popped], %%esp\n\t"
                 "mov %%esp, %%ecx\n\t"
                 "sub %%ebx, %%ecx\n\t"
                 "mov %%ebx, %%esp"
                 : "=a"(call.result), "=c"(call.drift)
                 : [function] "r"(function), [popped] "i"(callerPops)
                 : "ebx", "edx", "cc", "memory");
    return call;
}
const auto CallAsCdecl = CallPlainly<8>;
const auto CallAsStdcall = CallPlainly<0>;

template <typename Fn> PlainCall CallThroughForeign(Fn function) {
    PlainCall call;
    uintptr_t before, after;
    asm volatile("mov %%esp, %0" : "=r"(before));
    call.result = foreign::CallThrough(function, 7, 3);
    asm volatile("mov %%esp, %0" : "=r"(after));
    call.drift = static_cast<int32_t>(after - before);
    return call;
}

TEST(ForeignCall, LeavesTheStackExactlyWhateverTheCalleesConvention) {
    const void* cdeclCallee = reinterpret_cast<const void*>(&CdeclDifference);
    const void* stdcallCallee = reinterpret_cast<const void*>(&StdcallDifference);
    // The plain calls: right only when caller and callee agree.
    EXPECT_EQ(CallAsCdecl(cdeclCallee).drift, 0);
    EXPECT_EQ(CallAsStdcall(stdcallCallee).drift, 0);
    EXPECT_EQ(CallAsCdecl(stdcallCallee).drift, 8) << "the callee and the caller both pop";
    EXPECT_EQ(CallAsStdcall(cdeclCallee).drift, -8) << "nobody pops";
    // Through ForeignCall, as the plug-in calls the host and the driver.
    for (const PlainCall call :
         {CallThroughForeign(&CdeclDifference), CallThroughForeign(&StdcallDifference),
          CallThroughForeign(
              reinterpret_cast<int32_t(__cdecl*)(int32_t, int32_t)>(&StdcallDifference))}) {
        EXPECT_EQ(call.drift, 0);
        EXPECT_EQ(call.result, 4) << "arguments in order, result from EAX";
    }
}

#else

TEST(ForeignCall, CallsDirectlyIn64Bit) {
    int32_t (*difference)(int32_t, int32_t) = [](int32_t a, int32_t b) { return a - b; };
    EXPECT_EQ(foreign::CallThrough(difference, 7, 3), 4);
}

#endif

} // namespace
