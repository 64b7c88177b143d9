// The guard-page memory the other tests rely on: each block ends against a page nobody can read
// or write, what the plug-in is to fill starts patterned, a released block's pages are no longer
// there, and an address past a block or in a released one is named.
#include "tests/reliability/ReliabilitySupport.h"

namespace reliability {
namespace {

bool Accessible(const void* address) {
    MEMORY_BASIC_INFORMATION info = {};
    return VirtualQuery(address, &info, sizeof info) == sizeof info && info.State == MEM_COMMIT &&
           info.Protect == PAGE_READWRITE;
}

using GuardPages = Reliability;

TEST_F(GuardPages, BlocksEndAgainstANoAccessPageAndReleasedOnesStayNoAccess) {
    auto alloc = reinterpret_cast<NewMemAllocFn>(standin::AnswerService("NewMemAlloc"));
    auto release = reinterpret_cast<NewDoMemFreeFn>(standin::AnswerService("NewDoMemFree"));
    ASSERT_TRUE(alloc && release);
    for (uint32_t size : {0u, 1u, 13u, 4095u, 4096u, 4097u, 70000u}) {
        SCOPED_TRACE(size);
        auto* own = static_cast<uint8_t*>(standin::HostAlloc(size, "a test block"));
        auto* plugin = static_cast<uint8_t*>(alloc(size, "here.cpp", 7));
        ASSERT_TRUE(own && plugin);
        for (uint8_t* block : {own, plugin}) {
            EXPECT_FALSE(Accessible(block + size)) << "the byte past the end";
            if (size) {
                EXPECT_TRUE(Accessible(block));
                EXPECT_TRUE(Accessible(block + size - 1));
            }
        }
        if (size) {
            EXPECT_EQ(own[size - 1], 0) << "the host's blocks start zero-filled";
            EXPECT_EQ(plugin[size - 1], 0xCD) << "the plug-in's start patterned";
        }
        EXPECT_EQ(standin::GuardFaultText(own + size + 2),
                  "2 bytes past the end of a test block (" + std::to_string(size) + " bytes)");
        standin::HostFree(own);
        EXPECT_EQ(release(plugin, "here.cpp", 8), 1);
        if (size) {
            EXPECT_FALSE(Accessible(own)) << "released";
            EXPECT_EQ(standin::GuardFaultText(plugin),
                      "byte 0 of the NewMemAlloc block of here.cpp:7 (" + std::to_string(size) +
                          " bytes), after its release");
        }
    }
    int local = 0;
    EXPECT_EQ(standin::GuardFaultText(&local), "") << "not the host's";
}

} // namespace
} // namespace reliability
