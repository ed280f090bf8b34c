// Checks the resources linked into the shipped executable: strings, dialog templates, icon,
// manifest and version record, each looked up by id in Japanese (1041).
// The executable is opened as a data file, so nothing of it runs.
// Ids are written here as the numbers they must be, not taken from
// res/resource.h, so a changed id in that header fails this test.
#include <windows.h>
#include <commctrl.h>

#include "support/test_support.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <cwctype>
#include <iterator>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;

struct Blob {
    const uint8_t* data = nullptr;
    size_t size = 0;
};

HMODULE g_exe = nullptr;
DWORD g_loadError = 0;

// The resource (type, id) in Japanese, or an empty blob.
Blob FindBlob(LPCWSTR type, WORD id)
{
    HRSRC info = FindResourceExW(g_exe, type, MAKEINTRESOURCEW(id), kJapanese);
    if (!info) return {};
    HGLOBAL loaded = LoadResource(g_exe, info);
    if (!loaded) return {};
    return {static_cast<const uint8_t*>(LockResource(loaded)), SizeofResource(g_exe, info)};
}

std::wstring Upper(std::wstring s)
{
    for (auto& c : s) c = static_cast<wchar_t>(std::towupper(c));
    return s;
}

// A bounds-checked little-endian reader over a resource. Reading past the
// end sets `overrun` and yields zeros, so a truncated resource fails the
// test instead of crashing it.
struct Reader {
    Blob blob;
    size_t pos = 0;
    bool overrun = false;

    bool Has(size_t n)
    {
        if (pos + n > blob.size) overrun = true;
        return !overrun;
    }
    uint8_t U8() { return Has(1) ? blob.data[pos++] : 0; }
    uint16_t U16()
    {
        if (!Has(2)) return 0;
        uint16_t v;
        std::memcpy(&v, blob.data + pos, 2);
        pos += 2;
        return v;
    }
    uint32_t U32()
    {
        uint32_t lo = U16();
        return lo | (static_cast<uint32_t>(U16()) << 16);
    }
    int16_t S16() { return static_cast<int16_t>(U16()); }
    std::wstring Sz()
    {
        std::wstring s;
        while (!overrun) {
            wchar_t c = static_cast<wchar_t>(U16());
            if (c == 0) break;
            s += c;
        }
        return s;
    }
    // sz_Or_Ord: empty, an ordinal (shown as "#n", or the predefined class
    // it stands for) or a string.
    std::wstring SzOrOrd(bool isClass)
    {
        uint16_t first = U16();
        if (first == 0) return L"";
        if (first == 0xffff) {
            uint16_t ord = U16();
            static const std::map<uint16_t, std::wstring> kClasses = {
                {0x80, L"Button"},  {0x81, L"Edit"},      {0x82, L"Static"},
                {0x83, L"ListBox"}, {0x84, L"ScrollBar"}, {0x85, L"ComboBox"}};
            auto it = kClasses.find(ord);
            if (isClass && it != kClasses.end()) return it->second;
            return L"#" + std::to_wstring(ord);
        }
        pos -= 2;
        return Sz();
    }
    void Align4() { pos = (pos + 3) & ~size_t{3}; }
};

class ResourcesTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        g_exe = LoadLibraryExW(ShippedExe().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        if (!g_exe) g_loadError = GetLastError();
    }
    static void TearDownTestSuite()
    {
        if (g_exe) FreeLibrary(g_exe);
        g_exe = nullptr;
    }
    void SetUp() override
    {
        ASSERT_NE(g_exe, nullptr) << "cannot open the shipped Zentrobe.exe (load error "
                                  << g_loadError << ")";
    }
};

// ---------------------------------------------------------------------------
// Languages: every resource is Japanese, and there is one icon group only
// (the first group is the executable's icon).

struct ResourceEntry {
    std::wstring type, name;
    WORD lang;
};

std::wstring IdText(LPCWSTR id)
{
    return IS_INTRESOURCE(id) ? L"#" + std::to_wstring(reinterpret_cast<uintptr_t>(id))
                              : std::wstring(id);
}

BOOL CALLBACK OnLanguage(HMODULE, LPCWSTR type, LPCWSTR name, WORD lang, LONG_PTR param)
{
    reinterpret_cast<std::vector<ResourceEntry>*>(param)->push_back(
        {IdText(type), IdText(name), lang});
    return TRUE;
}

