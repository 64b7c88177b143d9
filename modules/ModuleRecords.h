// Records exchanged between the host and the module classes. Their layouts are fixed by the
// host and stored in its flow charts: every pointer and handle field is 32 bits wide in both
// builds, and every offset is checked below.
#pragma once

#include "host/HostInterface.h"

#include <cstddef>
#include <cstdint>

// The names under which the two classes register, which the host's flow charts store with
// each module: the output class keeps OutParams, the input class InParams and InExtraBlock.
#define OUTPUT_CLASS_NAME "Lumo-P31 OUT"
#define INPUT_CLASS_NAME "Lumo-P31 IN"

#pragma pack(push, 1)

// Handed to RegisterModuleClass once per class.
struct ModuleClassRecord {
    Addr32 instance;        // the plug-in's instance handle
    Addr32 className;       // ANSI class name
    uint32_t paramsSize;    // size of the parameter block
    uint32_t extraSize;     // size of the extra block
    uint32_t classKind;     // 12 for both classes
    uint32_t classId;       // string id, menu command id
    Addr32 shortName;       // static 13-byte buffer
    Addr32 description;     // static 39-byte buffer
    uint32_t reserved32[3]; // 0
    Addr32 smallBitmap;     // 26 x 24
    Addr32 largeBitmap;     // 64 x 46
    Addr32 messageHandler;  // ModuleMessageHandler
    Addr32 processFunction; // ModuleProcessFunction
    uint8_t reserved60[120];
};

// Channel numbers the host's module record has room for (its output channel records).
enum : uint32_t { MODULE_RECORD_CHANNELS = 16 };

// The host's record of one module; the plug-in touches only the named fields.
struct ModuleRecord {
    Addr32 hWnd; // the module's window
    uint8_t reserved4[4];
    uint32_t animationContext; // handed on to the animation step
    uint8_t reserved12[4];
    uint32_t processEnable; // input processing does nothing while 0
    uint8_t reserved20[20];
    char moduleName[13];        // 12 bytes of text and NUL
    char moduleDescription[41]; // 40 bytes of text and NUL
    uint8_t reserved94[24];
    uint32_t inputChannelCount; // unaligned
    uint8_t reserved122[704];
    uint32_t outputChannelCount; // unaligned
    uint8_t reserved830[66];
    Addr32 outputChannels[MODULE_RECORD_CHANNELS]; // OutputChannelRecord of output channel i
    Addr32 params;                                 // OutParams or InParams
    Addr32 extra;                                  // the input class's extra block
    Addr32 channelState[8];                        // ChannelState of channel i
    uint8_t reserved1000[24];
};

// Run state of one channel number, provided by the host.
struct ChannelState {
    uint32_t blockPending;     // 1 while a filled block waits for its release time
    uint32_t samplesDelivered; // samples produced since the experiment started
    int32_t animationPhase;    // cycles from -9 to 10
};

// The host's record of one output channel of a module: the plug-in clears field14 only.
struct OutputChannelRecord {
    uint8_t hostData[14];
    uint16_t field14;
};

// The first part of both parameter blocks: the channel names and the logical slot.
struct ParamsHead {
    char channelNames[8][24];
    uint16_t boardSlot;
    uint8_t reserved194[2];
};

// Parameter block of the output class, stored by the host with every output module. It
// begins with the fields of ParamsHead.
struct OutParams {
    char channelNames[8][24];
    uint16_t boardSlot;
    uint8_t reserved194[2];
    uint32_t channelFlags[8];
    uint16_t port;
    uint8_t reserved230[2];
    Addr32 portBytes; // byte 0 of the run's byte buffer (PortByteBuffer.h), 0 outside a run
};

// Parameter block of the input class, stored by the host with every input module. It begins
// with the fields of ParamsHead.
struct InParams {
    char channelNames[8][24];
    uint16_t boardSlot;
    uint8_t reserved194[2];
    uint16_t port;
    uint8_t reserved198[2];
    uint32_t resetWord;
    uint8_t reserved204[12];
    struct {
        uint32_t resetWord;
        uint8_t reserved[12];
    } channelResets[8]; // channelResetWords[i] at 216 + 16 i
    uint8_t reserved344[24];
};

// A parameter block of either class: the head is read the same way whichever class the block
// belongs to.
union ParamsBlock {
    ParamsHead head;
    OutParams out;
    InParams in;
};

// Extra block of the input class; only its first word is written.
struct InExtraBlock {
    uint32_t firstWord;
    uint8_t reserved4[516];
};

// Passed by MODMSG_CLASS_INFO (124) to the input class.
struct ClassInfoRequest {
    Addr32 instance;
    uint32_t requestKind;
    char templateName[11];
    uint8_t reserved19[9]; // left as the host passed them
    uint32_t reserved28;
    uint32_t labelStringId;
};

// The host's block of samples of one channel: packed, doubles unaligned.
struct DataBlock {
    uint8_t hostHeader[6];
    double startTime;      // seconds since the start of the experiment
    double sampleDistance; // seconds between samples
    uint16_t sampleCount;
    float samples[1]; // as many as the host made room for
};

#pragma pack(pop)

