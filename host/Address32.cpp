#include "host/HostInterface.h"

#include <cstdio>
#include <cstdlib>

// A 32-bit record field cannot hold this address: stop at once rather than truncate it.
void FailAddressAbove4GB(const void* address, const char* what) {
    char text[160];
    snprintf(text, sizeof text, "Pemo_ux1: %s %p lies above 4 GB and does not fit a 32-bit field\n",
             what, address);
    OutputDebugStringA(text);
    fputs(text, stderr);
    fflush(stderr);
    abort();
}
