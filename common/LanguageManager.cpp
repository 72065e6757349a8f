#include "common/LanguageManager.h"

const char* const CLanguageManager::BuiltInName = "English";

namespace {
const char* const Section = "Settings";
const char* const Entry = "Language";

typedef const char* (*LanguageNameFunction)();
} // namespace

CLanguageManager::CLanguageManager() : m_pApp(nullptr), m_bLoaded(false), m_hModule(nullptr), m_hReplaced(nullptr)
{
    m_languages[BuiltInName] = CString();
}

CLanguageManager::~CLanguageManager()
{
    if (m_bLoaded)
        Save();
}

void CLanguageManager::LoadLanguages(CWinApp* app, const CString& folder, const char* exportName)
{
    m_pApp = app;
    m_strChosenName = app->GetProfileString(Section, Entry, BuiltInName);

    CString dir = folder;
    if (dir.IsEmpty() || dir[dir.GetLength() - 1] != '\\')
        dir += '\\';

    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(dir + "*.dll", &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                continue;
            // By its full path: a DLL of the same name elsewhere on the search
            // path, or one the process has loaded already, is not this file.
            HMODULE dll = LoadLibraryA(dir + found.cFileName);
            if (dll == nullptr)
                continue;
            LanguageNameFunction nameOf =
                reinterpret_cast<LanguageNameFunction>(reinterpret_cast<void*>(GetProcAddress(dll, exportName)));
            if (nameOf != nullptr) {
                const char* text = nameOf();
                CString name = text ? text : "";
                m_languages.insert(std::make_pair(name, CString(found.cFileName)));
                if (name == m_strChosenName)
                    m_strChosenFile = found.cFileName;
            }
            FreeLibrary(dll);
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }

    if (m_strChosenName != BuiltInName && !m_strChosenFile.IsEmpty()) {
        m_hModule = LoadLibraryA(dir + m_strChosenFile);
        if (m_hModule != nullptr) {
            m_hReplaced = AfxGetResourceHandle();
            AfxSetResourceHandle(m_hModule);
        }
    }
    m_bLoaded = true;
}

void CLanguageManager::Save()
{
    if (!m_bLoaded)
        return;
    m_pApp->WriteProfileString(Section, Entry, m_strChosenName);
    if (m_hModule != nullptr) {
        // Nothing may load from the module once it is gone.
        if (AfxGetResourceHandle() == m_hModule)
            AfxSetResourceHandle(m_hReplaced);
        FreeLibrary(m_hModule);
        m_hModule = nullptr;
    }
    m_bLoaded = false;
}
