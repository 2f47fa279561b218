#include "platform/win32/win32_icons.h"

#include "platform/win32/unique_handle.h"

#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>
#include <wincodec.h>
#include <wrl/client.h>

#include <cstring>

namespace vtrl::win32 {

namespace {

// A bitmap must be selected out of its device context before either is deleted.
class ScopedSelection {
public:
    ScopedSelection(HDC dc, HGDIOBJ object) noexcept : dc_(dc), old_(SelectObject(dc, object)) {}
    ~ScopedSelection() {
        if (old_ != nullptr && old_ != HGDI_ERROR) {
            SelectObject(dc_, old_);
        }
    }
    ScopedSelection(const ScopedSelection&) = delete;
    ScopedSelection& operator=(const ScopedSelection&) = delete;
    bool ok() const noexcept { return old_ != nullptr && old_ != HGDI_ERROR; }

private:
    HDC dc_;
    HGDIOBJ old_;
};

// The icon at the file's index in the shell's system image list. The list itself belongs to the
// shell and is shared by the whole process, so it is never destroyed here.
unique_icon ShellIcon(const std::wstring& path, int size) {
    SHFILEINFOW info{};
    const UINT flags = SHGFI_SYSICONINDEX | (size <= 16 ? SHGFI_SMALLICON : SHGFI_LARGEICON);
    const auto list =
        reinterpret_cast<HIMAGELIST>(SHGetFileInfoW(path.c_str(), 0, &info, sizeof(info), flags));
    if (list == nullptr || info.iIcon < 0) {
        return {};
    }
    return unique_icon(ImageList_GetIcon(list, info.iIcon, ILD_TRANSPARENT));
}

// 0x00RRGGBB, as a 32-bit DIB stores a pixel.
std::uint32_t DibPixel(COLORREF color) {
    return (static_cast<std::uint32_t>(GetRValue(color)) << 16) |
           (static_cast<std::uint32_t>(GetGValue(color)) << 8) | GetBValue(color);
}

// A 24-bit bottom-up bitmap file of the top-down 32-bit pixels.
std::vector<std::uint8_t> EncodeBitmapFile(const std::uint32_t* pixels, int width, int height) {
    const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    const DWORD imageBytes = stride * static_cast<DWORD>(height);

    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    file.bfType = 0x4D42; // "BM"
    file.bfOffBits = sizeof(file) + sizeof(info);
    file.bfSize = file.bfOffBits + imageBytes;
    info.biSize = sizeof(info);
    info.biWidth = width;
    info.biHeight = height; // positive: the last row comes first
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    info.biSizeImage = imageBytes;
    info.biXPelsPerMeter = 3780; // 96 dots per inch
    info.biYPelsPerMeter = 3780;

    std::vector<std::uint8_t> bytes(file.bfSize, 0);
    std::memcpy(bytes.data(), &file, sizeof(file));
    std::memcpy(bytes.data() + sizeof(file), &info, sizeof(info));
    std::uint8_t* out = bytes.data() + file.bfOffBits;
    for (int row = height - 1; row >= 0; --row, out += stride) {
        const std::uint32_t* in = pixels + static_cast<std::size_t>(row) * width;
        for (int column = 0; column < width; ++column) {
            out[column * 3 + 0] = static_cast<std::uint8_t>(in[column]);
            out[column * 3 + 1] = static_cast<std::uint8_t>(in[column] >> 8);
            out[column * 3 + 2] = static_cast<std::uint8_t>(in[column] >> 16);
        }
    }
    return bytes;
}

} // namespace

std::optional<std::vector<std::uint8_t>> Win32Icons::RenderIconBitmap(const std::wstring& path,
                                                                      int size) {
    if (path.empty() || path.find(L'\0') != std::wstring::npos || size <= 0 || size > 256) {
        return std::nullopt;
    }
    // The shell's file information needs COM on the calling thread.
    ComApartment com;
    const unique_icon icon = ShellIcon(path, size);
    if (!icon) {
        return std::nullopt;
    }

    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof(format.bmiHeader);
    format.bmiHeader.biWidth = size;
    format.bmiHeader.biHeight = -size; // top-down, so row 0 is the top row
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;

    const unique_memory_dc dc(CreateCompatibleDC(nullptr));
    if (!dc) {
        return std::nullopt;
    }
    void* bits = nullptr;
    const unique_bitmap bitmap(
        CreateDIBSection(dc.get(), &format, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap || bits == nullptr) {
        return std::nullopt;
    }
    auto* pixels = static_cast<std::uint32_t*>(bits);
    const std::size_t count = static_cast<std::size_t>(size) * static_cast<std::size_t>(size);
    // The transparent parts of the icon show a picture box's background.
    const std::uint32_t background = DibPixel(GetSysColor(COLOR_BTNFACE));
    for (std::size_t i = 0; i < count; ++i) {
        pixels[i] = background;
    }
    {
        const ScopedSelection selected(dc.get(), bitmap.get());
        if (!selected.ok() ||
            !DrawIconEx(dc.get(), 0, 0, icon.get(), size, size, 0, nullptr, DI_NORMAL)) {
            return std::nullopt;
        }
        GdiFlush();
    }
    return EncodeBitmapFile(pixels, size, size);
}

std::optional<std::vector<std::uint8_t>> Win32Icons::RenderPictureFile(const std::wstring& path) {
    // Pictures larger than this are not ours to show and would only cost memory.
    constexpr UINT kLargestSide = 4096;
    if (path.empty() || path.find(L'\0') != std::wstring::npos) {
        return std::nullopt;
    }
    ComApartment com;
    using Microsoft::WRL::ComPtr;
    ComPtr<IWICImagingFactory> factory;
    ComPtr<IWICBitmapDecoder> decoder;
    ComPtr<IWICBitmapFrameDecode> frame;
    ComPtr<IWICFormatConverter> converter;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                IID_PPV_ARGS(&factory))) ||
        FAILED(factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                                  WICDecodeMetadataCacheOnDemand, &decoder)) ||
        FAILED(decoder->GetFrame(0, &frame)) ||
        FAILED(factory->CreateFormatConverter(&converter)) ||
        FAILED(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppBGR,
                                     WICBitmapDitherTypeNone, nullptr, 0.0,
                                     WICBitmapPaletteTypeCustom))) {
        return std::nullopt;
    }
    UINT width = 0;
    UINT height = 0;
    if (FAILED(converter->GetSize(&width, &height)) || width == 0 || height == 0 ||
        width > kLargestSide || height > kLargestSide) {
        return std::nullopt;
    }
    // 32-bit BGR rows, top-down: each pixel reads as 0x00RRGGBB.
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
    const UINT stride = width * 4;
    if (FAILED(converter->CopyPixels(nullptr, stride, stride * height,
                                     reinterpret_cast<BYTE*>(pixels.data())))) {
        return std::nullopt;
    }
    return EncodeBitmapFile(pixels.data(), static_cast<int>(width), static_cast<int>(height));
}

} // namespace vtrl::win32