BOOL CALLBACK OnName(HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR param)
{
    EnumResourceLanguagesW(module, type, name, OnLanguage, param);
    return TRUE;
}

BOOL CALLBACK OnType(HMODULE module, LPWSTR type, LONG_PTR param)
{
    EnumResourceNamesW(module, type, OnName, param);
    return TRUE;
}

TEST_F(ResourcesTest, EveryResourceIsJapaneseAndThereIsOneIconGroup)
{
    std::vector<ResourceEntry> all;
    EnumResourceTypesW(g_exe, OnType, reinterpret_cast<LONG_PTR>(&all));
    ASSERT_FALSE(all.empty());
    int iconGroups = 0;
    const std::wstring groupType = IdText(RT_GROUP_ICON);
    for (const auto& r : all) {
        EXPECT_EQ(r.lang, kJapanese) << "type " << r.type << " name " << r.name;
        if (r.type == groupType) ++iconGroups;
    }
    EXPECT_EQ(iconGroups, 1);
}

// ---------------------------------------------------------------------------
// Strings, read from the string-table blocks directly: LoadStringW would pick
// the thread's language rather than Japanese.

bool LoadJapaneseString(UINT id, std::wstring* out)
{
    Blob block = FindBlob(RT_STRING, static_cast<WORD>(id / 16 + 1));
    if (!block.data) return false;
    Reader r{block};
    for (UINT i = 0; i < 16; ++i) {
        uint16_t length = r.U16();
        if (r.overrun || !r.Has(length * 2u)) return false;
        if (i == id % 16) {
            out->assign(reinterpret_cast<const wchar_t*>(block.data + r.pos), length);
            return true;
        }
        r.pos += length * 2u;
    }
    return false;
}

TEST_F(ResourcesTest, StringTableHoldsTheTexts)
{
    const struct {
        UINT id;
        const wchar_t* text;
    } kStrings[] = {
        {105, L"地上放送向けフリーオ用の実行ファイルを選択"},
        {106, L"衛星放送向けフリーオ用の実行ファイルを選択"},
        {107, L"起動"},
        {108, L"衛星"},
        {109, L"地上"},
        {110, L"不明"},
        {111, L"ID"},
        {112, L"タイプ"},
        {113, L"デバイス"},
        {114, L"Zentrobe"},
        {115, L"状態"},
    };
    for (const auto& s : kStrings) {
        std::wstring text;
        EXPECT_TRUE(LoadJapaneseString(s.id, &text)) << "string " << s.id;
        EXPECT_EQ(text, s.text) << "string " << s.id;
    }
}

// ---------------------------------------------------------------------------
// Dialog templates (DLGTEMPLATEEX and DLGITEMTEMPLATEEX).

struct Item {
    DWORD id;
    std::wstring cls;
    std::wstring text;
    DWORD style;
    int x, y, cx, cy;
};

struct Dialog {
    DWORD style = 0, exStyle = 0;
    int x = 0, y = 0, cx = 0, cy = 0;
    std::wstring menu, cls, caption, font;
    int pointSize = 0, weight = 0, italic = 0, charset = 0;
    std::vector<Item> items;
};

// Parses a DIALOGEX template; fails the test on anything malformed.
void ParseDialog(Blob blob, Dialog* d)
{
    Reader r{blob};
    EXPECT_EQ(r.U16(), 1) << "dlgVer";
    ASSERT_EQ(r.U16(), 0xffff) << "not a DIALOGEX template";
    EXPECT_EQ(r.U32(), 0u) << "helpID";
    d->exStyle = r.U32();
    d->style = r.U32();
    int count = r.U16();
    d->x = r.S16();
    d->y = r.S16();
    d->cx = r.S16();
    d->cy = r.S16();
    d->menu = r.SzOrOrd(false);
    d->cls = r.SzOrOrd(false);
    d->caption = r.Sz();
    if (d->style & DS_SETFONT) {
        d->pointSize = r.U16();
        d->weight = r.U16();
        d->italic = r.U8();
        d->charset = r.U8();
        d->font = r.Sz();
    }
    for (int i = 0; i < count; ++i) {
        r.Align4();
        Item item;
        EXPECT_EQ(r.U32(), 0u) << "item " << i << " helpID";
        EXPECT_EQ(r.U32(), 0u) << "item " << i << " exStyle";
        item.style = r.U32();
        item.x = r.S16();
        item.y = r.S16();
        item.cx = r.S16();
        item.cy = r.S16();
        item.id = r.U32();
        item.cls = r.SzOrOrd(true);
        item.text = r.SzOrOrd(false);
        uint16_t extra = r.U16();
        EXPECT_EQ(extra, 0) << "item " << i << " creation data";
        r.pos += extra;
        d->items.push_back(item);
    }
    ASSERT_FALSE(r.overrun) << "template is truncated";
}

