#include "configtool/ConfigWords.h"

namespace ConfigWords {

namespace {
// Where each field of a word lies: its member, its width and its lowest bit.
template <class Fields>
struct FieldBits {
    int Fields::*field;
    int bits;
    int shift;
};

const FieldBits<ActionFields> ActionLayout[] = {
    {&ActionFields::relay1Action, 2, 0},  {&ActionFields::relay1Egress, 2, 2},  {&ActionFields::relay1Sensor, 2, 4},
    {&ActionFields::relay2Action, 2, 8},  {&ActionFields::relay2Egress, 2, 10}, {&ActionFields::relay2Sensor, 2, 12},
    {&ActionFields::registration, 1, 15},
};

const FieldBits<ConfigurationFields> ConfigurationLayout[] = {
    {&ConfigurationFields::relay1Time, 3, 0},      {&ConfigurationFields::relay2Time, 3, 4},
    {&ConfigurationFields::doorOpenTimeout, 3, 8}, {&ConfigurationFields::rollover, 1, 11},
    {&ConfigurationFields::master, 1, 13},         {&ConfigurationFields::reader1Led, 1, 14},
    {&ConfigurationFields::reader2Led, 1, 15},
};

template <class Fields, size_t N>
WORD Pack(const Fields& f, const FieldBits<Fields> (&layout)[N]) {
    WORD word = 0;
    for (const auto& at : layout) word |= (WORD)((f.*at.field & ((1 << at.bits) - 1)) << at.shift);
    return word;
}

template <class Fields, size_t N>
Fields Unpack(WORD word, const FieldBits<Fields> (&layout)[N]) {
    Fields f;
    for (const auto& at : layout) f.*at.field = (word >> at.shift) & ((1 << at.bits) - 1);
    return f;
}
}  // namespace

WORD PackAction(const ActionFields& f) { return Pack(f, ActionLayout); }
ActionFields UnpackAction(WORD word) { return Unpack(word, ActionLayout); }
WORD PackConfiguration(const ConfigurationFields& f) { return Pack(f, ConfigurationLayout); }
ConfigurationFields UnpackConfiguration(WORD word) { return Unpack(word, ConfigurationLayout); }

}  // namespace ConfigWords
