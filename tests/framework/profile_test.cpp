#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>
#include <string>
#include "framework/framework.h"
#include "temp_folder.h"

namespace {

class CProfileApp : public CWinApp {
public:
    CProfileApp() : CWinApp("FrameworkProfileTest") {}
    using CWinApp::SetRegistryKey;
};

const BYTE kBlob[] = {0x00, 0x1F, 0xA5, 0xFF};

// The same calls must behave alike over an ini file and over the registry.
void ExerciseProfile(CWinApp& app) {
    EXPECT_EQ(42u, app.GetProfileInt("Sect", "Missing", 42));
    EXPECT_STREQ("dflt", app.GetProfileString("Sect", "Missing", "dflt"));
    EXPECT_STREQ("", app.GetProfileString("Sect", "Missing"));

    EXPECT_TRUE(app.WriteProfileInt("Sect", "Number", -5));
    EXPECT_EQ(-5, static_cast<int>(app.GetProfileInt("Sect", "Number", 0)));
    EXPECT_TRUE(app.WriteProfileString("Sect", "Name", "value with spaces"));
    EXPECT_STREQ("value with spaces", app.GetProfileString("Sect", "Name"));
    const std::string longValue(5000, 'v');  // longer than a first read buffer
    EXPECT_TRUE(app.WriteProfileString("Sect", "Long", longValue.c_str()));
    EXPECT_STREQ(longValue.c_str(), app.GetProfileString("Sect", "Long"));

    EXPECT_TRUE(app.WriteProfileBinary("Sect", "Blob", const_cast<LPBYTE>(kBlob), sizeof kBlob));
    LPBYTE data = nullptr;
    UINT size = 0;
    ASSERT_TRUE(app.GetProfileBinary("Sect", "Blob", &data, &size));
    ASSERT_EQ(sizeof kBlob, size);
    EXPECT_EQ(0, memcmp(kBlob, data, size));
    delete[] data;
    EXPECT_FALSE(app.GetProfileBinary("Sect", "Missing", &data, &size));
    EXPECT_TRUE(data == nullptr);

    // A null value removes the entry; a null entry removes the section.
    EXPECT_TRUE(app.WriteProfileString("Sect", "Name", nullptr));
    EXPECT_STREQ("gone", app.GetProfileString("Sect", "Name", "gone"));
    EXPECT_EQ(-5, static_cast<int>(app.GetProfileInt("Sect", "Number", 0)));
    EXPECT_TRUE(app.WriteProfileInt("Other", "Kept", 9));
    EXPECT_TRUE(app.WriteProfileString("Sect", nullptr, nullptr));
    EXPECT_EQ(1u, app.GetProfileInt("Sect", "Number", 1));
    EXPECT_EQ(9u, app.GetProfileInt("Other", "Kept", 0));
}

std::string RegistryValue(LPCSTR subKey, LPCSTR name, DWORD* pType) {
    HKEY h;
    *pType = REG_NONE;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, subKey, 0, KEY_READ, &h) != ERROR_SUCCESS)
        return "";
    char buf[64] = {};
    DWORD size = sizeof buf;
    LONG r = RegQueryValueExA(h, name, nullptr, pType, reinterpret_cast<LPBYTE>(buf), &size);
    RegCloseKey(h);
    return r == ERROR_SUCCESS ? std::string(buf, size) : "";
}

}  // namespace

TEST(Profile, IniFile) {
    TempFolder dir;
    const std::string ini = dir.File("settings.ini");
    CProfileApp app;
    free(const_cast<LPSTR>(app.m_pszProfileName));
    app.m_pszProfileName = _strdup(ini.c_str());
    EXPECT_TRUE(AfxGetApp() == &app);

    ExerciseProfile(app);
    EXPECT_TRUE(app.WriteProfileBinary("Bin", "Blob", const_cast<LPBYTE>(kBlob), sizeof kBlob));
    EXPECT_TRUE(app.WriteProfileString("Text", "Key", "Value"));
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, ini.c_str());  // flush any cache

    // Really in the file, in the usual ini form; binary as two letters per byte.
    const std::string text = ReadFileBytes(ini);
    EXPECT_NE(std::string::npos, text.find("[Text]")) << text;
    EXPECT_NE(std::string::npos, text.find("Key=Value")) << text;
    EXPECT_NE(std::string::npos, text.find("Blob=AAPBFKPP")) << text;
    EXPECT_EQ(std::string::npos, text.find("[Sect]")) << text;
}

TEST(Profile, Registry) {
    char vendor[64];
    wsprintfA(vendor, "FrameworkTestVendor%lu", GetCurrentProcessId());
    const std::string vendorKey = std::string("Software\\") + vendor;
    const std::string appKey = vendorKey + "\\FrameworkProfileTest";
    {
        CProfileApp app;
        app.SetRegistryKey(vendor);
        EXPECT_STREQ(vendor, app.m_pszRegistryKey);
        EXPECT_STREQ("FrameworkProfileTest", app.m_pszProfileName);

        ExerciseProfile(app);
        EXPECT_TRUE(app.WriteProfileInt("Typed", "Int", 0x1234));
        EXPECT_TRUE(app.WriteProfileString("Typed", "Str", "abc"));
        EXPECT_TRUE(app.WriteProfileBinary("Typed", "Bin", const_cast<LPBYTE>(kBlob), sizeof kBlob));

        // Values under HKCU\Software\<key>\<application>\<section>, with native types.
        const std::string typed = appKey + "\\Typed";
        DWORD type;
        std::string v = RegistryValue(typed.c_str(), "Int", &type);
        EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type);
        EXPECT_EQ(std::string("\x34\x12\x00\x00", 4), v);
        v = RegistryValue(typed.c_str(), "Str", &type);
        EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
        EXPECT_EQ(std::string("abc\0", 4), v);
        v = RegistryValue(typed.c_str(), "Bin", &type);
        EXPECT_EQ(static_cast<DWORD>(REG_BINARY), type);
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(kBlob), sizeof kBlob), v);
        RegistryValue((appKey + "\\Sect").c_str(), "Number", &type);
        EXPECT_EQ(static_cast<DWORD>(REG_NONE), type);  // the section was removed
    }
    for (const char* section : {"\\Typed", "\\Other", "\\Sect"})
        RegDeleteKeyA(HKEY_CURRENT_USER, (appKey + section).c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, appKey.c_str());
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteKeyA(HKEY_CURRENT_USER, vendorKey.c_str()));
}
