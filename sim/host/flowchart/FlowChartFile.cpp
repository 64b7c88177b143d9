#include "sim/host/flowchart/FlowChartFile.h"

#include "sim/host/support/Files.h"
#include "sim/host/flowchart/PluginBlocks.h"
#include "sim/host/support/SafeSave.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdio>
#include <ostream>
#include <set>

namespace standin {

const char FLOWCHART_FORMAT[] = "pemo-flowchart";

namespace {

using Json = nlohmann::ordered_json;

enum : size_t { HEX_ROW_BYTES = 16 };

// ---- Text in code page 932 and in the file's UTF-8 ------------------------------------------

// Whether the bytes come back unchanged from UTF-8: then the file can hold them as text.
bool TextSurvives(const std::string& cp932) {
    std::string back;
    return Utf8ToCp932(Cp932ToUtf8(cp932), &back) && back == cp932;
}

// ---- Hex --------------------------------------------------------------------------------------

std::string HexRow(const uint8_t* bytes, size_t count) {
    std::string row;
    char pair[4];
    for (size_t i = 0; i < count; ++i) {
        std::snprintf(pair, sizeof pair, i ? " %02x" : "%02x", bytes[i]);
        row += pair;
    }
    return row;
}

Json HexRows(const std::vector<uint8_t>& bytes) {
    Json rows = Json::array();
    for (size_t at = 0; at < bytes.size(); at += HEX_ROW_BYTES)
        rows.push_back(
            HexRow(bytes.data() + at, std::min<size_t>(HEX_ROW_BYTES, bytes.size() - at)));
    return rows;
}

// ---- Reading, with the place of every value -----------------------------------------------

// Thrown by the readers below and turned into a WorksheetError at the top.
struct FileFault {
    std::string path;
    std::string what;
};

[[noreturn]] void Fault(const std::string& path, const std::string& what) {
    throw FileFault{path, what};
}

const char* TypeName(const Json& value) {
    return value.type_name();
}

// An object's fields, each asked for by name. Done() finds a field nobody asked for, so that
// a misspelt name does not pass unnoticed; "comment" is allowed everywhere.
class Fields {
public:
    Fields(const Json& object, std::string path) : object_(object), path_(std::move(path)) {
        if (!object.is_object())
            Fault(path_.empty() ? "/" : path_,
                  std::string("expected an object, found ") + TypeName(object));
    }
    void Done() const {
        for (auto item = object_.begin(); item != object_.end(); ++item)
            if (item.key() != "comment" && !asked_.count(item.key()))
                Fault(At(item.key()), "unknown field \"" + item.key() + "\"");
    }
    std::string At(const std::string& key) const { return path_ + "/" + key; }
    const Json& Required(const std::string& key) {
        asked_.insert(key);
        auto found = object_.find(key);
        if (found == object_.end())
            Fault(path_.empty() ? "/" : path_, "the field \"" + key + "\" is missing");
        return *found;
    }
    const Json* Optional(const std::string& key) {
        asked_.insert(key);
        auto found = object_.find(key);
        return found == object_.end() ? nullptr : &*found;
    }
    void Ignore(const std::string& key) { asked_.insert(key); }

private:
    const Json& object_;
    std::string path_;
    std::set<std::string> asked_;
};

uint32_t ReadWhole(const Json& value, const std::string& path, uint32_t most) {
    if (!value.is_number_integer() || value.get<int64_t>() < 0 || value.get<int64_t>() > most)
        Fault(path, "expected a whole number from 0 to " + std::to_string(most));
    return uint32_t(value.get<int64_t>());
}

int32_t ReadCoordinate(const Json& value, const std::string& path) {
    if (!value.is_number_integer() || value.get<int64_t>() < -32768 || value.get<int64_t>() > 32767)
        Fault(path, "expected a whole number from -32768 to 32767");
    return int32_t(value.get<int64_t>());
}

std::string ReadString(const Json& value, const std::string& path) {
    if (!value.is_string())
        Fault(path, std::string("expected a string, found ") + TypeName(value));
    return value.get<std::string>();
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// Pairs of hex digits, blanks between pairs allowed.
void ReadHexRow(const std::string& row, const std::string& path, std::vector<uint8_t>* bytes) {
    for (size_t at = 0; at < row.size();) {
        if (row[at] == ' ') {
            ++at;
            continue;
        }
        const int high = HexDigit(row[at]);
        const int low = at + 1 < row.size() ? HexDigit(row[at + 1]) : -1;
        if (high < 0 || low < 0) {
            const size_t bad = high < 0 ? at : at + 1;
            Fault(path, "bad hex at character " + std::to_string(bad + 1) + ": " +
                            (bad < row.size() ? "\"" + row.substr(bad, 1) + "\" is not a hex digit"
                                              : std::string("a byte needs two digits")));
        }
        bytes->push_back(uint8_t(high * 16 + low));
        at += 2;
    }
}

// "hex": one string, or an array of rows.
std::vector<uint8_t> ReadHex(const Json& value, const std::string& path) {
    std::vector<uint8_t> bytes;
    if (value.is_string()) {
        ReadHexRow(value.get<std::string>(), path, &bytes);
        return bytes;
    }
    if (!value.is_array())
        Fault(path, std::string("expected an array of hex strings, found ") + TypeName(value));
    for (size_t i = 0; i < value.size(); ++i)
        ReadHexRow(ReadString(value[i], path + "/" + std::to_string(i)),
                   path + "/" + std::to_string(i), &bytes);
    return bytes;
}

std::vector<uint8_t> ReadBlock(const Json& value, const std::string& path) {
    Fields fields(value, path);
    fields.Ignore("view"); // for people only
    std::vector<uint8_t> bytes = ReadHex(fields.Required("hex"), fields.At("hex"));
    fields.Done();
    return bytes;
}

// A name as text, or as {"hex": ...} when its bytes are not text.
std::string ReadText(const Json& value, const std::string& path) {
    if (value.is_object()) {
        Fields fields(value, path);
        const std::vector<uint8_t> bytes = ReadHex(fields.Required("hex"), fields.At("hex"));
        fields.Done();
        return std::string(bytes.begin(), bytes.end());
    }
    const std::string text = ReadString(value, path);
    std::string cp932, lacking;
    if (!Utf8ToCp932(text, &cp932, &lacking))
        Fault(path, "\"" + text + "\" cannot be handed to the plug-in: code page 932 has no \"" +
                        lacking + "\"");
    return cp932;
}

WorksheetModule ReadModule(const Json& value, const std::string& path) {
    Fields fields(value, path);
    WorksheetModule module;
    module.className = ReadString(fields.Required("class"), fields.At("class"));
    module.name = ReadText(fields.Required("name"), fields.At("name"));
    module.description = ReadText(fields.Required("description"), fields.At("description"));
    module.inputs = ReadWhole(fields.Required("inputs"), fields.At("inputs"), MAX_CHANNELS);
    module.outputs = ReadWhole(fields.Required("outputs"), fields.At("outputs"), MAX_CHANNELS);
    Fields position(fields.Required("position"), fields.At("position"));
    module.x = ReadCoordinate(position.Required("x"), position.At("x"));
    module.y = ReadCoordinate(position.Required("y"), position.At("y"));
    position.Done();
    module.params = ReadBlock(fields.Required("params"), fields.At("params"));
    module.extra = ReadBlock(fields.Required("extra"), fields.At("extra"));
    fields.Done();
    return module;
}

void ReadEnd(const Json& value, const std::string& path, uint32_t* module, uint32_t* channel) {
    Fields fields(value, path);
    *module = ReadWhole(fields.Required("module"), fields.At("module"), 0xFFFFFF);
    *channel = ReadWhole(fields.Required("channel"), fields.At("channel"), 0xFFFFFF);
    fields.Done();
}

WorksheetConnection ReadConnection(const Json& value, const std::string& path) {
    Fields fields(value, path);
    WorksheetConnection connection;
    ReadEnd(fields.Required("from"), fields.At("from"), &connection.fromModule,
            &connection.outChannel);
    ReadEnd(fields.Required("to"), fields.At("to"), &connection.toModule, &connection.inChannel);
    fields.Done();
    return connection;
}

TimeBase ReadTimeBase(const Json& value, const std::string& path) {
    Fields fields(value, path);
    TimeBase timeBase;
    const Json& ms = fields.Required("msPerSample");
    if (!ms.is_number())
        Fault(fields.At("msPerSample"), std::string("expected a number, found ") + TypeName(ms));
    timeBase.msPerSample = ms.get<double>();
    timeBase.blockSize =
        ReadWhole(fields.Required("blockSize"), fields.At("blockSize"), MAX_BLOCK_SIZE);
    fields.Done();
    return timeBase;
}

const Json& ReadArray(Fields& fields, const char* key) {
    const Json& value = fields.Required(key);
    if (!value.is_array())
        Fault(fields.At(key), std::string("expected an array, found ") + TypeName(value));
    return value;
}

Worksheet ReadWorksheet(const Json& document) {
    Fields fields(document, "");
    const Json* format = fields.Optional("format");
    if (!format || !format->is_string() || format->get<std::string>() != FLOWCHART_FORMAT)
        Fault("/format", std::string("not a Pemo flow chart (\"format\": \"") + FLOWCHART_FORMAT +
                             "\" is missing)");
    const Json& version = fields.Required("version");
    if (!version.is_number_integer() || version.get<int64_t>() != FLOWCHART_VERSION)
        Fault("/version", "format version " + version.dump() +
                              " is not known; this host reads "
                              "version " +
                              std::to_string(FLOWCHART_VERSION));
    Worksheet sheet;
    sheet.timeBase = ReadTimeBase(fields.Required("timeBase"), "/timeBase");
    const Json& modules = ReadArray(fields, "modules");
    for (size_t i = 0; i < modules.size(); ++i)
        sheet.modules.push_back(ReadModule(modules[i], "/modules/" + std::to_string(i)));
    const Json& connections = ReadArray(fields, "connections");
    for (size_t i = 0; i < connections.size(); ++i)
        sheet.connections.push_back(
            ReadConnection(connections[i], "/connections/" + std::to_string(i)));
    fields.Done();
    return sheet;
}

// The parser's message without its prefix: "[json.exception.parse_error.101] parse error at
// line 3, column 5: syntax error ..." gives "syntax error ...".
std::string ParserMessage(const std::string& message) {
    const size_t column = message.find(", column ");
    const size_t colon = column == std::string::npos ? column : message.find(": ", column);
    if (colon != std::string::npos)
        return message.substr(colon + 2);
    const size_t bracket = message.find("] ");
    return bracket == std::string::npos ? message : message.substr(bracket + 2);
}

int LineOfByte(const std::string& text, size_t byte) {
    int line = 1;
    for (size_t i = 0; i + 1 < byte && i < text.size(); ++i)
        line += text[i] == '\n';
    return line;
}

// ---- Writing ----------------------------------------------------------------------------------

Json TextValue(const std::string& cp932) {
    if (TextSurvives(cp932))
        return Cp932ToUtf8(cp932);
    return Json{{"hex", HexRow(reinterpret_cast<const uint8_t*>(cp932.data()), cp932.size())}};
}

Json BlockValue(const std::vector<uint8_t>& bytes, const std::string& className, bool params) {
    Json block = Json::object();
    block["hex"] = HexRows(bytes);
    const BlockView view = params ? ViewOfParams(className, bytes) : BlockView();
    if (view.known) {
        Json names = Json::array();
        for (const std::string& name : view.channelNames)
            names.push_back(TextSurvives(name) ? Json(Cp932ToUtf8(name)) : TextValue(name));
        block["view"] = Json{{"boardSlot", view.slot},
                             {view.reads ? "inputPort" : "outputPort", view.port},
                             {"channelNames", names}};
    }
    return block;
}

Json ModuleValue(const WorksheetModule& module) {
    Json value = Json::object();
    value["class"] = module.className;
    value["name"] = TextValue(module.name);
    value["description"] = TextValue(module.description);
    value["inputs"] = module.inputs;
    value["outputs"] = module.outputs;
    value["position"] = Json{{"x", module.x}, {"y", module.y}};
    value["params"] = BlockValue(module.params, module.className, true);
    value["extra"] = BlockValue(module.extra, module.className, false);
    return value;
}

} // namespace

bool ParseFlowChart(const std::string& text, const std::string& fileName, Worksheet* sheet,
                    WorksheetError* error) {
    WorksheetError failure;
    failure.file = fileName;
    try {
        const Json document = Json::parse(text);
        *sheet = ReadWorksheet(document);
        return true;
    } catch (const Json::parse_error& parseError) {
        failure.line = LineOfByte(text, parseError.byte);
        failure.what = ParserMessage(parseError.what());
    } catch (const FileFault& fault) {
        failure.path = fault.path;
        failure.what = fault.what;
    } catch (const std::exception& other) {
        failure.what = ParserMessage(other.what());
    }
    if (error)
        *error = failure;
    return false;
}

bool ReadFlowChart(const std::wstring& path, Worksheet* sheet, WorksheetError* error) {
    std::string text, failure;
    if (!ReadWholeFile(path, &text, &failure)) {
        if (error)
            *error = WorksheetError{WideToUtf8(path), "", 0,
                                    failure.substr(failure.find(": cannot be read") + 2)};
        return false;
    }
    return ParseFlowChart(text, WideToUtf8(path), sheet, error);
}

bool OpenFlowChart(const std::wstring& path, WorksheetError* error,
                   std::vector<int32_t>* restoreResults) {
    Worksheet sheet;
    if (!ReadFlowChart(path, &sheet, error))
        return false;
    if (OpenFlowChart(sheet, error, restoreResults))
        return true;
    if (error)
        error->file = WideToUtf8(path);
    return false;
}

std::string FlowChartText(const Worksheet& sheet) {
    Json document = Json::object();
    document["format"] = FLOWCHART_FORMAT;
    document["version"] = int(FLOWCHART_VERSION);
    document["timeBase"] =
        Json{{"msPerSample", sheet.timeBase.msPerSample}, {"blockSize", sheet.timeBase.blockSize}};
    Json modules = Json::array();
    for (const WorksheetModule& module : sheet.modules)
        modules.push_back(ModuleValue(module));
    document["modules"] = modules;
    Json connections = Json::array();
    for (const WorksheetConnection& connection : sheet.connections)
        connections.push_back(
            Json{{"from", {{"module", connection.fromModule}, {"channel", connection.outChannel}}},
                 {"to", {{"module", connection.toModule}, {"channel", connection.inChannel}}}});
    document["connections"] = connections;
    return document.dump(2) + "\n";
}

bool WriteFlowChart(const std::wstring& path, const Worksheet& sheet, std::string* error) {
    return SaveFileSafely(path, FlowChartText(sheet), error);
}

std::wstring DriverConfigBeside(const std::wstring& flowChartPath) {
    const size_t folder = flowChartPath.find_last_of(L"\\/");
    const size_t dot = flowChartPath.find_last_of(L'.');
    const bool hasExtension =
        dot != std::wstring::npos && (folder == std::wstring::npos || dot > folder);
    return (hasExtension ? flowChartPath.substr(0, dot) : flowChartPath) + L".lumo31a-sim.txt";
}

std::ostream& operator<<(std::ostream& out, const Worksheet& sheet) {
    return out << FlowChartText(sheet);
}

} // namespace standin
