// The controller's configuration words (EEPROM locations 496 to 508) and the
// bit fields the pages show: each field is packed masked to its width, so a
// control without a selection (-1) cannot spill into its neighbours.
#pragma once
#include <windows.h>

namespace ConfigWords {

const int FirstLocation = 496;
const int LastLocation = 508;
const int WordCount = LastLocation - FirstLocation + 1;
const int ImageSize = 512;  // the image is indexed by location

// A new document holds this in every word, the configuration word included;
// stored files rely on it. Reset page gives the defaults below instead.
const WORD NewDocumentWord = 0x0303;
const WORD ActionWordDefault = 0x0303;    // both relays "No effect", "Always", no registration
const WORD ConfigurationWordDefault = 0;  // location 496

inline bool IsConfigLocation(int location) { return location >= FirstLocation && location <= LastLocation; }

// An action word (locations 497 to 508). Values are combo indexes.
struct ActionFields {
    int relay1Action = 0;  // bits 0-1
    int relay1Egress = 0;  // bits 2-3
    int relay1Sensor = 0;  // bits 4-5
    int relay2Action = 0;  // bits 8-9
    int relay2Egress = 0;  // bits 10-11
    int relay2Sensor = 0;  // bits 12-13
    int registration = 0;  // bit 15 (check box)
};
WORD PackAction(const ActionFields& f);
ActionFields UnpackAction(WORD word);

// The configuration word (location 496).
struct ConfigurationFields {
    int relay1Time = 0;       // bits 0-2
    int relay2Time = 0;       // bits 4-6
    int doorOpenTimeout = 0;  // bits 8-10
    int rollover = 0;         // bit 11
    int master = 0;           // bit 13
    int reader1Led = 0;       // bit 14
    int reader2Led = 0;       // bit 15
};
WORD PackConfiguration(const ConfigurationFields& f);
ConfigurationFields UnpackConfiguration(WORD word);

}  // namespace ConfigWords