void ExpectDialog(WORD id, const Dialog& want)
{
    SCOPED_TRACE("dialog " + std::to_string(id));
    Blob blob = FindBlob(RT_DIALOG, id);
    ASSERT_NE(blob.data, nullptr);
    Dialog got;
    ParseDialog(blob, &got);
    if (::testing::Test::HasFatalFailure()) return;

    EXPECT_EQ(got.style, want.style);
    EXPECT_EQ(got.exStyle, want.exStyle);
    EXPECT_EQ(got.x, want.x);
    EXPECT_EQ(got.y, want.y);
    EXPECT_EQ(got.cx, want.cx);
    EXPECT_EQ(got.cy, want.cy);
    EXPECT_EQ(got.menu, L"");
    EXPECT_EQ(got.cls, L"");
    EXPECT_EQ(got.caption, want.caption);
    EXPECT_EQ(got.font, L"MS Shell Dlg");
    EXPECT_EQ(got.pointSize, 8);
    EXPECT_EQ(got.weight, 400);
    EXPECT_EQ(got.italic, 0);
    EXPECT_EQ(got.charset, 1);

    // Template order is tab order, so the items must come in this order.
    ASSERT_EQ(got.items.size(), want.items.size());
    for (size_t i = 0; i < want.items.size(); ++i) {
        const Item& g = got.items[i];
        const Item& w = want.items[i];
        SCOPED_TRACE("item " + std::to_string(i + 1));
        EXPECT_EQ(static_cast<int>(g.id), static_cast<int>(w.id));
        EXPECT_EQ(Upper(g.cls), Upper(w.cls));  // class names ignore case
        EXPECT_EQ(g.text, w.text);
        EXPECT_EQ(g.style, w.style) << std::hex << "got 0x" << g.style << ", want 0x" << w.style;
        EXPECT_EQ(g.x, w.x);
        EXPECT_EQ(g.y, w.y);
        EXPECT_EQ(g.cx, w.cx);
        EXPECT_EQ(g.cy, w.cy);
    }
}

constexpr DWORD kStaticId = static_cast<DWORD>(-1);

TEST_F(ResourcesTest, MainDialogTemplate)
{
    Dialog want;
    want.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_CENTER | DS_SETFONT | DS_FIXEDSYS;
    want.exStyle = WS_EX_APPWINDOW;
    want.cx = 276;
    want.cy = 150;
    want.caption = L"Zentrobe";
    const DWORD list = LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_ALIGNLEFT |
                       LVS_NOSORTHEADER | WS_BORDER | WS_TABSTOP;
    const DWORD button = kChild | BS_PUSHBUTTON | WS_TABSTOP;  // none is the default
    want.items = {
        {1001, L"SysListView32", L"", kChild | list, 6, 18, 264, 102},
        {1002, L"Button", L"起動", button, 210, 126, 60, 18},
        {kStaticId, L"Static", L"フリーオ一覧", kChild | SS_LEFT | WS_GROUP, 6, 6, 264, 8},
        {1003, L"Button", L"設定", button, 70, 125, 60, 18},
        {1004, L"Button", L"更新", button, 7, 125, 60, 18},
    };
    ExpectDialog(101, want);
}

