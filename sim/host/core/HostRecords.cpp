// Records that belong to no single service: calls of services the host does not provide,
// complaints about misuse, and the clearing of every record.
#include "sim/host/support/Console.h"
#include "sim/host/core/HostInternal.h"

namespace standin {

namespace {

std::vector<std::string> unprovidedCalls;
std::vector<std::string> complaints;

} // namespace

std::mutex& RecordsMutex() {
    static std::mutex mutex;
    return mutex;
}

void Echo(const std::string& text) {
    if (!Options().echo)
        return;
    ConsolePrint("stand-in host: " + Cp932ToUtf8(text) + "\n");
}

void EchoUtf8(const std::string& text) {
    if (Options().echo)
        ConsolePrint("stand-in host: " + text + "\n");
}

void RecordUnprovidedCall(const char* name) {
    {
        std::lock_guard<std::mutex> lock(RecordsMutex());
        unprovidedCalls.push_back(name);
    }
    Echo(std::string("service ") + name + " is not provided");
}

void RecordComplaint(const std::string& text) {
    {
        std::lock_guard<std::mutex> lock(RecordsMutex());
        complaints.push_back(text);
    }
    Echo(text);
}

const std::vector<std::string>& UnprovidedCalls() {
    return unprovidedCalls;
}

const std::vector<std::string>& Complaints() {
    return complaints;
}

void ClearRecords() {
    {
        std::lock_guard<std::mutex> lock(RecordsMutex());
        unprovidedCalls.clear();
        complaints.clear();
    }
    ClearNameRecords();
    ClearMemoryRecords();
    ClearModuleRecords();
    ClearBlockRecords();
    ClearExperimentRecords();
    ClearHelpRecords();
}

} // namespace standin
