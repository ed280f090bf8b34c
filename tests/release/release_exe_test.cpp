// Checks both release builds of Zentrobe.exe (x64 and x86) as files: PE
// headers, mitigations, stripped symbols, imported DLLs, and the presence of
// the version record (1.0.0.0) and the manifest. The headers are read from
// the file's bytes; resources through a data-file load, so nothing runs.
#include <windows.h>

#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <cwctype>
#include <ostream>
#include <string>
#include <vector>

namespace {

constexpr WORD kPe32Magic = 0x10b;
constexpr WORD kPe32PlusMagic = 0x20b;
constexpr DWORD kFixedInfoSignature = 0xFEEF04BD;

// Only system DLLs that every supported Windows has; a MinGW runtime DLL here
// means the exe would not start on a clean machine.
const wchar_t* const kAllowedDlls[] = {L"KERNEL32.DLL", L"USER32.DLL", L"SETUPAPI.DLL",
                                       L"MSVCRT.DLL"};

struct ReleaseExe {
    const char* name;      // folder in the release zip
    const char* unixPath;  // as the build configured it
    WORD machine;
    WORD magic;
    bool highEntropy;
};

const ReleaseExe kReleaseExes[] = {
    {"x64", ZENTROBE_RELEASE_EXE_X64, IMAGE_FILE_MACHINE_AMD64, kPe32PlusMagic, true},
    {"x86", ZENTROBE_RELEASE_EXE_X86, IMAGE_FILE_MACHINE_I386, kPe32Magic, false},
};

// Test names and messages show the zip folder, not the bytes of the record.
void PrintTo(const ReleaseExe& exe, std::ostream* out)
{
    *out << exe.name;
}

std::wstring Upper(std::wstring s)
{
    for (auto& c : s) c = static_cast<wchar_t>(std::towupper(c));
    return s;
}

struct Section {
    std::string name;
    uint32_t virtualAddress = 0;
    uint32_t virtualSize = 0;
    uint32_t rawOffset = 0;
    uint32_t rawSize = 0;
};

// The parts of a PE file the release cares about. Reads are bounds-checked:
// a truncated or malformed file sets `error` instead of crashing the test.
struct PeFile {
    std::string bytes;
    std::string error;
    WORD machine = 0;
    uint32_t symbolCount = 0;
    WORD magic = 0;
    WORD subsystem = 0;
    WORD dllCharacteristics = 0;
    std::vector<IMAGE_DATA_DIRECTORY> directories;
    std::vector<Section> sections;

    uint32_t Read(size_t offset, size_t size)
    {
        if (!error.empty()) return 0;
        if (offset + size > bytes.size()) {
            error = "read past the end of the file at offset " + std::to_string(offset);
            return 0;
        }
        uint32_t v = 0;
        std::memcpy(&v, bytes.data() + offset, size);
        return v;
    }
    uint16_t U16(size_t offset) { return static_cast<uint16_t>(Read(offset, 2)); }
    uint32_t U32(size_t offset) { return Read(offset, 4); }

    // File offset of a relative virtual address, or 0 with `error` set.
    size_t OffsetOf(uint32_t rva)
    {
        for (const Section& s : sections) {
            const uint32_t size = s.virtualSize ? s.virtualSize : s.rawSize;
            if (rva >= s.virtualAddress && rva < s.virtualAddress + size &&
                rva - s.virtualAddress < s.rawSize)
                return s.rawOffset + (rva - s.virtualAddress);
        }
        if (error.empty()) error = "address " + std::to_string(rva) + " lies in no section";
        return 0;
    }

    std::wstring AsciiAt(uint32_t rva)
    {
        std::wstring s;
        size_t at = OffsetOf(rva);
        while (error.empty() && s.size() < 256) {
            const char c = static_cast<char>(Read(at++, 1));
            if (c == 0) break;
            s += static_cast<wchar_t>(static_cast<unsigned char>(c));
        }
        return s;
    }
};

PeFile ParsePe(std::string bytes)
{
    PeFile pe;
    pe.bytes = std::move(bytes);
    if (pe.U16(0) != IMAGE_DOS_SIGNATURE) {
        pe.error = "no MZ header";
        return pe;
    }
    const size_t nt = pe.U32(0x3c);
    if (pe.U32(nt) != IMAGE_NT_SIGNATURE) {
        if (pe.error.empty()) pe.error = "no PE signature";
        return pe;
    }
    const size_t coff = nt + 4;
    pe.machine = pe.U16(coff);
    const WORD sectionCount = pe.U16(coff + 2);
    pe.symbolCount = pe.U32(coff + 12);
    const WORD optionalSize = pe.U16(coff + 16);

    const size_t opt = coff + 20;
    pe.magic = pe.U16(opt);
    // Subsystem and DllCharacteristics sit at the same place in PE32 and PE32+;
    // the data directories follow the (wider) PE32+ fields further on.
    pe.subsystem = pe.U16(opt + 68);
    pe.dllCharacteristics = pe.U16(opt + 70);
    const size_t dirCountAt = pe.magic == kPe32PlusMagic ? opt + 108 : opt + 92;
    const uint32_t dirCount = pe.U32(dirCountAt);
    for (uint32_t i = 0; i < dirCount && i < 16 && pe.error.empty(); ++i)
        pe.directories.push_back({pe.U32(dirCountAt + 4 + 8 * i), pe.U32(dirCountAt + 8 + 8 * i)});

    const size_t sectionTable = opt + optionalSize;
    for (WORD i = 0; i < sectionCount && pe.error.empty(); ++i) {
        const size_t s = sectionTable + 40 * i;
        std::string name = s + 8 <= pe.bytes.size() ? pe.bytes.substr(s, 8) : std::string();
        name = name.substr(0, name.find('\0'));
        pe.sections.push_back(
            {name, pe.U32(s + 12), pe.U32(s + 8), pe.U32(s + 20), pe.U32(s + 16)});
    }
    return pe;
}

// Names of the DLLs a descriptor table lists: ordinary imports (20-byte
// descriptors, name at +12) or delay-load imports (32 bytes, name at +4).
std::vector<std::wstring> ImportedDlls(PeFile& pe, size_t directory, size_t entrySize,
                                       size_t nameAt)
{
    std::vector<std::wstring> names;
    if (pe.directories.size() <= directory || pe.directories[directory].VirtualAddress == 0)
        return names;
    size_t at = pe.OffsetOf(pe.directories[directory].VirtualAddress);
    for (int guard = 0; pe.error.empty() && guard < 64; ++guard, at += entrySize) {
        const uint32_t nameRva = pe.U32(at + nameAt);
        if (nameRva == 0) break;
        names.push_back(pe.AsciiAt(nameRva));
    }
    return names;
}

class ReleaseExeTest : public ::testing::TestWithParam<ReleaseExe> {
protected:
    void SetUp() override
    {
        const ReleaseExe& exe = GetParam();
        ASSERT_STRNE(exe.unixPath, "") << "configure the tests with -DZENTROBE_RELEASE_EXE_X64=... "
                                          "and -DZENTROBE_RELEASE_EXE_X86=... "
                                          "(scripts/lib.sh's build_everything does)";
        path = WinePath(exe.unixPath);
        ASSERT_TRUE(FileExists(path))
            << "the " << exe.name << " release exe is missing: " << exe.unixPath
            << " (build it: configure_and_build <root> build/"
            << (exe.machine == IMAGE_FILE_MACHINE_AMD64 ? "x86_64 x86_64" : "i686 i686")
            << " win32)";
        pe = ParsePe(ReadFileBytes(path));
        ASSERT_EQ(pe.error, "") << exe.unixPath;
    }

