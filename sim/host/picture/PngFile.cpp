#include "sim/host/picture/PngFile.h"

#include "sim/host/support/Files.h"
#include "sim/host/support/SafeSave.h"
#include "sim/host/support/TextCodes.h"

#include <windows.h>
#include <wincodec.h>

namespace standin {

namespace {

// Holds one COM interface and gives it back.
template <typename Interface> struct Held {
    Interface* p = nullptr;
    ~Held() {
        if (p)
            p->Release();
    }
    Interface** operator&() { return &p; }
    Interface* operator->() const { return p; }
};

// COM for the calling thread for as long as it lives; leaves an earlier initialisation alone.
struct ComScope {
    HRESULT result = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    ~ComScope() {
        if (SUCCEEDED(result))
            CoUninitialize();
    }
};

bool Failed(HRESULT result, const std::string& path, const char* step, std::string* error) {
    if (SUCCEEDED(result))
        return false;
    if (error) {
        char text[64];
        wsprintfA(text, " (HRESULT 0x%08lX)", static_cast<unsigned long>(result));
        *error = path + ": " + step + text;
    }
    return true;
}

bool MakeFactory(IWICImagingFactory** factory, const std::string& path, std::string* error) {
    return !Failed(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                    IID_IWICImagingFactory, reinterpret_cast<void**>(factory)),
                   path, "the Windows Imaging Component is not available", error);
}

} // namespace

bool SavePng(const std::wstring& file, int width, int height, const std::vector<uint32_t>& pixels,
             std::string* error) {
    const std::string path = WideToUtf8(file);
    if (width <= 0 || height <= 0 || pixels.size() != size_t(width) * size_t(height)) {
        if (error)
            *error = path + ": no picture to save";
        return false;
    }
    // 24-bit rows, each padded to 4 bytes: the format every PNG encoder of WIC takes.
    const UINT stride = (UINT(width) * 3 + 3) & ~3u;
    std::vector<BYTE> rows(size_t(stride) * UINT(height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const uint32_t pixel = pixels[size_t(y) * width + x];
            BYTE* target = &rows[size_t(y) * stride + size_t(x) * 3];
            target[0] = BYTE(pixel);
            target[1] = BYTE(pixel >> 8);
            target[2] = BYTE(pixel >> 16);
        }
    ComScope com;
    Held<IWICImagingFactory> factory;
    Held<IStream> stream; // the picture is made in memory and then saved safely
    Held<IWICBitmapEncoder> encoder;
    Held<IWICBitmapFrameEncode> frame;
    Held<IPropertyBag2> options;
    if (!MakeFactory(&factory, path, error) ||
        Failed(CreateStreamOnHGlobal(nullptr, TRUE, &stream), path, "no memory", error) ||
        Failed(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder), path,
               "no PNG encoder", error) ||
        Failed(encoder->Initialize(stream.p, WICBitmapEncoderNoCache), path, "encoder", error) ||
        Failed(encoder->CreateNewFrame(&frame, &options), path, "frame", error) ||
        Failed(frame->Initialize(options.p), path, "frame", error) ||
        Failed(frame->SetSize(UINT(width), UINT(height)), path, "size", error))
        return false;
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    if (Failed(frame->SetPixelFormat(&format), path, "pixel format", error))
        return false;
    if (!IsEqualGUID(format, GUID_WICPixelFormat24bppBGR)) {
        if (error)
            *error = path + ": the PNG encoder does not take 24-bit pixels";
        return false;
    }
    HGLOBAL memory = nullptr;
    if (Failed(frame->WritePixels(UINT(height), stride, UINT(rows.size()), rows.data()), path,
               "pixels", error) ||
        Failed(frame->Commit(), path, "frame", error) ||
        Failed(encoder->Commit(), path, "encoder", error) ||
        Failed(GetHGlobalFromStream(stream.p, &memory), path, "no memory", error))
        return false;
    STATSTG about = {};
    if (Failed(stream->Stat(&about, STATFLAG_NONAME), path, "no size", error))
        return false;
    const char* bytes = static_cast<const char*>(GlobalLock(memory));
    const std::string png(bytes, bytes ? size_t(about.cbSize.QuadPart) : 0);
    GlobalUnlock(memory);
    return SaveFileSafely(file, png, error);
}

bool LoadPng(const std::wstring& file, int* width, int* height, std::vector<uint32_t>* pixels,
             std::string* error) {
    const std::string path = WideToUtf8(file);
    std::string bytes;
    if (!ReadWholeFile(file, &bytes, error))
        return false;
    ComScope com;
    Held<IWICImagingFactory> factory;
    Held<IWICStream> stream;
    Held<IWICBitmapDecoder> decoder;
    Held<IWICBitmapFrameDecode> frame;
    Held<IWICFormatConverter> converter;
    UINT w = 0, h = 0;
    if (!MakeFactory(&factory, path, error) ||
        Failed(factory->CreateStream(&stream), path, "no stream", error) ||
        Failed(
            stream->InitializeFromMemory(reinterpret_cast<BYTE*>(&bytes[0]), DWORD(bytes.size())),
            path, "no stream", error) ||
        Failed(factory->CreateDecoderFromStream(stream.p, nullptr, WICDecodeMetadataCacheOnDemand,
                                                &decoder),
               path, "cannot be read as a picture", error) ||
        Failed(decoder->GetFrame(0, &frame), path, "no picture in it", error) ||
        Failed(frame->GetSize(&w, &h), path, "no size", error) ||
        Failed(factory->CreateFormatConverter(&converter), path, "no converter", error) ||
        Failed(converter->Initialize(frame.p, GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone,
                                     nullptr, 0, WICBitmapPaletteTypeCustom),
               path, "no 32-bit pixels", error))
        return false;
    pixels->assign(size_t(w) * h, 0);
    if (Failed(converter->CopyPixels(nullptr, w * 4, w * h * 4,
                                     reinterpret_cast<BYTE*>(pixels->data())),
               path, "pixels", error))
        return false;
    *width = int(w);
    *height = int(h);
    return true;
}

} // namespace standin
