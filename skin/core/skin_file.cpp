// skin/core/skin_file.cpp
#include "skin/core/skin_file.h"

#include "skin/core/draw_helpers.h"
#include "skin/core/image_manager.h"
#include "skin/core/skin_manager.h"
#include "skin/core/skin_schema.h"

namespace {

bool IsFile(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// The whole of a (small) text file, or false.
bool ReadWholeFile(const std::string& path, std::string* text) {
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER size{};
    bool ok = ::GetFileSizeEx(file, &size) && size.QuadPart >= 0 && size.QuadPart < (1 << 30);
    if (ok) {
        text->resize(static_cast<size_t>(size.QuadPart));
        DWORD read = 0;
        ok = text->empty() ||
             (::ReadFile(file, text->data(), static_cast<DWORD>(text->size()), &read, nullptr) &&
              read == text->size());
    }
    ::CloseHandle(file);
    return ok;
}

// The bytes of a module's TEXTFILE resource, or NULL.
const void* TextResource(HMODULE module, const std::string& name, DWORD* size) {
    HRSRC found = ::FindResourceA(module, name.c_str(), "TEXTFILE");
    if (found == nullptr)
        return nullptr;
    *size = ::SizeofResource(module, found);
    HGLOBAL loaded = ::LoadResource(module, found);
    return loaded != nullptr ? ::LockResource(loaded) : nullptr;
}

}  // namespace

CPlymSkinManagerResourceFile::CPlymSkinManagerResourceFile(CPlymSkinManager* manager)
    : m_manager(manager != nullptr ? manager : GetPlymSkinManager()) {}

std::string CPlymSkinManagerResourceFile::Folder() const {
    const std::string& path = m_path.str();
    const size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

BOOL CPlymSkinManagerResourceFile::Open(const char* path, const char* iniName) {
    Close();
    m_path = path;
    m_iniName = iniName;
    if (m_path.IsEmpty())
        return FALSE;

    const std::string iniPath = Folder() + m_iniName.str();
    if (!m_iniName.IsEmpty() && IsFile(iniPath)) {
        std::string text;
        if (!ReadWholeFile(iniPath, &text))
            return FALSE;
        m_iniFile = std::make_unique<plym::AnsiLines>(std::move(text));
        return TRUE;
    }

    m_module = ::LoadLibraryA(path);
    if (m_module == nullptr)
        m_module = ::LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (m_module == nullptr)
        return FALSE;
    DWORD size = 0;
    if (m_iniName.IsEmpty()) {
        if (const void* themes = TextResource(m_module, "THEMES_INI", &size))
            m_iniName = plym::DefaultIniName(themes, size);
    }
    const void* text = TextResource(m_module, plym::ResourceNameOf(m_iniName.str()), &size);
    if (text == nullptr)
        return FALSE;
    m_text = plym::Utf16Lines(text, size);
    return TRUE;
}

BOOL CPlymSkinManagerResourceFile::ReadLine(CString& line) {
    std::string text;
    if (!ReadLine(&text))
        return FALSE;
    line = CString(std::move(text));
    return TRUE;
}

bool CPlymSkinManagerResourceFile::ReadLine(std::string* line) {
    line->clear();
    if (m_iniFile) {
        if (m_iniFile->Next(*line))
            return true;
        m_iniFile.reset();  // at the end the file is closed
        return false;
    }
    std::u16string wide;
    if (m_module == nullptr || !m_text.Next(wide))
        return false;
    if (wide.empty())
        return true;
    const auto* w = reinterpret_cast<const wchar_t*>(wide.data());
    const int length = static_cast<int>(wide.size());
    const int bytes = ::WideCharToMultiByte(CP_ACP, 0, w, length, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0)
        return true;
    line->resize(static_cast<size_t>(bytes));
    ::WideCharToMultiByte(CP_ACP, 0, w, length, line->data(), bytes, nullptr, nullptr);
    return true;
}

void CPlymSkinManagerResourceFile::Close() {
    m_iniFile.reset();
    m_text = plym::Utf16Lines();
    if (m_module != nullptr)
        ::FreeLibrary(m_module);
    m_module = nullptr;
}

CPlymSkinImage* CPlymSkinManagerResourceFile::LoadImage(const char* imagePath,
                                                        const plym::SchemaStore* schema) {
    if (imagePath == nullptr || *imagePath == '\0')
        return nullptr;
    CPlymImageManager& images = *GetPlymImageManager();
    HBITMAP bitmap = nullptr;
    BOOL alpha = FALSE;
    if (m_module != nullptr) {
        bitmap = PlymLoadResourceDibSection(m_module, plym::ResourceNameOf(imagePath).c_str(), &alpha);
    } else if (!m_path.IsEmpty()) {
        const std::string file = Folder() + imagePath;
        if (!IsFile(file))
            return nullptr;
        bitmap = images.BitmapFromFile(file.c_str(), &alpha);
    }
    if (bitmap == nullptr)
        return nullptr;
    if (alpha && (schema == nullptr || schema->Premultiply())) {
        BOOL hasAlpha = FALSE;
        HBITMAP premultiplied = images.PremultiplyBitmap(bitmap, &hasAlpha);
        if (premultiplied == nullptr) {
            ::DeleteObject(bitmap);
            return nullptr;
        }
        ::DeleteObject(bitmap);
        bitmap = premultiplied;
        alpha = hasAlpha;
    }
    return new CPlymSkinImage(bitmap, alpha, schema);
}

CPlymSkinManagerSchema* CPlymSkinManagerResourceFile::CreateSchema() {
    return new CPlymSkinManagerSchema(m_manager, this);
}
