// Names of the tool's registry sections and values (under the key that
// SetRegistryKey gives the application).
#pragma once

namespace ToolSettings {
const char* const Section = "Settings";
const char* const ComPort = "COMPort";     // COM port number less one
const char* const TermId = "TermID";       // controller id less one
const char* const Position = "Position";   // the main window's placement, raw bytes
const char* const LeftView = "LeftView";   // the page tree's width in pixels
const char* const ServerIni = "HalvexFile";
const char* const MiscSection = "Misc";
const char* const TcpPort = "TCPPort";
const char* const BarsSection = "Bars";
}  // namespace ToolSettings
