// The host's answers to the plug-in's name queries. Every one of the host's variable names is
// answered with a distinct non-zero value below 4 GB: the real handles where the host has them
// (instance, menu, control bitmaps, pens and brushes), otherwise the address of a slot of host
// memory that holds the variable (so a reader always finds valid storage there). Any other
// name is answered 0.
#include "sim/host/core/HostInternal.h"

#include <cstring>

namespace standin {

namespace {

enum : size_t { SLOT_SIZE = 264 }; // room for a path

uint8_t* slots = nullptr; // HOST_VARIABLE_COUNT slots in host memory
std::vector<NameQuery> queries;

int IndexOf(const char* const* names, int count, const char* name) {
    for (int i = 0; i < count; ++i)
        if (std::strcmp(names[i], name) == 0)
            return i;
    return -1;
}

uint8_t* SlotOf(const char* name) {
    const int index = IndexOf(hostVariableNames, HOST_VARIABLE_COUNT, name);
    return slots && index >= 0 ? slots + index * SLOT_SIZE : nullptr;
}

void PutText(const char* name, const std::string& text) {
    uint8_t* slot = SlotOf(name);
    if (slot)
        lstrcpynA(reinterpret_cast<char*>(slot), text.c_str(), SLOT_SIZE);
}

// A folder as the plug-in reads the host's texts: code page 932. A folder whose name the code
// page cannot hold is given by its short name, which can; empty when it has none.
std::string FolderForPlugin(const std::wstring& folder) {
    std::string cp932;
    if (WideToCp932(folder, &cp932))
        return cp932;
    std::wstring shortName(MAX_PATH, L'\0');
    const DWORD length = GetShortPathNameW(folder.c_str(), &shortName[0], MAX_PATH);
    shortName.resize(length < MAX_PATH ? length : 0);
    return WideToCp932(shortName, &cp932) ? cp932 : std::string();
}

void PutWord(const char* name, uint32_t value) {
    uint8_t* slot = SlotOf(name);
    if (slot)
        std::memcpy(slot, &value, sizeof value);
}

// What a reader of the slots finds: plausible settings of a Japanese installation.
void FillSlots() {
    PutWord("&hwndDesk", HandleToAddr32(MainWindow()));
    PutWord("&CurrentModulePtr", 0);
    PutWord("bDateDayLeadingZero", 1);
    PutWord("bDateMonthLeadingZero", 1);
    PutWord("bDateYearLong", 1);
    PutWord("wDateFormat", 2); // year, month, day
    PutWord("bTime24h", 1);
    PutWord("bTimeLeadingZero", 1);
    PutWord("bDecLeadingZero", 1);
    PutText("TimeTrenn", ":");
    PutText("DezTrenn", ".");
    PutText("DateTrenn", "/");
    const std::string folder = FolderForPlugin(ProgramFolder());
    std::wstring current(MAX_PATH, L'\0');
    current.resize(GetCurrentDirectoryW(MAX_PATH, &current[0]));
    PutText("InitialStartupDir", FolderForPlugin(current));
    PutText("ExeFileDir", folder);
    PutText("ProgFileNameIni", folder + "\\Pemo.ini");
    for (const char* name :
         {"DefStreamingDir", "DefFlowchartDir", "DefDataDir", "DefDeviceDir", "DefUtilityDir"})
        PutText(name, folder);
}

// A real handle for the names the host has one for, else 0.
uintptr_t HandleFor(const char* name) {
    if (std::strcmp(name, "hInstPemo") == 0)
        return reinterpret_cast<uintptr_t>(GetModuleHandleA(nullptr));
    if (std::strcmp(name, "MainMenu") == 0)
        return reinterpret_cast<uintptr_t>(MainMenu());
    if (std::strcmp(name, "hBitChannel") == 0)
        return reinterpret_cast<uintptr_t>(ChannelBitmaps());
    if (std::strcmp(name, "hBitLessMore") == 0)
        return reinterpret_cast<uintptr_t>(LessMoreBitmaps());
    return reinterpret_cast<uintptr_t>(HostDrawingObject(name));
}

bool Omitted(const char* name) {
    return !Faults().omitName.empty() && Faults().omitName == name;
}

} // namespace

bool StartNameTable() {
    slots = static_cast<uint8_t*>(HostAlloc(HOST_VARIABLE_COUNT * SLOT_SIZE, "the host variables"));
    if (!slots)
        return false;
    FillSlots();
    return true;
}

void StopNameTable() {
    HostFree(slots);
    slots = nullptr;
}

void ClearNameRecords() {
    queries.clear();
}

Addr32* CurrentModuleWord() {
    return reinterpret_cast<Addr32*>(SlotOf("&CurrentModulePtr"));
}

uintptr_t AnswerVariable(const char* name) {
    if (!name || Omitted(name) || IndexOf(hostVariableNames, HOST_VARIABLE_COUNT, name) < 0)
        return 0;
    const uintptr_t handle = HandleFor(name);
    const uintptr_t answer = handle ? handle : reinterpret_cast<uintptr_t>(SlotOf(name));
    if (answer > 0xFFFFFFFFu)
        FailAddressAbove4GB(reinterpret_cast<const void*>(answer), name);
    return answer;
}

uintptr_t AnswerService(const char* name) {
    if (!name || Omitted(name))
        return 0;
    const int index = IndexOf(hostServiceNames, HOST_SERVICE_COUNT, name);
    return index < 0 ? 0 : reinterpret_cast<uintptr_t>(ServiceEntry(index));
}

LRESULT AnswerNameQuery(bool service, const char* name) {
    const uintptr_t answer = service ? AnswerService(name) : AnswerVariable(name);
    queries.push_back(NameQuery{service, name ? name : "", answer});
    return static_cast<LRESULT>(answer);
}

const std::vector<NameQuery>& NameQueries() {
    return queries;
}

std::wstring ProgramFolder() {
    // Grown until the whole name fits: a folder may be deeper than MAX_PATH.
    std::wstring path(MAX_PATH, L'\0');
    DWORD length;
    while ((length = GetModuleFileNameW(nullptr, &path[0], DWORD(path.size()))) >= path.size())
        path.resize(path.size() * 2);
    path.resize(length);
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring(L".") : path.substr(0, slash);
}

} // namespace standin
