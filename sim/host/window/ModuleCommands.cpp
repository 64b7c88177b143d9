// The module menu's commands: new modules, parameters, delete and connect, and the selection.
#include "sim/host/window/WindowState.h"

#include "sim/host/flowchart/Worksheet.h"
#include "sim/host/run/ExperimentRun.h"
#include "sim/host/window/FormDialog.h"

#include <cstdlib>

namespace standin {

namespace {

std::string ChannelName(size_t index, ModuleRecord* module, uint32_t channel) {
    return std::to_string(index) + " " + module->moduleName + " ch " + std::to_string(channel);
}

struct ChannelRef {
    ModuleRecord* module;
    uint32_t channel;
};

} // namespace

void ParametersCommand() {
    if (app.selected) {
        SendModuleMessage(app.selected, MODMSG_PARAMETER_DIALOG);
        MarkChanged(); // the plug-in tells no one whether the user changed anything
    }
    Refresh();
}

void DeleteCommand() {
    if (app.selected)
        DeleteModule(app.selected);
}

void ConnectCommand() {
    const std::vector<ModuleRecord*> modules = Modules();
    std::vector<ChannelRef> outputs, inputs;
    FormField from{"出力チャネル", {}, "", 0}, to{"入力チャネル", {}, "", 0};
    for (size_t i = 0; i < modules.size(); ++i) {
        for (uint32_t c = 0; c < modules[i]->outputChannelCount && c < MAX_CHANNELS; ++c) {
            outputs.push_back({modules[i], c});
            from.items.push_back(ChannelName(i, modules[i], c));
        }
        for (uint32_t c = 0; c < modules[i]->inputChannelCount && c < MAX_CHANNELS; ++c) {
            inputs.push_back({modules[i], c});
            to.items.push_back(ChannelName(i, modules[i], c));
        }
    }
    if (outputs.empty() || inputs.empty()) {
        Alert("接続するには出力チャネルと入力チャネルのあるモジュールが必要です。",
              MB_ICONINFORMATION);
        return;
    }
    // A run of channels at once: from k and to k for k = 0 .. count - 1, as far as both
    // modules have channels (eight at once join two modules as the loopback example does).
    std::vector<FormField> fields = {from, to, {"チャネル数", {}, "1", 0}};
    if (!RunFormDialog(MainWindow(), "チャネルの接続", fields))
        return;
    const int out = fields[0].selection, in = fields[1].selection;
    char* end = nullptr;
    const unsigned long count = std::strtoul(fields[2].text.c_str(), &end, 10);
    if (out < 0 || in < 0 || size_t(out) >= outputs.size() || size_t(in) >= inputs.size())
        return;
    if (end == fields[2].text.c_str() || *end || count < 1 || count > MAX_CHANNELS) {
        Alert("チャネル数は 1 から 16 です。");
        return;
    }
    for (unsigned long k = 0; k < count; ++k) {
        const size_t o = size_t(out) + k, i = size_t(in) + k;
        if (o >= outputs.size() || i >= inputs.size() ||
            outputs[o].module != outputs[size_t(out)].module ||
            inputs[i].module != inputs[size_t(in)].module)
            break;
        bool taken = false;
        for (const Connection& existing : Connections())
            taken |= existing.to == inputs[i].module && existing.inChannel == inputs[i].channel;
        if (taken) {
            Alert("入力チャネル " + to.items[i] + " はすでに接続されています。");
            break;
        }
        Connect(outputs[o].module, outputs[o].channel, inputs[i].module, inputs[i].channel);
        MarkChanged();
    }
    Refresh();
}

ModuleRecord* CreateModule(const RegisteredClass& moduleClass) {
    if (CurrentRun().active) {
        Alert("実験中はモジュールを加えられません。");
        return nullptr;
    }
    ModuleRecord* module = NewModule(moduleClass);
    if (!module)
        return nullptr;
    if (SendModuleMessage(module, MODMSG_CREATE) != 1) {
        DeleteModuleRecord(module); // the plug-in made nothing of it
        Refresh();
        return nullptr;
    }
    SelectModule(module);
    MarkChanged();
    return module;
}

void DeleteModule(ModuleRecord* module) {
    if (CurrentRun().active) {
        Alert("実験中はモジュールを削除できません。");
        return;
    }
    SendModuleMessage(module, MODMSG_DELETE);
    if (app.selected == module)
        app.selected = nullptr;
    DeleteModuleRecord(module);
    MarkChanged();
    Refresh();
}

void SelectModule(ModuleRecord* module) {
    app.selected = module;
    Refresh();
}

ModuleRecord* SelectedModule() {
    return app.selected;
}

} // namespace standin
