// Client of the TDS stand-in's control channel, for Windows test programs run
// by with-tds.sh (which puts the channel's address in HALVEX_TDS_CONTROL).
#pragma once

#include <string>
#include <vector>

class TdsControl
{
public:
    TdsControl();
    ~TdsControl();
    TdsControl(const TdsControl&) = delete;
    TdsControl& operator=(const TdsControl&) = delete;

    // The data source name of the stand-in (HALVEX_TDS_DSN).
    static std::string Dsn();
    // "Provider=MSDASQL;Data Source=<dsn>".
    static std::string ConnectionString();

    // Sends one command line and returns the reply line; "" when the channel
    // cannot be reached.
    std::string Command(const std::string& line);
    // Puts the stand-in back as it starts: logins accepted, no statement
    // failed, no batch kept. "OK", or the first command with its reply.
    std::string Reset();
    // The texts of all batches the stand-in has received, oldest first.
    std::vector<std::string> Batches();
    int Logins();

private:
    std::string Exchange(const std::string& line, bool untilEnd);
    bool m_started;
};
