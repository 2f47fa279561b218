#pragma once
// One movable, non-copyable owner for every kind of Windows handle; the traits say how to close
// it and which value means "no handle".

#include <objbase.h>
#include <windows.h>

#include <utility>

namespace vtrl::win32 {

template <typename Traits> class unique_handle {
public:
    using pointer = typename Traits::pointer;

    unique_handle() noexcept = default;
    explicit unique_handle(pointer value) noexcept : value_(value) {}
    ~unique_handle() { reset(); }

    unique_handle(const unique_handle&) = delete;
    unique_handle& operator=(const unique_handle&) = delete;
    unique_handle(unique_handle&& other) noexcept : value_(other.release()) {}
    unique_handle& operator=(unique_handle&& other) noexcept {
        if (this != &other) {
            reset(other.release());
        }
        return *this;
    }

    pointer get() const noexcept { return value_; }
    explicit operator bool() const noexcept { return value_ != Traits::invalid(); }

    pointer release() noexcept { return std::exchange(value_, Traits::invalid()); }
    void reset(pointer value = Traits::invalid()) noexcept {
        pointer old = std::exchange(value_, value);
        if (old != Traits::invalid()) {
            Traits::close(old);
        }
    }
    // For out-parameters: closes the current handle and hands out the slot.
    pointer* put() noexcept {
        reset();
        return &value_;
    }

private:
    pointer value_ = Traits::invalid();
};

struct RegKeyTraits {
    using pointer = HKEY;
    static pointer invalid() noexcept { return nullptr; }
    static void close(pointer key) noexcept { RegCloseKey(key); }
};
using unique_hkey = unique_handle<RegKeyTraits>;

struct FileHandleTraits {
    using pointer = HANDLE;
    static pointer invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(pointer handle) noexcept { CloseHandle(handle); }
};
using unique_file = unique_handle<FileHandleTraits>;
// A failed CreateToolhelp32Snapshot answers INVALID_HANDLE_VALUE too, not null.
using unique_snapshot = unique_handle<FileHandleTraits>;

struct KernelHandleTraits {
    using pointer = HANDLE;
    static pointer invalid() noexcept { return nullptr; }
    static void close(pointer handle) noexcept { CloseHandle(handle); }
};
using unique_kernel_handle = unique_handle<KernelHandleTraits>;

// Icons, bitmaps and memory device contexts each have their own release call.
struct IconTraits {
    using pointer = HICON;
    static pointer invalid() noexcept { return nullptr; }
    static void close(pointer icon) noexcept { DestroyIcon(icon); }
};
using unique_icon = unique_handle<IconTraits>;

struct BitmapTraits {
    using pointer = HBITMAP;
    static pointer invalid() noexcept { return nullptr; }
    static void close(pointer bitmap) noexcept { DeleteObject(bitmap); }
};
using unique_bitmap = unique_handle<BitmapTraits>;

// Fonts, brushes and other GDI objects of one kind.
template <typename Handle> struct GdiObjectTraits {
    using pointer = Handle;
    static pointer invalid() noexcept { return nullptr; }
    static void close(pointer object) noexcept { DeleteObject(object); }
};
using unique_font = unique_handle<GdiObjectTraits<HFONT>>;
using unique_brush = unique_handle<GdiObjectTraits<HBRUSH>>;

struct MemoryDcTraits {
    using pointer = HDC;
    static pointer invalid() noexcept { return nullptr; }
    static void close(pointer dc) noexcept { DeleteDC(dc); }
};
using unique_memory_dc = unique_handle<MemoryDcTraits>;

// FindFirstFileExW answers INVALID_HANDLE_VALUE when it finds nothing, and FindClose ends it.
struct FindHandleTraits {
    using pointer = HANDLE;
    static pointer invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(pointer handle) noexcept { FindClose(handle); }
};
using unique_find = unique_handle<FindHandleTraits>;

// The whole screen's device context, from GetDC(nullptr).
struct ScreenDcTraits {
    using pointer = HDC;
    static pointer invalid() noexcept { return nullptr; }
    static void close(pointer dc) noexcept { ReleaseDC(nullptr, dc); }
};
using unique_screen_dc = unique_handle<ScreenDcTraits>;

struct GlobalAtomTraits {
    using pointer = ATOM;
    static pointer invalid() noexcept { return 0; }
    static void close(pointer atom) noexcept { GlobalDeleteAtom(atom); }
};
using unique_global_atom = unique_handle<GlobalAtomTraits>;

// Windows we create. One that is already gone (its parent took it along) is left alone.
struct WindowTraits {
    using pointer = HWND;
    static pointer invalid() noexcept { return nullptr; }
    static void close(pointer window) noexcept {
        if (IsWindow(window)) {
            DestroyWindow(window);
        }
    }
};
using unique_window = unique_handle<WindowTraits>;

// One WM_PAINT's drawing: BeginPaint now, EndPaint when it goes. Dc() is null when there is
// nothing to paint with.
class PaintScope {
public:
    explicit PaintScope(HWND window) noexcept : window_(window), dc_(BeginPaint(window, &paint_)) {}
    ~PaintScope() {
        if (dc_ != nullptr) {
            EndPaint(window_, &paint_);
        }
    }
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    HDC Dc() const noexcept { return dc_; }

private:
    HWND window_;
    PAINTSTRUCT paint_{};
    HDC dc_;
};

// Balances CoInitializeEx on the current thread.
class ComApartment {
public:
    ComApartment() noexcept
        : initialized_(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComApartment() {
        if (initialized_) {
            CoUninitialize();
        }
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool initialized_;
};

} // namespace vtrl::win32