TEST_F(ResourcesTest, SettingsDialogTemplate)
{
    Dialog want;
    want.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_FIXEDSYS;
    want.cx = 288;
    want.cy = 193;
    want.caption = L"設定";
    const DWORD group = kChild | BS_GROUPBOX;
    const DWORD label = kChild | SS_LEFT | WS_GROUP;
    const DWORD edit = kChild | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP;
    const DWORD button = kChild | BS_PUSHBUTTON | WS_TABSTOP;
    want.items = {
        {kStaticId, L"Button", L"地上放送向けフリーオ", group, 6, 6, 276, 72},
        {kStaticId, L"Static", L"実行ファイル", label, 12, 18, 60, 8},
        {1003, L"Edit", L"", edit, 12, 28, 238, 12},
        {1005, L"Button", L"...", button, 252, 28, 24, 12},
        {kStaticId, L"Static", L"コマンド引数", label, 13, 44, 233, 8},
        {1007, L"Edit", L"", edit, 12, 54, 238, 12},
        {kStaticId, L"Button", L"衛星放送向けフリーオ", group, 6, 84, 276, 72},
        {kStaticId, L"Static", L"実行ファイル", label, 12, 96, 60, 8},
        {1004, L"Edit", L"", edit, 12, 107, 237, 12},
        {1006, L"Button", L"...", button, 252, 107, 24, 12},
        {kStaticId, L"Static", L"コマンド引数", label, 13, 124, 233, 8},
        {1008, L"Edit", L"", edit, 12, 134, 238, 12},
        {IDCANCEL, L"Button", L"キャンセル", button, 170, 174, 54, 14},
        {IDOK, L"Button", L"OK", kChild | BS_DEFPUSHBUTTON | WS_TABSTOP, 228, 174, 54, 14},
        {kStaticId, L"Static", L"※コマンド引数には\"-o\"オプションを含めないようにしてください。",
         label, 6, 161, 276, 8},
    };
    ExpectDialog(103, want);
}

// ---------------------------------------------------------------------------
// Icon: four 32-bit images, largest first, each an uncompressed DIB with its
// AND mask (not PNG), on a transparent background.

#pragma pack(push, 2)
struct GroupEntry {
    BYTE width, height, colorCount, reserved;
    WORD planes, bitCount;
    DWORD bytesInRes;
    WORD id;
};
#pragma pack(pop)
static_assert(sizeof(GroupEntry) == 14, "GRPICONDIRENTRY is 14 bytes");

TEST_F(ResourcesTest, IconGroupHasFourUncompressed32BitImages)
{
    Blob group = FindBlob(RT_GROUP_ICON, 104);
    ASSERT_NE(group.data, nullptr);
    Reader r{group};
    EXPECT_EQ(r.U16(), 0);
    EXPECT_EQ(r.U16(), 1) << "icon, not cursor";
    const int kSizes[] = {48, 32, 24, 16};
    ASSERT_EQ(r.U16(), 4);
    ASSERT_GE(group.size, 6 + 4 * sizeof(GroupEntry));

    for (int i = 0; i < 4; ++i) {
        const int size = kSizes[i];
        SCOPED_TRACE("image " + std::to_string(i) + " (" + std::to_string(size) + " px)");
        GroupEntry e;
        std::memcpy(&e, group.data + 6 + i * sizeof(GroupEntry), sizeof e);
        EXPECT_EQ(e.width, size);
        EXPECT_EQ(e.height, size);
        EXPECT_EQ(e.colorCount, 0);
        EXPECT_EQ(e.planes, 1);
        EXPECT_EQ(e.bitCount, 32);

        Blob image = FindBlob(RT_ICON, e.id);
        ASSERT_NE(image.data, nullptr) << "RT_ICON " << e.id;
        EXPECT_EQ(image.size, e.bytesInRes);
        ASSERT_GE(image.size, 8u);
        EXPECT_NE(std::memcmp(image.data, "\x89PNG", 4), 0) << "PNG-compressed";

        BITMAPINFOHEADER h;
        ASSERT_GE(image.size, sizeof h);
        std::memcpy(&h, image.data, sizeof h);
        EXPECT_EQ(h.biSize, sizeof h);
        EXPECT_EQ(h.biWidth, size);
        EXPECT_EQ(h.biHeight, 2 * size) << "colour bitmap plus AND mask";
        EXPECT_EQ(h.biPlanes, 1);
        EXPECT_EQ(h.biBitCount, 32);
        EXPECT_EQ(h.biCompression, static_cast<DWORD>(BI_RGB));
        const size_t pixels = static_cast<size_t>(size) * size * 4;
        const size_t maskStride = (size + 31) / 32 * 4;
        ASSERT_EQ(image.size, sizeof h + pixels + maskStride * size);

        // Rows are bottom-up. The corners are transparent in both the alpha
        // channel and the mask; the picture itself has opaque pixels and
        // soft (partly transparent) edges.
        const uint8_t* bgra = image.data + sizeof h;
        const uint8_t* mask = bgra + pixels;
        int opaque = 0, partial = 0;
        for (size_t p = 0; p < pixels; p += 4) {
            opaque += bgra[p + 3] == 255;
            partial += bgra[p + 3] > 0 && bgra[p + 3] < 255;
        }
        EXPECT_GT(opaque, size * size / 8);
        EXPECT_GT(partial, 0) << "no alpha channel in use";
        EXPECT_EQ(bgra[3], 0) << "bottom-left corner";
        EXPECT_EQ(bgra[pixels - 1], 0) << "top-right corner";
        EXPECT_TRUE(mask[0] & 0x80) << "mask of the bottom-left corner";
    }
}

