// The animation phase of an input channel: one step per released block, cycling -9 .. 10.
#include "modules/Lumo31a_IN/InputModule.h"

int32_t NextAnimationPhase(int32_t phase) {
    // phase + 1 > 10, written so that no stored value can overflow
    return phase >= 10 ? -9 : phase + 1;
}

// The host animates the flow chart by itself; the module has nothing to draw.
void AnimateChannel(uint32_t, uint32_t, int32_t) {}
