// The language manager against real language DLLs in a folder: which
// languages it lists, which DLL becomes the resource module, and what it
// writes back to the settings.
#include "common/LanguageManager.h"
#include "db/temp_folder.h"
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

const UINT RestartTextId = 154;

class CLanguageTestApp : public CWinApp
{
public:
    explicit CLanguageTestApp(const std::string& ini) : CWinApp("LanguageManagerTest")
    {
        free(const_cast<LPSTR>(m_pszProfileName));
        m_pszProfileName = _strdup(ini.c_str());
    }
};

std::string DllFolder()
{
    const char* binary = getenv("HALVEX_BINARY_DIR");
    std::string dir = binary ? binary : ".";
    for (char& c : dir)
        if (c == '/')
            c = '\\';
    return dir + "\\tests\\lang\\dlls\\";
}

std::string Languages(const CLanguageManager& manager)
{
    std::string all;
    for (const auto& language : manager.GetLanguages())
        all += (all.empty() ? "" : ", ") + std::string(language.first) + "=" + std::string(language.second);
    return all;
}

std::string ReadLanguage(const std::string& ini)
{
    char value[256] = "";
    GetPrivateProfileStringA("Settings", "Language", "<missing>", value, sizeof(value), ini.c_str());
    return value;
}

struct Case {
    const char* what;
    const char* language;            // [Settings] Language, null: no entry
    std::vector<const char*> dlls;   // copied into the folder
    const char* exportName;
    const char* languages;           // the map, "name=file, ..."
    const char* chosenFile;
    const char* restartText;         // string 154 from the module; null: built-in resources
    const char* written;             // [Settings] Language after Save
};

const char* const Halvex = "GetLanguageNameForHalvex";
const char* const Orimbel = "GetLanguageNameForOrimbel";
const char* const AllDlls[] = {"Deutsch.dll", "Hrvatski.dll", "Resources.dll", "Slovensko.dll"};

const Case Cases[] = {
    {"chosen Hrvatski among all kinds", "Hrvatski", {AllDlls, AllDlls + 4}, Halvex,
     "Deutsch=Deutsch.dll, English=, Hrvatski=Hrvatski.dll", "Hrvatski.dll",
     "Jezik se mijenja pri sljedecem pokretanju.", "Hrvatski"},
    {"English chosen, DLLs present", "English", {AllDlls, AllDlls + 4}, Halvex,
     "Deutsch=Deutsch.dll, English=, Hrvatski=Hrvatski.dll", "", nullptr, "English"},
    {"no entry means English", nullptr, {"Deutsch.dll"}, Halvex, "Deutsch=Deutsch.dll, English=", "", nullptr,
     "English"},
    {"chosen language has no DLL", "Deutsch", {"Hrvatski.dll", "Resources.dll"}, Halvex,
     "English=, Hrvatski=Hrvatski.dll", "", nullptr, "Deutsch"},
    {"empty folder", "Hrvatski", {}, Halvex, "English=", "", nullptr, "Hrvatski"},
    {"names are case-sensitive", "hrvatski", {"Hrvatski.dll"}, Halvex, "English=, Hrvatski=Hrvatski.dll", "",
     nullptr, "hrvatski"},
    {"empty choice", "", {"Deutsch.dll"}, Halvex, "Deutsch=Deutsch.dll, English=", "", nullptr, ""},
    {"the tool's export", "Slovensko", {AllDlls, AllDlls + 4}, Orimbel, "English=, Slovensko=Slovensko.dll",
     "Slovensko.dll", "In order for the changes to take effect, you must restart the application.",
     "Slovensko"},
};

