// app/app_language.cpp
//
// Texts are read with LoadStringA, so a module's texts arrive in the ANSI code
// page of the system; the fonts' faces are code-page text as well (SimSun's
// name in code page 936).
#include "app/app_config.h"
#include "app/language_codes.h"

namespace {

BOOL CreateGuiFont(CFont& font, int height, int weight, const char* face) {
    LOGFONTA description = {};
    description.lfHeight = height;
    description.lfWeight = weight;
    description.lfCharSet = DEFAULT_CHARSET;
    description.lfQuality = PROOF_QUALITY;
    description.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
    strncpy(description.lfFaceName, face, LF_FACESIZE - 1);
    return font.CreateFontIndirect(&description);
}

}  // namespace

void AppConfig::LoadLanguageDll() {
    const char* name = LanguageModuleName(m_language);
    if (name == nullptr) {
        m_languageModule = nullptr;
        return;
    }
    if (m_languageModule != nullptr)
        return;
    // Its code never runs: the module is only a string table.
    m_languageModule = LoadLibraryExA(GetExeFolder() + name, nullptr, DONT_RESOLVE_DLL_REFERENCES);
}

CString AppConfig::LoadLangString(int id) const {
    const HINSTANCE module = m_languageModule != nullptr ? m_languageModule : AfxGetResourceHandle();
    char text[4096];
    const int length = LoadStringA(module, static_cast<UINT>(id), text, sizeof text);
    return length > 0 ? CString(text, length) : CString();
}

BOOL AppConfig::CreateUiFont(CFont& font, int height, int weight) const {
    return CreateGuiFont(font, height, weight, UiFontFace(m_language));
}

BOOL CreateArialFont(CFont& font, int height, int weight) {
    return CreateGuiFont(font, height, weight, kFaceArial);
}