static_assert(offsetof(ModuleClassRecord, instance) == 0, "");
static_assert(offsetof(ModuleClassRecord, className) == 4, "");
static_assert(offsetof(ModuleClassRecord, paramsSize) == 8, "");
static_assert(offsetof(ModuleClassRecord, extraSize) == 12, "");
static_assert(offsetof(ModuleClassRecord, classKind) == 16, "");
static_assert(offsetof(ModuleClassRecord, classId) == 20, "");
static_assert(offsetof(ModuleClassRecord, shortName) == 24, "");
static_assert(offsetof(ModuleClassRecord, description) == 28, "");
static_assert(offsetof(ModuleClassRecord, reserved32) == 32, "");
static_assert(offsetof(ModuleClassRecord, smallBitmap) == 44, "");
static_assert(offsetof(ModuleClassRecord, largeBitmap) == 48, "");
static_assert(offsetof(ModuleClassRecord, messageHandler) == 52, "");
static_assert(offsetof(ModuleClassRecord, processFunction) == 56, "");
static_assert(offsetof(ModuleClassRecord, reserved60) == 60, "");
static_assert(sizeof(ModuleClassRecord) == 180, "");

static_assert(offsetof(ModuleRecord, hWnd) == 0, "");
static_assert(offsetof(ModuleRecord, animationContext) == 8, "");
static_assert(offsetof(ModuleRecord, processEnable) == 16, "");
static_assert(offsetof(ModuleRecord, moduleName) == 40, "");
static_assert(offsetof(ModuleRecord, moduleDescription) == 53, "");
static_assert(offsetof(ModuleRecord, inputChannelCount) == 118, "");
static_assert(offsetof(ModuleRecord, outputChannelCount) == 826, "");
static_assert(offsetof(ModuleRecord, outputChannels) == 896, "");
static_assert(offsetof(ModuleRecord, params) == 960, "");
static_assert(offsetof(ModuleRecord, extra) == 964, "");
static_assert(offsetof(ModuleRecord, channelState) == 968, "");
static_assert(sizeof(ModuleRecord) == 1024, "");

static_assert(offsetof(ChannelState, blockPending) == 0, "");
static_assert(offsetof(ChannelState, samplesDelivered) == 4, "");
static_assert(offsetof(ChannelState, animationPhase) == 8, "");
static_assert(sizeof(ChannelState) == 12, "");

static_assert(offsetof(OutputChannelRecord, field14) == 14, "");

static_assert(offsetof(ParamsHead, channelNames) == 0, "");
static_assert(offsetof(ParamsHead, boardSlot) == 192, "");
static_assert(sizeof(ParamsHead) == 196, "");

// A block begins with the head: the same fields at the same places.
template <typename Block> constexpr bool BeginsWithParamsHead() {
    return offsetof(Block, channelNames) == offsetof(ParamsHead, channelNames) &&
           sizeof(Block::channelNames) == sizeof(ParamsHead::channelNames) &&
           offsetof(Block, boardSlot) == offsetof(ParamsHead, boardSlot) &&
           offsetof(Block, reserved194) == offsetof(ParamsHead, reserved194);
}

static_assert(BeginsWithParamsHead<OutParams>(), "");
static_assert(offsetof(OutParams, channelFlags) == 196, "");
static_assert(offsetof(OutParams, port) == 228, "");
static_assert(offsetof(OutParams, portBytes) == 232, "");
static_assert(sizeof(OutParams) == 236, "");

static_assert(BeginsWithParamsHead<InParams>(), "");
static_assert(offsetof(InParams, port) == 196, "");
static_assert(offsetof(InParams, resetWord) == 200, "");
static_assert(offsetof(InParams, channelResets) == 216, "");
static_assert(offsetof(InParams, reserved344) == 344, "");
static_assert(sizeof(InParams) == 368, "");

static_assert(sizeof(InExtraBlock) == 520, "");

static_assert(offsetof(ClassInfoRequest, instance) == 0, "");
static_assert(offsetof(ClassInfoRequest, requestKind) == 4, "");
static_assert(offsetof(ClassInfoRequest, templateName) == 8, "");
static_assert(offsetof(ClassInfoRequest, reserved19) == 19, "");
static_assert(offsetof(ClassInfoRequest, reserved28) == 28, "");
static_assert(offsetof(ClassInfoRequest, labelStringId) == 32, "");
static_assert(sizeof(ClassInfoRequest) == 36, "");

static_assert(offsetof(DataBlock, startTime) == 6, "");
static_assert(offsetof(DataBlock, sampleDistance) == 14, "");
static_assert(offsetof(DataBlock, sampleCount) == 22, "");
static_assert(offsetof(DataBlock, samples) == 24, "");

// Size of a DataBlock with room for n samples.
inline constexpr size_t DataBlockSize(size_t samples) {
    return offsetof(DataBlock, samples) + samples * sizeof(float);
}

// Typed views of a module's 32-bit pointer fields.
inline ChannelState* ChannelStateOf(ModuleRecord* module, unsigned channel) {
    return FromAddr32<ChannelState>(module->channelState[channel]);
}
inline OutputChannelRecord* OutputChannelOf(ModuleRecord* module, unsigned channel) {
    return FromAddr32<OutputChannelRecord>(module->outputChannels[channel]);
}
inline ParamsBlock* ParamsBlockOf(ModuleRecord* module) {
    return FromAddr32<ParamsBlock>(module->params);
}
inline OutParams* OutParamsOf(ModuleRecord* module) {
    return FromAddr32<OutParams>(module->params);
}
inline InParams* InParamsOf(ModuleRecord* module) {
    return FromAddr32<InParams>(module->params);
}
