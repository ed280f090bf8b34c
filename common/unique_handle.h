// A move-only owner for Win32 handles, so every handle is released where it
// was acquired, on every way out of the function that acquired it.
#pragma once

#include <windows.h>
#include <setupapi.h>

#include <utility>

template <typename Traits>
struct UniqueHandle {
    using Handle = typename Traits::Handle;

    UniqueHandle() = default;
    explicit UniqueHandle(Handle h) : handle(h) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept
    {
        if (this != &other) Reset(other.Release());
        return *this;
    }
    ~UniqueHandle() { Reset(); }

    Handle Get() const { return handle; }
    bool Valid() const { return handle != Traits::Invalid(); }
    explicit operator bool() const { return Valid(); }

    // Gives up ownership without closing.
    Handle Release() { return std::exchange(handle, Traits::Invalid()); }

    void Reset(Handle h = Traits::Invalid())
    {
        if (Valid()) Traits::Close(handle);
        handle = h;
    }

    Handle handle = Traits::Invalid();
};

// Kernel objects that CreateFileW reports failure for as INVALID_HANDLE_VALUE.
struct FileHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { CloseHandle(h); }
};

// Kernel objects whose creators report failure as NULL (events, processes, threads).
struct KernelHandleTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { CloseHandle(h); }
};

struct DevInfoHandleTraits {
    using Handle = HDEVINFO;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { SetupDiDestroyDeviceInfoList(h); }
};

using UniqueFile = UniqueHandle<FileHandleTraits>;
using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;
using UniqueDevInfo = UniqueHandle<DevInfoHandleTraits>;
