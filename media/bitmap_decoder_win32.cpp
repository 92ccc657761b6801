// The Windows bitmap decoder: the Windows Imaging Component (windowscodecs.dll) reads the file
// from memory and converts its first frame to 32-bit BGRA, which in memory is 0xAARRGGBB.
#include "decoders.h"

#include <wincodec.h>

#include <cstring>

namespace d3dx
{

namespace
{
// The file's own texel format, named by WIC's pixel format of the decoded frame.
D3DFORMAT FileFormat(const WICPixelFormatGUID& format, bool* hasAlpha)
{
    *hasAlpha = false;
    if (IsEqualGUID(format, GUID_WICPixelFormat1bppIndexed) ||
        IsEqualGUID(format, GUID_WICPixelFormat2bppIndexed) ||
        IsEqualGUID(format, GUID_WICPixelFormat4bppIndexed) ||
        IsEqualGUID(format, GUID_WICPixelFormat8bppIndexed))
        return D3DFMT_P8;
    if (IsEqualGUID(format, GUID_WICPixelFormat16bppBGR565))
        return D3DFMT_R5G6B5;
    if (IsEqualGUID(format, GUID_WICPixelFormat16bppBGR555))
        return D3DFMT_X1R5G5B5;
    if (IsEqualGUID(format, GUID_WICPixelFormat16bppBGRA5551))
    {
        *hasAlpha = true;
        return D3DFMT_A1R5G5B5;
    }
    if (IsEqualGUID(format, GUID_WICPixelFormat24bppBGR))
        return D3DFMT_R8G8B8;
    if (IsEqualGUID(format, GUID_WICPixelFormat32bppBGRA))
    {
        *hasAlpha = true;
        return D3DFMT_A8R8G8B8;
    }
    return D3DFMT_X8R8G8B8;
}

// COM for the calling thread, for as long as the decoder needs it; a thread that already runs
// COM in either model is left as it is.
struct ComScope
{
    bool initialised;
    ComScope() : initialised(SUCCEEDED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) {}
    ~ComScope()
    {
        if (initialised)
            CoUninitialize();
    }
};

template <typename T> void Release(T*& object)
{
    if (object)
        object->Release();
    object = nullptr;
}

HRESULT Decode(IWICImagingFactory* factory, const void* data, size_t size, Image* image,
               D3DFORMAT* fileFormat)
{
    IWICStream* stream = nullptr;
    IWICBitmapDecoder* decoder = nullptr;
    IWICBitmapFrameDecode* frame = nullptr;
    IWICBitmapSource* converted = nullptr;
    HRESULT hr = factory->CreateStream(&stream);
    if (SUCCEEDED(hr))
        hr = stream->InitializeFromMemory(static_cast<BYTE*>(const_cast<void*>(data)), DWORD(size));
    if (SUCCEEDED(hr))
        hr = factory->CreateDecoderFromStream(stream, nullptr, WICDecodeMetadataCacheOnDemand,
                                              &decoder);
    GUID container{};
    if (SUCCEEDED(hr))
        hr = decoder->GetContainerFormat(&container);
    if (SUCCEEDED(hr) && !IsEqualGUID(container, GUID_ContainerFormatBmp))
        hr = E_FAIL;
    if (SUCCEEDED(hr))
        hr = decoder->GetFrame(0, &frame);
    UINT width = 0, height = 0;
    WICPixelFormatGUID format{};
    if (SUCCEEDED(hr))
        hr = frame->GetSize(&width, &height);
    if (SUCCEEDED(hr))
        hr = frame->GetPixelFormat(&format);
    // The header was checked before decoding; the frame is checked again in case WIC reads the
    // size elsewhere.
    if (SUCCEEDED(hr) && (width == 0 || height == 0 || width > MaxImageSide ||
                          height > MaxImageSide || UINT64(width) * height > MaxImageTexels))
        hr = E_FAIL;
    if (SUCCEEDED(hr))
        hr = WICConvertBitmapSource(GUID_WICPixelFormat32bppBGRA, frame, &converted);
    bool hasAlpha = false;
    if (SUCCEEDED(hr))
    {
        *fileFormat = FileFormat(format, &hasAlpha);
        image->Width = width;
        image->Height = height;
        image->HasAlpha = hasAlpha;
        image->Texels.assign(size_t(width) * height, 0);
        hr = converted->CopyPixels(nullptr, width * 4, width * height * 4,
                                   reinterpret_cast<BYTE*>(image->Texels.data()));
    }
    if (SUCCEEDED(hr) && !hasAlpha)
        for (DWORD& texel : image->Texels)
            texel |= 0xFF000000u;
    Release(converted);
    Release(frame);
    Release(decoder);
    Release(stream);
    return hr;
}
} // namespace

HRESULT DecodeBitmapTexels(const void* data, size_t size, Image* image, D3DFORMAT* fileFormat)
{
    if (size > 0xFFFFFFFFu)
        return D3DXERR_INVALIDDATA;
    ComScope com;
    IWICImagingFactory* factory = nullptr;
    HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_IWICImagingFactory, reinterpret_cast<void**>(&factory));
    if (FAILED(hr) || !factory)
        return D3DXERR_INVALIDDATA;
    hr = Decode(factory, data, size, image, fileFormat);
    factory->Release();
    if (FAILED(hr))
    {
        *image = Image();
        return D3DXERR_INVALIDDATA;
    }
    return D3D_OK;
}

} // namespace d3dx
