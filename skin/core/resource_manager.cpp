// skin/core/resource_manager.cpp
#include "skin/core/resource_manager.h"

#include "winlib/app.h"

namespace {

// RT_* as ANSI resource types.
const LPCSTR kStrings = MAKEINTRESOURCEA(6);
const LPCSTR kMenus = MAKEINTRESOURCEA(4);
const LPCSTR kBitmaps = MAKEINTRESOURCEA(2);
const LPCSTR kCursors = MAKEINTRESOURCEA(1);
const LPCSTR kDialogs = MAKEINTRESOURCEA(5);
const LPCSTR kIcons = MAKEINTRESOURCEA(3);
const LPCSTR kIconGroups = MAKEINTRESOURCEA(14);
const LPCSTR kHtml = MAKEINTRESOURCEA(23);

// The bytes of a found resource, or NULL.
const void* ResourceBytes(HMODULE module, HRSRC resource, DWORD* size) {
    *size = ::SizeofResource(module, resource);
    HGLOBAL loaded = ::LoadResource(module, resource);
    return loaded != nullptr ? ::LockResource(loaded) : nullptr;
}

// An icon group directory: 6 bytes of header (reserved, type 1, count),
// then 14 bytes per entry.
bool IconDirectoryIsWhole(const void* bytes, DWORD size) {
    if (bytes == nullptr || size < 6)
        return false;
    const auto* b = static_cast<const uint8_t*>(bytes);
    const size_t count = b[4] | static_cast<size_t>(b[5]) << 8;
    return count > 0 && size >= 6 + 14 * count;
}

struct LanguageWalk {
    HMODULE module;
    plym::ModuleLanguagePicker picker;
    bool stopped = false;
};

BOOL CALLBACK OnLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR param) {
    auto* walk = reinterpret_cast<LanguageWalk*>(param);
    if (!walk->picker.Offer(language))
        walk->stopped = true;
    return walk->stopped ? FALSE : TRUE;
}

BOOL CALLBACK OnName(HMODULE module, LPCSTR type, LPSTR name, LONG_PTR param) {
    ::EnumResourceLanguagesA(module, type, name, OnLanguage, param);
    return reinterpret_cast<LanguageWalk*>(param)->stopped ? FALSE : TRUE;
}

BOOL CALLBACK OnType(HMODULE module, LPSTR type, LONG_PTR param) {
    ::EnumResourceNamesA(module, type, OnName, param);
    return reinterpret_cast<LanguageWalk*>(param)->stopped ? FALSE : TRUE;
}

}  // namespace

CPlymResourceManager::CPlymResourceManager() : m_language(&plym::PlymLanguageOf(plym::kEnglishUs)) {}

CPlymResourceManager::~CPlymResourceManager() {
    Close();
}

CPlymResourceManager* GetPlymResourceManager() {
    static CPlymResourceManager manager;
    return &manager;
}

void CPlymResourceManager::SetResourceModule(HMODULE module) {
    if (m_module != nullptr && m_module != module)
        ::FreeLibrary(m_module);
    m_module = module;
    UpdateLanguage();
}

void CPlymResourceManager::Close() {
    if (m_module != nullptr)
        ::FreeLibrary(m_module);
    m_module = nullptr;
}

void CPlymResourceManager::UpdateLanguage() {
    uint16_t language = 0;
    if (m_module != nullptr) {
        LanguageWalk walk{m_module, {}, false};
        ::EnumResourceTypesA(m_module, OnType, reinterpret_cast<LONG_PTR>(&walk));
        language = walk.picker.Language();
    }
    m_language = &plym::PlymLanguageOf(language);
}

HRSRC CPlymResourceManager::FindIn(HMODULE* module, LPCSTR name, LPCSTR type) const {
    if (m_module != nullptr) {
        if (HRSRC found = ::FindResourceA(m_module, name, type)) {
            *module = m_module;
            return found;
        }
    }
    HMODULE application = AfxGetResourceHandle();
    if (HRSRC found = ::FindResourceA(application, name, type)) {
        *module = application;
        return found;
    }
    return nullptr;
}

int CPlymResourceManager::LoadString(CString& text, UINT id, BOOL* missing) {
    text.Empty();
    if (missing != nullptr)
        *missing = TRUE;
    const LPCSTR block = MAKEINTRESOURCEA(plym::StringBlockOf(id));
    for (HMODULE module : {m_module, static_cast<HMODULE>(AfxGetResourceHandle())}) {
        if (module == nullptr)
            continue;
        HRSRC resource = ::FindResourceA(module, block, kStrings);
        if (resource == nullptr)
            continue;
        DWORD size = 0;
        const void* bytes = ResourceBytes(module, resource, &size);
        std::u16string wide;
        if (bytes == nullptr || !plym::FindStringInBlock(bytes, size, id, wide))
            continue;
        const auto* w = reinterpret_cast<const wchar_t*>(wide.data());
        const int length = static_cast<int>(wide.size());
        const UINT page = m_language->codePage;
        const int bytesNeeded = ::WideCharToMultiByte(page, 0, w, length, nullptr, 0, nullptr, nullptr);
        if (bytesNeeded <= 0)
            continue;
        std::string ansi(static_cast<size_t>(bytesNeeded), '\0');
        ::WideCharToMultiByte(page, 0, w, length, ansi.data(), bytesNeeded, nullptr, nullptr);
        text = CString(std::move(ansi));
        if (missing != nullptr)
            *missing = FALSE;
        return text.GetLength();
    }
    return 0;
}

