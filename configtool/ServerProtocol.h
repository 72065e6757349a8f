// The tool's side of the server's text protocol: the command frame it sends
// and the answer lines the server sends back to its reply port.
#pragma once
#include "framework/framework.h"

namespace ServerProtocol {

const USHORT CommandPort = 65000;      // the server's, on this machine
const USHORT DefaultReplyPort = 65002;  // where the server answers the tag "Ob21"
const int SendTimeoutSeconds = 10;
const int ReceiveTimeoutSeconds = 60;   // per receive on one answer's connection
const int ReplyBufferSize = 10240;      // an answer longer than this less one is cut

// "VeTr 1 0000000 Ob21 <port> <controller> <command> <arg1> <arg2> VTEnd".
CString CommandFrame(int comPort, int controllerId, LPCSTR command, int arg1, int arg2);

// The Date, Time, Device and Version texts of a status answer.
struct CStatusTexts {
    CString date, time, device, version;
};

struct ServerReply {
    enum Kind { Ignored, Status, Error, Read, Written };
    Kind kind = Ignored;
    CStatusTexts status;  // Status
    int location = 0;     // Read, Written
    int value = 0;
};

// Fields at single blanks (two blanks give an empty field; a missing field
// reads as empty, an empty or non-numeric number as 0). "ST" date time device
// version; "ERR"; "RE"/"WE" controller location value; anything else is ignored.
ServerReply ParseReply(const CString& text);

}  // namespace ServerProtocol
