#include "modules/Lumo31a_IN/TickSource.h"

TickCountFn ReadTickCount = GetTickCount;
