// The server's settings file "Halvex.ini": every section, key and default,
// and the order in which the shutdown writes them.
#pragma once
#include "server/services/IniFile.h"
#include <string>
#include <vector>

struct ControllerEntry {
    int id;
    int port;
    std::string name;
};

// What the start of the services reads and the shutdown writes back.
struct ServiceSettings {
    bool online = true;              // [Controllers] OnLine
    bool testMenu = false;           // [Misc] TestMenu
    bool selectPollInfo = false;     // [Misc] SelectPollInfo
    bool useBCDB = false;            // [Database] UseBCDB
    std::string connStr;             // [Database] ConnStr
    int autoSetTime = 0;             // [Misc] AutoSetTime
    int autoSetTimeInterval = 1;     // [Misc] AutoSetTimeInterval, minutes
    int tcpPort = 65000;             // [Misc] TCPPort
    std::vector<ControllerEntry> controllers; // usable [Controllers] entries, in file order
};

std::string SettingsFilePath(); // application folder + "Halvex.ini"

// Reads the service settings; TestMenu and SelectPollInfo are written back
// at once as 1 or 0. Entries without a positive id and port or without a
// name are skipped.
ServiceSettings LoadServiceSettings(const CIniFile& ini);

// The shutdown's writes: [Controllers] emptied first, then OnLine, the
// database, [Misc] (SelectPollInfo always 0), the controllers in tree order
// and their Count.
void SaveServiceSettings(const CIniFile& ini, const ServiceSettings& settings,
                         const std::vector<ControllerEntry>& treeOrder);

// [Settings]
const int DefaultCommandTimeOut = 10000;
int ReadCommandTimeOut(const CIniFile& ini);
void WriteCommandTimeOut(const CIniFile& ini, int milliseconds);
std::string ReadLanguage(const CIniFile& ini);  // default "English"
void WriteLanguage(const CIniFile& ini, const std::string& name);

// Read on every controller add and written back after a successful one.
struct BusPauses {
    int pauseSerial = 16;    // [Settings] PauseSerial
    int pauseMachine = 100;  // [Settings] PauseMachine, milliseconds
};
BusPauses ReadBusPauses(const CIniFile& ini);
void WriteBusPauses(const CIniFile& ini, const BusPauses& pauses);

// [DialogAdd]: list indexes (number - 1) of the last added controller.
struct AddDialogChoice {
    int commPort = 0;
    int controller = 0;
};
AddDialogChoice ReadAddDialogChoice(const CIniFile& ini);
void WriteAddDialogChoice(const CIniFile& ini, const AddDialogChoice& choice);

// [DialogImportRegs] FilePath
std::string ReadImportFilePath(const CIniFile& ini);
void WriteImportFilePath(const CIniFile& ini, const std::string& path);
