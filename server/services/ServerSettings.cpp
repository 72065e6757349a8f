#include "server/services/ServerSettings.h"
#include <stdio.h>

namespace {
std::string Numbered(const char* key, int i)
{
    char text[32];
    snprintf(text, sizeof(text), "%s%d", key, i);
    return text;
}
} // namespace

std::string SettingsFilePath()
{
    return ApplicationFolder() + "Halvex.ini";
}

ServiceSettings LoadServiceSettings(const CIniFile& ini)
{
    ServiceSettings s;
    s.online = ini.GetBool("Controllers", "OnLine", true);
    s.testMenu = ini.GetBool("Misc", "TestMenu", false);
    ini.WriteBool("Misc", "TestMenu", s.testMenu);
    s.selectPollInfo = ini.GetBool("Misc", "SelectPollInfo", false);
    ini.WriteBool("Misc", "SelectPollInfo", s.selectPollInfo);
    s.useBCDB = ini.GetBool("Database", "UseBCDB", false);
    s.connStr = ini.GetString("Database", "ConnStr", "");
    s.autoSetTime = ini.GetInt("Misc", "AutoSetTime", 0);
    s.autoSetTimeInterval = ini.GetInt("Misc", "AutoSetTimeInterval", 1);
    s.tcpPort = ini.GetInt("Misc", "TCPPort", 65000);
    int count = ini.GetInt("Controllers", "Count", 0);
    for (int i = 0; i < count; ++i) {
        ControllerEntry e;
        e.id = ini.GetInt("Controllers", Numbered("Controller", i).c_str(), -1);
        e.port = ini.GetInt("Controllers", Numbered("CommPort", i).c_str(), -1);
        e.name = ini.GetString("Controllers", Numbered("Name", i).c_str(), "");
        if (e.id > 0 && e.port > 0 && !e.name.empty())
            s.controllers.push_back(e);
    }
    return s;
}

void SaveServiceSettings(const CIniFile& ini, const ServiceSettings& s, const std::vector<ControllerEntry>& treeOrder)
{
    ini.EmptySection("Controllers");
    ini.WriteBool("Controllers", "OnLine", s.online);
    ini.WriteBool("Database", "UseBCDB", s.useBCDB);
    ini.WriteString("Database", "ConnStr", s.connStr);
    ini.WriteInt("Misc", "AutoSetTime", s.autoSetTime);
    ini.WriteInt("Misc", "AutoSetTimeInterval", s.autoSetTimeInterval);
    ini.WriteInt("Misc", "TCPPort", s.tcpPort);
    ini.WriteBool("Misc", "TestMenu", s.testMenu);
    // The bus traffic display is for one session only.
    ini.WriteBool("Misc", "SelectPollInfo", false);
    int i = 0;
    for (const ControllerEntry& e : treeOrder) {
        ini.WriteInt("Controllers", Numbered("Controller", i).c_str(), e.id);
        ini.WriteInt("Controllers", Numbered("CommPort", i).c_str(), e.port);
        ini.WriteString("Controllers", Numbered("Name", i).c_str(), e.name);
        ++i;
    }
    ini.WriteInt("Controllers", "Count", i);
}

int ReadCommandTimeOut(const CIniFile& ini)
{
    return ini.GetInt("Settings", "CommandTimeOut", DefaultCommandTimeOut);
}

void WriteCommandTimeOut(const CIniFile& ini, int milliseconds)
{
    ini.WriteInt("Settings", "CommandTimeOut", milliseconds);
}

std::string ReadLanguage(const CIniFile& ini)
{
    return ini.GetString("Settings", "Language", "English");
}

void WriteLanguage(const CIniFile& ini, const std::string& name)
{
    ini.WriteString("Settings", "Language", name);
}

BusPauses ReadBusPauses(const CIniFile& ini)
{
    BusPauses p;
    p.pauseSerial = ini.GetInt("Settings", "PauseSerial", 16);
    p.pauseMachine = ini.GetInt("Settings", "PauseMachine", 100);
    return p;
}

void WriteBusPauses(const CIniFile& ini, const BusPauses& p)
{
    ini.WriteInt("Settings", "PauseSerial", p.pauseSerial);
    ini.WriteInt("Settings", "PauseMachine", p.pauseMachine);
}

AddDialogChoice ReadAddDialogChoice(const CIniFile& ini)
{
    AddDialogChoice c;
    // List indexes of the lists 1..255: a value from the file outside them
    // falls back to the first entry.
    auto listIndex = [](int value) { return value >= 0 && value <= 254 ? value : 0; };
    c.commPort = listIndex(ini.GetInt("DialogAdd", "CommPort", 0));
    c.controller = listIndex(ini.GetInt("DialogAdd", "Controller", 0));
    return c;
}

void WriteAddDialogChoice(const CIniFile& ini, const AddDialogChoice& c)
{
    ini.WriteInt("DialogAdd", "CommPort", c.commPort);
    ini.WriteInt("DialogAdd", "Controller", c.controller);
}

std::string ReadImportFilePath(const CIniFile& ini)
{
    return ini.GetString("DialogImportRegs", "FilePath", "");
}

void WriteImportFilePath(const CIniFile& ini, const std::string& path)
{
    ini.WriteString("DialogImportRegs", "FilePath", path);
}
