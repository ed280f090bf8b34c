// String-table lookup in the one language the program has.
#include "ui/ui.h"

#ifndef SUBLANG_JAPANESE_JAPAN
#define SUBLANG_JAPANESE_JAPAN 0x01
#endif

std::wstring LoadResourceString(UINT id)
{
    // LoadStringW would pick a language by the system's settings; the texts
    // are Japanese everywhere, so the block is looked up by language itself.
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC block = FindResourceExW(module, RT_STRING, MAKEINTRESOURCEW(id / 16 + 1),
                                  MAKELANGID(LANG_JAPANESE, SUBLANG_JAPANESE_JAPAN));
    if (!block) return std::wstring();
    HGLOBAL loaded = LoadResource(module, block);
    const WCHAR* p = loaded ? static_cast<const WCHAR*>(LockResource(loaded)) : nullptr;
    if (!p) return std::wstring();
    const WCHAR* end = p + SizeofResource(module, block) / sizeof(WCHAR);

    // A block holds 16 counted strings; skip to ours.
    for (UINT i = 0; i < id % 16; ++i) {
        if (p >= end) return std::wstring();
        p += 1 + *p;
    }
    if (p >= end || p + 1 + *p > end) return std::wstring();
    return std::wstring(p + 1, *p);
}
