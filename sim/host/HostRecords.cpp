// Records that belong to no single service: calls of services the host does not provide,
// complaints about misuse, and the clearing of every record.
#include "sim/host/Console.h"
#include "sim/host/HostInternal.h"

namespace standin {

namespace {

std::vector<std::string> unprovidedCalls;
std::vector<std::string> complaints;

} // namespace

std::mutex& RecordsMutex() {
    static std::mutex mutex;
    return mutex;
}

namespace {

std::string Recode(const std::string& text, UINT from, UINT to) {
    if (text.empty())
        return text;
    const int wideLength = MultiByteToWideChar(from, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring wide(wideLength, L'\0');
    MultiByteToWideChar(from, 0, text.data(), int(text.size()), &wide[0], wideLength);
    const int length =
        WideCharToMultiByte(to, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    std::string recoded(length, '\0');
    WideCharToMultiByte(to, 0, wide.data(), wideLength, &recoded[0], length, nullptr, nullptr);
    return recoded;
}

} // namespace

std::string Cp932ToUtf8(const std::string& text) {
    return Recode(text, 932, CP_UTF8);
}

std::string Utf8ToCp932(const std::string& text) {
    return Recode(text, CP_UTF8, 932);
}

void Echo(const std::string& text) {
    if (!Options().echo)
        return;
    ConsolePrint("stand-in host: " + Cp932ToUtf8(text) + "\n");
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