// ---------------------------------------------------------------------------
// Manifest: the elements, their attributes and their order.

struct Element {
    std::string name;
    std::map<std::string, std::string> attributes;
};

// Start tags of a small, well-formed XML document, in document order.
// Declarations, comments and end tags are skipped.
std::vector<Element> StartTags(const std::string& xml)
{
    std::vector<Element> tags;
    size_t pos = 0;
    while ((pos = xml.find('<', pos)) != std::string::npos) {
        size_t end = xml.find('>', pos);
        if (end == std::string::npos) break;
        std::string tag = xml.substr(pos + 1, end - pos - 1);
        pos = end + 1;
        if (tag.empty() || tag[0] == '?' || tag[0] == '!' || tag[0] == '/') continue;
        if (tag.back() == '/') tag.pop_back();
        Element e;
        size_t i = tag.find_first_of(" \t\r\n");
        e.name = tag.substr(0, i);
        while (i != std::string::npos && i < tag.size()) {
            size_t nameStart = tag.find_first_not_of(" \t\r\n", i);
            if (nameStart == std::string::npos) break;
            size_t eq = tag.find('=', nameStart);
            size_t open = tag.find('"', eq);
            size_t close = tag.find('"', open + 1);
            if (eq == std::string::npos || open == std::string::npos || close == std::string::npos)
                break;
            std::string attr = tag.substr(nameStart, eq - nameStart);
            while (!attr.empty() && (attr.back() == ' ' || attr.back() == '\t')) attr.pop_back();
            e.attributes[attr] = tag.substr(open + 1, close - open - 1);
            i = close + 1;
        }
        tags.push_back(e);
    }
    return tags;
}

TEST_F(ResourcesTest, ManifestElementsInOrder)
{
    Blob blob = FindBlob(RT_MANIFEST, 1);
    ASSERT_NE(blob.data, nullptr);
    std::string xml(reinterpret_cast<const char*>(blob.data), blob.size);
    if (xml.compare(0, 3, "\xEF\xBB\xBF") == 0) xml.erase(0, 3);
    EXPECT_EQ(xml.compare(0, 5, "<?xml"), 0);
    EXPECT_NE(xml.find("encoding=\"UTF-8\""), std::string::npos);

    using Attrs = std::map<std::string, std::string>;
    const std::vector<Element> kExpected = {
        {"assembly",
         Attrs{{"xmlns", "urn:schemas-microsoft-com:asm.v1"}, {"manifestVersion", "1.0"}}},
        {"noInherit", Attrs{}},
        {"assemblyIdentity", Attrs{{"type", "win32"},
                                   {"name", "Zentrobe"},
                                   {"version", "1.0.0.0"},
                                   {"processorArchitecture", "*"}}},
        {"description", Attrs{}},
        {"trustInfo", Attrs{{"xmlns", "urn:schemas-microsoft-com:asm.v3"}}},
        {"security", Attrs{}},
        {"requestedPrivileges", Attrs{}},
        {"requestedExecutionLevel", Attrs{{"level", "asInvoker"}, {"uiAccess", "false"}}},
        {"dependency", Attrs{{"optional", "yes"}}},
        {"dependentAssembly", Attrs{}},
        {"assemblyIdentity", Attrs{{"type", "win32"},
                                   {"name", "Microsoft.Windows.Common-Controls"},
                                   {"version", "6.0.1.0"},
                                   {"processorArchitecture", "*"},
                                   {"language", "*"},
                                   {"publicKeyToken", "6595b64144ccf1df"}}},
    };
    std::vector<Element> got = StartTags(xml);
    ASSERT_EQ(got.size(), kExpected.size());
    for (size_t i = 0; i < kExpected.size(); ++i) {
        SCOPED_TRACE("element " + std::to_string(i) + " <" + kExpected[i].name + ">");
        EXPECT_EQ(got[i].name, kExpected[i].name);
        EXPECT_EQ(got[i].attributes, kExpected[i].attributes);
    }
    EXPECT_NE(xml.find("<description>Zentrobe</description>"), std::string::npos);
}

