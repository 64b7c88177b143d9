// Registration of the two module classes. The host keeps pointers to the name buffers, so they
// are static and live as long as the plug-in.
#include "modules/ModuleClasses.h"

#include "host/HostBinding.h"
#include "modules/Lumo31A_OUT/OutputModule.h"
#include "modules/Lumo31a_IN/InputModule.h"
#include "modules/ModuleRecords.h"
#include "res/ResourceIds.h"

#include <cstring>

char outShortName[13];
char inShortName[13];
char outDescription[39];
char inDescription[39];

namespace {

// What differs between the two classes' records.
struct ModuleClassTraits {
    const char* className;
    uint32_t paramsSize;
    uint32_t extraSize;
    uint32_t classId; // also the short name's string id and the menu command
    UINT descriptionId;
    char* shortName;
    int shortNameSize;
    char* description;
    int descriptionSize;
    const char* smallBitmap;
    const char* largeBitmap;
    ModuleMessageHandler messageHandler;
    ModuleProcessFunction processFunction;
};

const uint32_t MODULE_CLASS_KIND = 12;

void RegisterModuleClassWith(const ModuleClassTraits& traits) {
    ModuleClassRecord record;
    std::memset(&record, 0, sizeof record);
    HINSTANCE instance = hostBinding.instance;
    LoadStringA(instance, traits.classId, traits.shortName, traits.shortNameSize);
    LoadStringA(instance, traits.descriptionId, traits.description, traits.descriptionSize);
    record.instance = HandleToAddr32(instance);
    record.className = ToAddr32(traits.className, "class name");
    record.paramsSize = traits.paramsSize;
    record.extraSize = traits.extraSize;
    record.classKind = MODULE_CLASS_KIND;
    record.classId = traits.classId;
    record.shortName = ToAddr32(traits.shortName, "short name");
    record.description = ToAddr32(traits.description, "description");
    record.smallBitmap = HandleToAddr32(LoadBitmapA(instance, traits.smallBitmap));
    record.largeBitmap = HandleToAddr32(LoadBitmapA(instance, traits.largeBitmap));
    record.messageHandler =
        ToAddr32(reinterpret_cast<const void*>(traits.messageHandler), "message handler");
    record.processFunction =
        ToAddr32(reinterpret_cast<const void*>(traits.processFunction), "process function");
    hostBinding.services.RegisterModuleClass(&record);
}

// clang-format off
const ModuleClassTraits inputClassTraits = {
    INPUT_CLASS_NAME, sizeof(InParams), sizeof(InExtraBlock),
    IDS_IN_SHORT_NAME, IDS_IN_DESCRIPTION,
    inShortName, sizeof inShortName, inDescription, sizeof inDescription,
    "ICO_31_IN", "BM_PCI_IN",
    HandleInputModuleMessage, ProcessInputModule,
};

const ModuleClassTraits outputClassTraits = {
    OUTPUT_CLASS_NAME, sizeof(OutParams), 0, // the output class keeps no extra block
    IDS_OUT_SHORT_NAME, IDS_OUT_DESCRIPTION,
    outShortName, sizeof outShortName, outDescription, sizeof outDescription,
    "ICO_31_OUT", "BM_PCI_OUT",
    HandleOutputModuleMessage, ProcessOutputModule,
};
// clang-format on

} // namespace

void RegisterInputModuleClass() {
    RegisterModuleClassWith(inputClassTraits);
}

void RegisterOutputModuleClass() {
    RegisterModuleClassWith(outputClassTraits);
}