TEST(LanguageManager, ListsLoadsAndWritesBack)
{
    for (const Case& c : Cases) {
        SCOPED_TRACE(c.what);
        TempFolder folder;
        for (const char* dll : c.dlls)
            ASSERT_TRUE(CopyFileA((DllFolder() + dll).c_str(), folder.File(dll).c_str(), FALSE))
                << DllFolder() << dll << " " << GetLastError();
        // The settings lie elsewhere: the folder holds DLLs only.
        TempFolder settings;
        const std::string ini = settings.File("Test.ini");
        if (c.language)
            WritePrivateProfileStringA("Settings", "Language", c.language, ini.c_str());

        HINSTANCE before = AfxGetResourceHandle();
        {
            CLanguageTestApp app(ini);
            CLanguageManager manager;
            // Without its trailing backslash: the manager adds it.
            std::string dir = folder.Path().substr(0, folder.Path().size() - 1);
            manager.LoadLanguages(&app, dir.c_str(), c.exportName);

            EXPECT_EQ(c.languages, Languages(manager));
            EXPECT_EQ(manager.GetLanguages().size() > 1, manager.HasChoice());
            EXPECT_STREQ(c.chosenFile, manager.GetChosenFile());
            if (c.restartText) {
                ASSERT_NE(nullptr, manager.GetModule());
                EXPECT_EQ(manager.GetModule(), AfxGetResourceHandle());
                CString text;
                EXPECT_TRUE(text.LoadString(RestartTextId));
                EXPECT_STREQ(c.restartText, text);
            } else {
                EXPECT_EQ(nullptr, manager.GetModule());
                EXPECT_EQ(before, AfxGetResourceHandle());
            }
            // Nothing is written before the end.
            EXPECT_EQ(c.language ? c.language : "<missing>", ReadLanguage(ini));
            manager.Save();
            EXPECT_EQ(c.written, ReadLanguage(ini));
            EXPECT_EQ(before, AfxGetResourceHandle());
            // The folder's DLLs are free again: none is held once saved.
            for (const char* dll : c.dlls)
                EXPECT_EQ(nullptr, GetModuleHandleA(folder.File(dll).c_str())) << dll;
        }
        EXPECT_EQ(c.written, ReadLanguage(ini)) << "the destructor writes nothing after Save";
    }
}

// The choice made during the run is what the end writes, also when the
// program ends without calling Save itself.
TEST(LanguageManager, ChoiceIsWrittenAtTheEnd)
{
    TempFolder folder, settings;
    for (const char* dll : {"Deutsch.dll", "Hrvatski.dll"})
        ASSERT_TRUE(CopyFileA((DllFolder() + dll).c_str(), folder.File(dll).c_str(), FALSE));
    const std::string ini = settings.File("Test.ini");
    WritePrivateProfileStringA("Settings", "Language", "Hrvatski", ini.c_str());
    HINSTANCE before = AfxGetResourceHandle();
    {
        CLanguageTestApp app(ini);
        CLanguageManager manager;
        manager.LoadLanguages(&app, folder.Path().c_str(), Halvex);
        EXPECT_STREQ("Hrvatski.dll", manager.GetChosenFile());
        manager.SetLanguage("Deutsch");
        // It takes effect at the next start only.
        EXPECT_STREQ("Hrvatski.dll", manager.GetChosenFile());
        EXPECT_EQ("Hrvatski", ReadLanguage(ini));
    }
    EXPECT_EQ("Deutsch", ReadLanguage(ini));
    EXPECT_EQ(before, AfxGetResourceHandle());
}

// Two DLLs naming the same language: the list keeps the first one found, the
// language is loaded from the last one found.
TEST(LanguageManager, SameNameTwice)
{
    TempFolder folder, settings;
    ASSERT_TRUE(CopyFileA((DllFolder() + "Deutsch.dll").c_str(), folder.File("Deutsch.dll").c_str(), FALSE));
    ASSERT_TRUE(CopyFileA((DllFolder() + "Deutsch.dll").c_str(), folder.File("Deutsch2.dll").c_str(), FALSE));
    std::vector<std::string> order;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder.Path() + "*.dll").c_str(), &found);
    ASSERT_NE(INVALID_HANDLE_VALUE, search);
    do
        order.push_back(found.cFileName);
    while (FindNextFileA(search, &found));
    FindClose(search);
    ASSERT_EQ(2u, order.size());

    const std::string ini = settings.File("Test.ini");
    WritePrivateProfileStringA("Settings", "Language", "Deutsch", ini.c_str());
    CLanguageTestApp app(ini);
    CLanguageManager manager;
    manager.LoadLanguages(&app, folder.Path().c_str(), Halvex);
    EXPECT_EQ("Deutsch=" + order[0] + ", English=", Languages(manager));
    EXPECT_EQ(order[1], std::string(manager.GetChosenFile()));
    EXPECT_NE(nullptr, manager.GetModule());
    manager.Save();
}

} // namespace
