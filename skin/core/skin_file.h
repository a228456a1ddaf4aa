// skin/core/skin_file.h
//
// CPlymSkinManagerResourceFile: a skin, in either of its two forms, behind
// four operations (open, read a line, load an image, close), and the maker
// of schemas on it.
//
// Folder form: a folder holding the INI file and the image files. When the
// folder of the skin path holds the INI name as a file, that file is read
// and the module is never loaded.
// Module form: a program library (loaded as code, or as data when that
// fails) holding the INI text as a UTF-16 "TEXTFILE" resource named after
// the INI ("NormalBlack.ini" is NormalBlack_ini) and the images as bitmap or
// "PNG" resources named after their paths ('.' and '\' become '_'). Without
// an INI name the module's THEMES_INI resource names it.
//
// The INI text is read strictly inside its resource; a line ends at CR, LF
// or CR LF, and a last line without a line end is read too. Failures are
// FALSE or NULL only. Reference-counted: the manager holds one reference and
// each schema one. GUI thread only.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "skin/core/skin_file_text.h"
#include "skin/core/skin_image.h"
#include "skin/core/skin_interfaces.h"
#include "winlib/cstring.h"

class CPlymSkinManager;
class CPlymSkinManagerSchema;

class CPlymSkinManagerResourceFile : public IPlymSkinFile {
  public:
    // `manager` NULL: the program's skin manager.
    explicit CPlymSkinManagerResourceFile(CPlymSkinManager* manager = nullptr);

    // TRUE when the INI text is ready to be read; closes what was open first.
    virtual BOOL Open(const char* path, const char* iniName);
    // The next line in the program's code page; FALSE at the end.
    virtual BOOL ReadLine(CString& line);
    // Deletes the INI file object and frees the module.
    virtual void Close();
    // A new image for an INI image path, or NULL; an image with alpha is
    // premultiplied while `schema` (may be NULL) says so.
    virtual CPlymSkinImage* LoadImage(const char* imagePath, const plym::SchemaStore* schema);
    // A new schema on this file (it holds a reference to the file).
    virtual CPlymSkinManagerSchema* CreateSchema();

    bool ReadLine(std::string* line) override;
    IPlymSkinImage* LoadSkinImage(const char* imagePath, const plym::SchemaStore* schema) override {
        return LoadImage(imagePath, schema);
    }

    const CString& GetPath() const { return m_path; }
    const CString& GetIniName() const { return m_iniName; }
    HMODULE GetModule() const { return m_module; }
    CPlymSkinManager* GetManager() const { return m_manager; }

  protected:
    ~CPlymSkinManagerResourceFile() override { Close(); }

  private:
    // The path's folder, with its last '\'.
    std::string Folder() const;

    plym::Utf16Lines m_text;  // the module's INI text, cursor and end
    HMODULE m_module = nullptr;
    CString m_path;
    CString m_iniName;
    CPlymSkinManager* m_manager;
    std::unique_ptr<plym::AnsiLines> m_iniFile;  // folder form
};
