#include "configtool/ServerProtocol.h"
#include <stdlib.h>
#include <vector>

namespace ServerProtocol {

CString CommandFrame(int comPort, int controllerId, LPCSTR command, int arg1, int arg2) {
    CString frame;
    frame.Format("VeTr 1 %07d Ob21 %d %d %s %d %d VTEnd", 0, comPort, controllerId, command, arg1, arg2);
    return frame;
}

namespace {
std::vector<CString> Fields(const CString& text) {
    std::vector<CString> fields;
    int start = 0;
    for (;;) {
        int blank = text.Find(' ', start);
        if (blank < 0) {
            fields.push_back(text.Mid(start));
            return fields;
        }
        fields.push_back(text.Mid(start, blank - start));
        start = blank + 1;
    }
}

CString FieldAt(const std::vector<CString>& fields, size_t i) { return i < fields.size() ? fields[i] : CString(); }
}  // namespace

ServerReply ParseReply(const CString& text) {
    std::vector<CString> fields = Fields(text);
    ServerReply reply;
    CString head = FieldAt(fields, 0);
    if (head == "ST") {
        reply.kind = ServerReply::Status;
        reply.status.date = FieldAt(fields, 1);
        reply.status.time = FieldAt(fields, 2);
        reply.status.device = FieldAt(fields, 3);
        reply.status.version = FieldAt(fields, 4);
    } else if (head == "ERR") {
        reply.kind = ServerReply::Error;
    } else if (head == "RE" || head == "WE") {
        reply.kind = head == "RE" ? ServerReply::Read : ServerReply::Written;
        reply.location = atoi(FieldAt(fields, 2));
        reply.value = atoi(FieldAt(fields, 3));
    }
    return reply;
}

}  // namespace ServerProtocol
