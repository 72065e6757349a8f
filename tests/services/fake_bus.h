// A bus layer of scripted results for the service threads' tests.
#pragma once
#include "server/services/ServiceBus.h"
#include <map>
#include <mutex>

struct FakeBus : IServiceBus {
    std::mutex mutex;
    std::map<std::pair<int, int>, unsigned> words;
    std::map<int, RegistrationRecord> records;
    StatusSnapshot current{ "", "", "" };

    bool ReadRegistration(int index, RegistrationRecord& r) override
    {
        std::lock_guard<std::mutex> l(mutex);
        auto it = records.find(index);
        if (it == records.end())
            return false;
        r = it->second;
        return true;
    }
    bool ReadReg2Fields(int slot, CommandProtocol::Reg2Fields& f) override
    {
        f = { "123456789012", 5, 3, 2024, 14, 7, 0x0A, 5, 3 };
        return slot == 42;
    }
    bool RebuildRegistration(int, int, const char*, int, BufferedRegistration&) override { return false; }
    StatusSnapshot CurrentStatus(int) override { return current; }
    unsigned TakeEEPROMWord(int id, int location) override
    {
        std::lock_guard<std::mutex> l(mutex);
        auto it = words.find({ id, location });
        if (it == words.end())
            return 0xFFFF;
        unsigned w = it->second;
        words.erase(it);
        return w;
    }
};
