// The module classes the plug-in registered. The host keeps its own copy of each record and of
// the texts it points to, since the plug-in's record lives only during the call.
#include "sim/host/core/HostInternal.h"

#include <cstring>

namespace standin {

namespace {

std::vector<RegisteredClass> classes;

std::string TextAt(Addr32 address, size_t limit) {
    const char* text = FromAddr32<const char>(address);
    return text ? std::string(text, strnlen(text, limit)) : std::string();
}

} // namespace

void StopClasses() {
    classes.clear();
}

const std::vector<RegisteredClass>& Classes() {
    return classes;
}

const RegisteredClass* FindClass(const char* className) {
    for (const RegisteredClass& registered : classes)
        if (className && registered.className == className)
            return &registered;
    return nullptr;
}

const RegisteredClass* FindClassById(uint32_t classId) {
    for (const RegisteredClass& registered : classes)
        if (registered.record.classId == classId)
            return &registered;
    return nullptr;
}

void ForgetClassesOfInstance(Addr32 instance) {
    std::vector<RegisteredClass> kept;
    for (const RegisteredClass& registered : classes)
        if (registered.record.instance != instance)
            kept.push_back(registered);
    classes = kept;
}

namespace service {

int32_t PEMO_SERVICECALL RegisterModuleClass(ModuleClassRecord* record) {
    if (!record || !record->className) {
        RecordComplaint("RegisterModuleClass without a record or class name");
        return 0;
    }
    RegisteredClass registered;
    registered.record = *record;
    registered.className = TextAt(record->className, 255);
    registered.shortName = TextAt(record->shortName, 255);
    registered.description = TextAt(record->description, 255);
    registered.handler =
        reinterpret_cast<ModuleMessageHandler>(static_cast<uintptr_t>(record->messageHandler));
    registered.process =
        reinterpret_cast<ModuleProcessFunction>(static_cast<uintptr_t>(record->processFunction));
    // A class registered again under its name replaces the earlier registration.
    for (RegisteredClass& existing : classes) {
        if (existing.className == registered.className) {
            existing = registered;
            return 1;
        }
    }
    if (classes.capacity() == 0)
        classes.reserve(16); // pointers from FindClass stay valid while classes are added
    classes.push_back(registered);
    return 1;
}

} // namespace service

PEMO_CHECK_SERVICE_SHAPES()

} // namespace standin
