// Fonts made by the host for the plug-in (CreateStackedFontIndirect) and deleted at its
// request (DeleteStackedObject). The host deletes only objects it made, and deletes what is
// left when it stops.
#include "sim/host/core/HostInternal.h"

#include <set>

namespace standin {

namespace {

std::set<HGDIOBJ> aliveObjects;
int fontsCreated = 0;

} // namespace

void StopFonts() {
    for (HGDIOBJ object : aliveObjects)
        DeleteObject(object);
    aliveObjects.clear();
    fontsCreated = 0;
}

int FontsCreated() {
    return fontsCreated;
}

int FontsAlive() {
    return int(aliveObjects.size());
}

namespace service {

HFONT PEMO_SERVICECALL CreateStackedFontIndirect(const LOGFONTA* font) {
    if (!font)
        return nullptr;
    HFONT made = CreateFontIndirectA(font);
    if (!made)
        return nullptr;
    aliveObjects.insert(made);
    ++fontsCreated;
    return made;
}

int32_t PEMO_SERVICECALL DeleteStackedObject(HGDIOBJ object) {
    if (!aliveObjects.erase(object)) {
        RecordComplaint("DeleteStackedObject of an object the host did not make or already "
                        "deleted");
        return 0;
    }
    DeleteObject(object);
    return 1;
}

} // namespace service

PEMO_CHECK_SERVICE_SHAPES()

} // namespace standin
