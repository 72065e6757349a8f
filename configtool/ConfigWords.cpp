#include "configtool/ConfigWords.h"

namespace ConfigWords {

namespace {
WORD Field(int value, int bits, int shift) { return (WORD)((value & ((1 << bits) - 1)) << shift); }
int Take(WORD word, int bits, int shift) { return (word >> shift) & ((1 << bits) - 1); }
}  // namespace

WORD PackAction(const ActionFields& f) {
    return Field(f.relay1Action, 2, 0) | Field(f.relay1Egress, 2, 2) | Field(f.relay1Sensor, 2, 4) |
           Field(f.relay2Action, 2, 8) | Field(f.relay2Egress, 2, 10) | Field(f.relay2Sensor, 2, 12) |
           Field(f.registration, 1, 15);
}

ActionFields UnpackAction(WORD word) {
    ActionFields f;
    f.relay1Action = Take(word, 2, 0);
    f.relay1Egress = Take(word, 2, 2);
    f.relay1Sensor = Take(word, 2, 4);
    f.relay2Action = Take(word, 2, 8);
    f.relay2Egress = Take(word, 2, 10);
    f.relay2Sensor = Take(word, 2, 12);
    f.registration = Take(word, 1, 15);
    return f;
}

WORD PackConfiguration(const ConfigurationFields& f) {
    return Field(f.relay1Time, 3, 0) | Field(f.relay2Time, 3, 4) | Field(f.doorOpenTimeout, 3, 8) |
           Field(f.rollover, 1, 11) | Field(f.master, 1, 13) | Field(f.reader1Led, 1, 14) | Field(f.reader2Led, 1, 15);
}

ConfigurationFields UnpackConfiguration(WORD word) {
    ConfigurationFields f;
    f.relay1Time = Take(word, 3, 0);
    f.relay2Time = Take(word, 3, 4);
    f.doorOpenTimeout = Take(word, 3, 8);
    f.rollover = Take(word, 1, 11);
    f.master = Take(word, 1, 13);
    f.reader1Led = Take(word, 1, 14);
    f.reader2Led = Take(word, 1, 15);
    return f;
}

}  // namespace ConfigWords