// ---------------------------------------------------------------------------
// Version record: a tree of (length, value length, type, key, value, children)
// nodes, each aligned on 32 bits.

struct VersionNode {
    std::wstring key;
    int type = 0;  // 1 text, 0 binary
    std::vector<uint8_t> value;
    std::vector<VersionNode> children;

    std::wstring Text() const
    {
        std::wstring s(reinterpret_cast<const wchar_t*>(value.data()), value.size() / 2);
        while (!s.empty() && s.back() == L'\0') s.pop_back();
        return s;
    }
};

bool ParseVersionNode(Reader& r, VersionNode* node)
{
    size_t start = r.pos;
    uint16_t length = r.U16();
    uint16_t valueLength = r.U16();
    node->type = r.U16();
    node->key = r.Sz();
    r.Align4();
    size_t end = start + length;
    if (r.overrun || length < 6 || end > r.blob.size) return false;
    // Text values count WCHARs, binary ones bytes.
    size_t valueBytes = node->type == 1 ? valueLength * 2u : valueLength;
    if (valueBytes > end - r.pos) return false;
    node->value.assign(r.blob.data + r.pos, r.blob.data + r.pos + valueBytes);
    r.pos += valueBytes;
    r.Align4();
    while (r.pos < end) {
        VersionNode child;
        if (!ParseVersionNode(r, &child)) return false;
        node->children.push_back(child);
        r.Align4();
    }
    r.pos = end;
    return true;
}

TEST_F(ResourcesTest, VersionRecord)
{
    Blob blob = FindBlob(RT_VERSION, 1);
    ASSERT_NE(blob.data, nullptr);
    Reader r{blob};
    VersionNode root;
    ASSERT_TRUE(ParseVersionNode(r, &root));
    EXPECT_EQ(root.key, L"VS_VERSION_INFO");

    VS_FIXEDFILEINFO fixed;
    ASSERT_EQ(root.value.size(), sizeof fixed);
    std::memcpy(&fixed, root.value.data(), sizeof fixed);
    EXPECT_EQ(fixed.dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed.dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed.dwFileVersionLS, 0u);
    EXPECT_EQ(fixed.dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed.dwProductVersionLS, 0u);
    EXPECT_EQ(fixed.dwFileOS, static_cast<DWORD>(VOS__WINDOWS32));
    EXPECT_EQ(fixed.dwFileType, static_cast<DWORD>(VFT_APP));

    const VersionNode* strings = nullptr;
    const VersionNode* vars = nullptr;
    for (const auto& child : root.children) {
        if (child.key == L"StringFileInfo") {
            EXPECT_EQ(strings, nullptr) << "two StringFileInfo blocks";
            strings = &child;
        } else if (child.key == L"VarFileInfo") {
            vars = &child;
        }
    }
    ASSERT_NE(strings, nullptr);
    ASSERT_EQ(strings->children.size(), 1u) << "one language block only";
    const VersionNode& table = strings->children[0];
    EXPECT_EQ(Upper(table.key), L"041104B0");

    std::map<std::wstring, std::wstring> values;
    for (const auto& s : table.children) values[s.key] = s.Text();
    const std::pair<const wchar_t*, const wchar_t*> kValues[] = {
        {L"FileDescription", L"Zentrobe"},  {L"ProductName", L"Zentrobe"},
        {L"OriginalFilename", L"Zentrobe"}, {L"FileVersion", L"1, 0, 0, 0"},
        {L"ProductVersion", L"1, 0, 0, 0"},
    };
    for (const auto& v : kValues) {
        ASSERT_EQ(values.count(v.first), 1u) << v.first;
        EXPECT_EQ(values[v.first], v.second) << v.first;
    }

    ASSERT_NE(vars, nullptr);
    ASSERT_EQ(vars->children.size(), 1u);
    const VersionNode& translation = vars->children[0];
    EXPECT_EQ(translation.key, L"Translation");
    const uint8_t kJapaneseUnicode[] = {0x11, 0x04, 0xB0, 0x04};  // 0x411, 1200
    EXPECT_EQ(translation.value,
              std::vector<uint8_t>(std::begin(kJapaneseUnicode), std::end(kJapaneseUnicode)));
}

}  // namespace
