// The real Halvex.exe with language DLLs beside it: the menus come from the
// DLL that [Settings] Language names, the Language command lists what the
// folder offers, a choice is written at Exit, and without the DLLs the
// built-in texts return while the choice is kept.
#include <winsock2.h>
#include "server_process.h"
#include "lang/language_dlls.h"
#include <gtest/gtest.h>
#include <cctype>
#include <string>
#include <vector>

namespace {

const WPARAM CmdLanguage = 32790;
const int LanguageList = 1020;

const char* const Ini = "[Misc]\r\nTCPPort=65021\r\n[Database]\r\nUseBCDB=0\r\n[Settings]\r\nLanguage=Hrvatski\r\n";

// Menus belong to the server's process (Wine hands none across processes),
// so the top-level menus are read back through their mnemonics, as an
// operator reaches them on the menu bar with Alt and a letter: the letters
// of "&Controllers", "&Steuerungen" and "&Kontroleri" whose popup opens.
std::string MenuLetters(ServerProcess& server)
{
    WaitUntil([&] { return GetMenu(server.Main()) == nullptr; }, 5000);
    std::string opened;
    for (char letter : {'C', 'S', 'K'}) {
        PostMessageA(server.Main(), WM_SYSKEYDOWN, letter, 1 | (1 << 29));
        if (WaitUntil([&] { return FindProcessMenu(server.ProcessId()) != nullptr; }, 2000))
            opened += (char)tolower(letter);
        // Escape closes the popup, a second one leaves the menu bar.
        for (int i = 0; i < 2; ++i) {
            PostMessageA(server.Main(), WM_KEYDOWN, VK_ESCAPE, 0);
            PostMessageA(server.Main(), WM_KEYUP, VK_ESCAPE, 0xC0000001);
            Sleep(200);
        }
        WaitUntil([&] { return FindProcessMenu(server.ProcessId()) == nullptr; }, 2000);
    }
    return opened;
}

std::vector<std::string> ListTexts(HWND list)
{
    // Wide: Wine carries the ANSI form of LB_GETTEXT across processes as
    // one character.
    std::vector<std::string> texts;
    int count = (int)SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (int i = 0; i < count; ++i) {
        wchar_t wide[128] = L"";
        SendMessageW(list, LB_GETTEXT, i, (LPARAM)wide);
        char text[128] = "";
        WideCharToMultiByte(CP_ACP, 0, wide, -1, text, sizeof(text), nullptr, nullptr);
        texts.push_back(text);
    }
    return texts;
}

TEST(ServerLanguage, MenusListChoiceAndMissingDlls)
{
    const std::string folder = ServerProcess::MakeFolder("language", Ini);
    for (const char* dll : {"Deutsch.dll", "Hrvatski.dll", "Resources.dll"})
        ASSERT_TRUE(CopyFileA((LanguageDllFolder() + dll).c_str(), (folder + "\\" + dll).c_str(), FALSE)) << dll;
    ServerProcess server(folder);

    // Hrvatski chosen: its menus, and a choice to make.
    HWND main = server.StartForMainWindow();
    ASSERT_NE(nullptr, main);
    EXPECT_EQ("k", MenuLetters(server));

    // Enabled, and the DLL without the export is no language; Deutsch is chosen.
    PostMessageA(main, WM_COMMAND, CmdLanguage, 0);
    HWND dlg = server.WaitForWindow("Language");
    ASSERT_NE(nullptr, dlg);
    HWND list = GetDlgItem(dlg, LanguageList);
    EXPECT_EQ("Deutsch | English | Hrvatski", Join(ListTexts(list)));
    EXPECT_EQ(LB_ERR, SendMessageA(list, LB_GETCURSEL, 0, 0)) << "nothing is selected at first";
    SendMessageA(list, LB_SETCURSEL, 0, 0);
    ASSERT_TRUE(PressButton(dlg, IDOK));
    HWND notice = WaitForProcessDialog(server.ProcessId(), "Jezik se mijenja pri sljedecem pokretanju.");
    ASSERT_NE(nullptr, notice) << "the restart notice, from the language in force";
    ASSERT_TRUE(PressButton(notice, IDOK));
    // Nothing changes until the end.
    EXPECT_EQ("k", MenuLetters(server));
    EXPECT_EQ("Hrvatski", Profile(folder, "Settings", "Language"));
    ASSERT_EQ(0, server.Exit());
    EXPECT_EQ("Deutsch", Profile(folder, "Settings", "Language"));

    // The next start speaks Deutsch; Cancel keeps the choice.
    main = server.StartForMainWindow();
    ASSERT_NE(nullptr, main);
    EXPECT_EQ("s", MenuLetters(server));
    PostMessageA(main, WM_COMMAND, CmdLanguage, 0);
    dlg = server.WaitForWindow("Language");
    ASSERT_NE(nullptr, dlg);
    SendMessageA(GetDlgItem(dlg, LanguageList), LB_SETCURSEL, 2, 0);
    ASSERT_TRUE(PressButton(dlg, IDCANCEL));
    ASSERT_EQ(0, server.Exit());
    EXPECT_EQ("Deutsch", Profile(folder, "Settings", "Language"));

    // The DLLs gone: the built-in English, no choice, the name kept.
    for (const char* dll : {"Deutsch.dll", "Hrvatski.dll", "Resources.dll"})
        ASSERT_TRUE(DeleteFileA((folder + "\\" + dll).c_str())) << dll;
    main = server.StartForMainWindow();
    ASSERT_NE(nullptr, main);
    EXPECT_EQ("c", MenuLetters(server));
    PostMessageA(main, WM_COMMAND, CmdLanguage, 0);
    EXPECT_EQ(nullptr, server.WaitForWindow("Language", 1500)) << "a disabled command opens nothing";
    ASSERT_EQ(0, server.Exit());
    EXPECT_EQ("Deutsch", Profile(folder, "Settings", "Language"));
}

} // namespace
