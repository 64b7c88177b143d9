// Records that belong to no single service: calls of services the host does not provide,
// complaints about misuse, and the clearing of every record.
#include "sim/host/HostInternal.h"

#include <cstdio>

namespace standin {

namespace {

std::vector<std::string> unprovidedCalls;
std::vector<std::string> complaints;

} // namespace

std::mutex& RecordsMutex() {
    static std::mutex mutex;
    return mutex;
}

std::string Cp932ToUtf8(const std::string& text) {
    if (text.empty())
        return text;
    const int wideLength = MultiByteToWideChar(932, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring wide(wideLength, L'\0');
    MultiByteToWideChar(932, 0, text.data(), int(text.size()), &wide[0], wideLength);
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    std::string utf8(length, '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), wideLength, &utf8[0], length, nullptr, nullptr);
    return utf8;
}

void Echo(const std::string& text) {
    if (!Options().echo)
        return;
    std::printf("stand-in host: %s\n", Cp932ToUtf8(text).c_str());
    std::fflush(stdout);
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