    std::wstring path;
    PeFile pe;
};

TEST_P(ReleaseExeTest, HeadersAreThoseOfAStrippedGuiExeWithMitigations)
{
    const ReleaseExe& exe = GetParam();
    EXPECT_EQ(pe.machine, exe.machine);
    EXPECT_EQ(pe.magic, exe.magic);
    EXPECT_EQ(pe.subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);
    EXPECT_TRUE(pe.dllCharacteristics & IMAGE_DLLCHARACTERISTICS_DYNAMIC_BASE);
    EXPECT_TRUE(pe.dllCharacteristics & IMAGE_DLLCHARACTERISTICS_NX_COMPAT);
    if (exe.highEntropy) {
        EXPECT_TRUE(pe.dllCharacteristics & IMAGE_DLLCHARACTERISTICS_HIGH_ENTROPY_VA);
    }
    // Stripped: no COFF symbols and no debug sections. (strip may leave the
    // symbol-table pointer aimed at an empty string table, so not that.)
    EXPECT_EQ(pe.symbolCount, 0u);
    for (const Section& s : pe.sections) EXPECT_NE(s.name.rfind(".debug", 0), 0u) << s.name;
}

TEST_P(ReleaseExeTest, ImportsOnlySystemDlls)
{
    std::vector<std::wstring> dlls = ImportedDlls(pe, IMAGE_DIRECTORY_ENTRY_IMPORT, 20, 12);
    const size_t directCount = dlls.size();
    for (const std::wstring& name : ImportedDlls(pe, IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT, 32, 4))
        dlls.push_back(name);
    ASSERT_EQ(pe.error, "");
    EXPECT_GE(directCount, 1u);
    for (const std::wstring& name : dlls) {
        bool allowed = false;
        for (const wchar_t* ok : kAllowedDlls) allowed = allowed || Upper(name) == ok;
        EXPECT_TRUE(allowed) << "imports " << Narrow(name);
    }
}

TEST_P(ReleaseExeTest, HasVersionOneAndTheManifest)
{
    HMODULE module = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr) << "LoadLibraryExW failed: " << GetLastError();

    EXPECT_NE(FindResourceExW(module, RT_MANIFEST, MAKEINTRESOURCEW(1), kJapanese), nullptr)
        << "no manifest 1";

    HRSRC info = FindResourceExW(module, RT_VERSION, MAKEINTRESOURCEW(VS_VERSION_INFO), kJapanese);
    EXPECT_NE(info, nullptr) << "no version record";
    if (info) {
        const auto* data = static_cast<const uint8_t*>(LockResource(LoadResource(module, info)));
        const DWORD size = SizeofResource(module, info);
        // The fixed part follows the root block's header and key, at a 4-byte
        // boundary; find it by its signature rather than re-walk the header.
        VS_FIXEDFILEINFO fixed{};
        bool found = false;
        for (DWORD at = 0; data && at + sizeof fixed <= size && !found; at += 4) {
            DWORD signature;
            std::memcpy(&signature, data + at, 4);
            if (signature == kFixedInfoSignature) {
                std::memcpy(&fixed, data + at, sizeof fixed);
                found = true;
            }
        }
        EXPECT_TRUE(found) << "no fixed file info in the version record";
        if (found) {
            EXPECT_EQ(fixed.dwFileVersionMS, MAKELONG(0, 1));
            EXPECT_EQ(fixed.dwFileVersionLS, 0u);
            EXPECT_EQ(fixed.dwProductVersionMS, MAKELONG(0, 1));
            EXPECT_EQ(fixed.dwProductVersionLS, 0u);
        }
    }
    FreeLibrary(module);
}

INSTANTIATE_TEST_SUITE_P(Shipped, ReleaseExeTest, ::testing::ValuesIn(kReleaseExes),
                         [](const ::testing::TestParamInfo<ReleaseExe>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