int CPlymResourceManager::LoadString(CString& text, UINT id) {
    return LoadString(text, id, nullptr);
}

HMENU CPlymResourceManager::LoadMenu(UINT id) {
    HMODULE module = nullptr;
    if (FindIn(&module, MAKEINTRESOURCEA(id), kMenus) == nullptr)
        return nullptr;
    return ::LoadMenuA(module, MAKEINTRESOURCEA(id));
}

BOOL CPlymResourceManager::LoadWithFrameworkResources(const std::function<BOOL()>& loader) {
    CPlymResourceHandleSwitch use(m_module);
    return loader && loader() ? TRUE : FALSE;
}

HBITMAP CPlymResourceManager::LoadBitmap(UINT id) {
    HMODULE module = nullptr;
    if (FindIn(&module, MAKEINTRESOURCEA(id), kBitmaps) == nullptr)
        return nullptr;
    return ::LoadBitmapA(module, MAKEINTRESOURCEA(id));
}

HCURSOR CPlymResourceManager::LoadCursor(UINT id) {
    // A cursor resource is a cursor group holding RT_CURSOR entries; the
    // framework module answers when it holds the group.
    HMODULE module = m_module;
    if (module == nullptr || ::FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(12)) == nullptr)
        module = AfxGetResourceHandle();
    return ::LoadCursorA(module, MAKEINTRESOURCEA(id));
}

HGLOBAL CPlymResourceManager::LoadDialogTemplate(LPCSTR name, HMODULE* holder) {
    HMODULE module = nullptr;
    HRSRC resource = FindIn(&module, name, kDialogs);
    if (resource == nullptr)
        return nullptr;
    if (holder != nullptr)
        *holder = module;
    return ::LoadResource(module, resource);
}

const void* CPlymResourceManager::LockDialogTemplate(UINT id, DWORD* size) {
    HMODULE module = nullptr;
    HGLOBAL loaded = LoadDialogTemplate(MAKEINTRESOURCEA(id), &module);
    if (loaded == nullptr)
        return nullptr;
    if (size != nullptr)
        *size = ::SizeofResource(module, ::FindResourceA(module, MAKEINTRESOURCEA(id), kDialogs));
    return ::LockResource(loaded);
}

BOOL CPlymResourceManager::LoadHtml(LPCSTR name, const void** bytes, DWORD* size) {
    HMODULE module = nullptr;
    HRSRC resource = FindIn(&module, name, kHtml);
    if (resource == nullptr)
        return FALSE;
    DWORD length = 0;
    const void* data = ResourceBytes(module, resource, &length);
    if (data == nullptr || length == 0)
        return FALSE;
    if (bytes != nullptr)
        *bytes = data;
    if (size != nullptr)
        *size = length;
    return TRUE;
}

HICON CPlymResourceManager::LoadIcon(LPCSTR name) {
    return LoadImage(name, 0, 0);
}

HICON CPlymResourceManager::LoadImage(LPCSTR name, int cx, int cy) {
    HMODULE module = m_module;
    if (module == nullptr || ::FindResourceA(module, name, kIconGroups) == nullptr)
        module = AfxGetResourceHandle();
    return static_cast<HICON>(::LoadImageA(module, name, IMAGE_ICON, cx, cy, 0));
}

HICON CPlymResourceManager::LoadIconBySize(HMODULE module, LPCSTR name, int cx, int cy) {
    HRSRC group = ::FindResourceA(module, name, kIconGroups);
    if (group == nullptr)
        return nullptr;
    DWORD size = 0;
    const void* directory = ResourceBytes(module, group, &size);
    if (!IconDirectoryIsWhole(directory, size))
        return nullptr;
    const int id = ::LookupIconIdFromDirectoryEx(static_cast<PBYTE>(const_cast<void*>(directory)), TRUE, cx,
                                                 cy, LR_DEFAULTCOLOR);
    if (id <= 0)
        return nullptr;
    HRSRC entry = ::FindResourceA(module, MAKEINTRESOURCEA(id), kIcons);
    if (entry == nullptr)
        return nullptr;
    const void* bits = ResourceBytes(module, entry, &size);
    if (bits == nullptr || size == 0)
        return nullptr;
    return ::CreateIconFromResourceEx(static_cast<PBYTE>(const_cast<void*>(bits)), size, TRUE, 0x30000, cx,
                                      cy, LR_DEFAULTCOLOR);
}

std::wstring CPlymResourceManager::AnsiToWide(const char* text) const {
    if (text == nullptr || *text == '\0')
        return {};
    const UINT page = m_language->codePage;
    const int count = ::MultiByteToWideChar(page, 0, text, -1, nullptr, 0);
    if (count <= 1)
        return {};
    std::wstring wide(static_cast<size_t>(count), L'\0');
    ::MultiByteToWideChar(page, 0, text, -1, wide.data(), count);
    wide.resize(static_cast<size_t>(count) - 1);
    return wide;
}

CPlymResourceHandleSwitch::CPlymResourceHandleSwitch(HMODULE frameworkModule) {
    if (frameworkModule == nullptr)
        return;
    m_previous = AfxGetResourceHandle();
    AfxSetResourceHandle(frameworkModule);
    m_switched = true;
}

CPlymResourceHandleSwitch::~CPlymResourceHandleSwitch() {
    if (m_switched)
        AfxSetResourceHandle(m_previous);
}
