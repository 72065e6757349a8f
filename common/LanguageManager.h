// CLanguageManager: finds the language DLLs beside the program, remembers the
// language each one names, and makes the chosen one the resource module, so
// that every later resource load of the application comes from it.
#pragma once
#include "framework/framework.h"
#include <map>

class CLanguageManager
{
public:
    // The name of the program's built-in resources.
    static const char* const BuiltInName;

    CLanguageManager();
    ~CLanguageManager();
    CLanguageManager(const CLanguageManager&) = delete;
    CLanguageManager& operator=(const CLanguageManager&) = delete;

    // Reads [Settings] Language from the application's profile, asks every
    // "*.dll" of the folder for its name through the export `exportName` (a
    // function without arguments returning the display name), and loads the
    // DLL of the chosen name as the resource module. The built-in resources
    // stay in use when the chosen name has no DLL or it cannot be loaded.
    void LoadLanguages(CWinApp* app, const CString& folder, const char* exportName);

    // Name -> DLL file name, ordered byte-wise; the built-in entry has no file.
    const std::map<CString, CString>& GetLanguages() const { return m_languages; }
    // True when a DLL offers a language besides the built-in one.
    bool HasChoice() const { return m_languages.size() > 1; }

    // The language for the next start; written by Save.
    void SetLanguage(const CString& name) { m_strChosenName = name; }
    const CString& GetChosenName() const { return m_strChosenName; }
    const CString& GetChosenFile() const { return m_strChosenFile; }
    // The resource module in use, null for the built-in resources.
    HINSTANCE GetModule() const { return m_hModule; }

    // Writes [Settings] Language, gives the resources back to the program and
    // frees the language DLL. Once per load; the destructor saves when the
    // program did not.
    void Save();

private:
    CWinApp* m_pApp;
    bool m_bLoaded;
    CString m_strChosenName;
    CString m_strChosenFile;
    HINSTANCE m_hModule;
    // The resource module the language DLL replaced, given back by Save.
    HINSTANCE m_hReplaced;
    std::map<CString, CString> m_languages;
};
