// Message maps: static entry tables walked from the most derived class to the base.
//
// Each entry names the message, notification code, id range, a signature tag and
// the handler cast to the common AFX_PMSG type. The tag says how wParam/lParam are
// cracked into the handler's parameters; all cracking lives in AfxCallHandler
// (msgmap.cpp). To add a handler shape: add a tag to AfxSig, a case to
// AfxCallHandler, and an ON_* macro that casts the member with static_cast to the
// exact signature (so a wrong handler fails to compile).
#pragma once
#include <windows.h>

class CCmdTarget;
typedef void (CCmdTarget::*AFX_PMSG)();

enum AfxSig : UINT_PTR {
    AfxSig_end = 0,   // terminates a table
    AfxSig_vv,        // void (void)                  ON_COMMAND
    AfxSig_vw,        // void (UINT)                  ON_COMMAND_RANGE (id)
    AfxSig_bv,        // BOOL (void)                  ON_COMMAND_EX style
    AfxSig_vwl,       // void (WPARAM, LPARAM)        ON_THREAD_MESSAGE
    AfxSig_lwl,       // LRESULT (WPARAM, LPARAM)     ON_MESSAGE
    // Window-message shapes follow from here (WM_CREATE, WM_SIZE, ...).
    AfxSig_window_first = 100,
};

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;   // WM_* (WM_COMMAND for commands)
    UINT nCode;      // notification code (CN_COMMAND for commands)
    UINT nID;        // first control/command id
    UINT nLastID;    // last id of a range (== nID otherwise)
    UINT_PTR nSig;   // AfxSig tag
    AFX_PMSG pfn;
    const UINT* pRegisteredMessage = nullptr; // ON_REGISTERED_MESSAGE: the id's variable
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (PASCAL* pfnGetBaseMap)();   // null at the root (CCmdTarget)
    const AFX_MSGMAP_ENTRY* lpEntries;
};

#ifndef CN_COMMAND
#define CN_COMMAND 0
#endif

// Finds the first entry, most derived class first, that matches message, code and id.
const AFX_MSGMAP_ENTRY* AfxFindMessageEntry(const AFX_MSGMAP* pMap, UINT nMsg, UINT nCode, UINT nID);

// Calls the handler of an entry with the message's parameters cracked per its tag.
// Returns FALSE for a tag it does not know. *pResult gets the handler's result.
BOOL AfxCallHandler(CCmdTarget* pTarget, const AFX_MSGMAP_ENTRY* pEntry, UINT nID, WPARAM wParam, LPARAM lParam,
                    LRESULT* pResult);

// Hook for tags beyond the built-in ones (window-message shapes): installed once by
// the window half of the layer; AfxCallHandler forwards tags >= AfxSig_window_first.
typedef BOOL (*AFX_PFN_CALLHANDLER)(CCmdTarget* pTarget, const AFX_MSGMAP_ENTRY* pEntry, UINT nID, WPARAM wParam,
                                    LPARAM lParam, LRESULT* pResult);
void AfxSetWindowHandlerCaller(AFX_PFN_CALLHANDLER pfn);

#define DECLARE_MESSAGE_MAP()                                \
protected:                                                   \
    static const AFX_MSGMAP* PASCAL GetThisMessageMap();     \
    const AFX_MSGMAP* GetMessageMap() const override;

#define FW_MESSAGE_MAP_BODY(theClass, baseClass)  \
    typedef theClass ThisClass;                   \
    typedef baseClass TheBaseClass;               \
    (void)sizeof(ThisClass*);                     \
    static const AFX_MSGMAP_ENTRY _messageEntries[] = {

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                                     \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); }             \
    const AFX_MSGMAP* PASCAL theClass::GetThisMessageMap() {                                      \
        FW_MESSAGE_MAP_BODY(theClass, baseClass)

// For class templates such as a frame template over its base class:
// BEGIN_TEMPLATE_MESSAGE_MAP(CSkinFrame, TBase, TBase)
#define BEGIN_TEMPLATE_MESSAGE_MAP(theClass, type_name, baseClass)                                 \
    template <class type_name>                                                                     \
    const AFX_MSGMAP* theClass<type_name>::GetMessageMap() const { return GetThisMessageMap(); }  \
    template <class type_name>                                                                     \
    const AFX_MSGMAP* PASCAL theClass<type_name>::GetThisMessageMap() {                           \
        FW_MESSAGE_MAP_BODY(theClass<type_name>, baseClass)

#define END_MESSAGE_MAP()                                                                 \
    {0, 0, 0, 0, AfxSig_end, static_cast<AFX_PMSG>(nullptr)}                              \
    };                                                                                    \
    static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &_messageEntries[0]}; \
    return &messageMap;                                                                   \
    }

// Thread message (window handle null): void OnMsg(WPARAM, LPARAM).
#define ON_THREAD_MESSAGE(message, memberFxn)                                      \
    {message, 0, 0, 0, AfxSig_vwl,                                                 \
     reinterpret_cast<AFX_PMSG>(static_cast<void (CCmdTarget::*)(WPARAM, LPARAM)>( \
         static_cast<void (ThisClass::*)(WPARAM, LPARAM)>(&ThisClass::memberFxn)))},

// Any message: LRESULT OnMsg(WPARAM, LPARAM).
#define ON_MESSAGE(message, memberFxn)                                                \
    {message, 0, 0, 0, AfxSig_lwl,                                                    \
     reinterpret_cast<AFX_PMSG>(static_cast<LRESULT (CCmdTarget::*)(WPARAM, LPARAM)>( \
         static_cast<LRESULT (ThisClass::*)(WPARAM, LPARAM)>(&ThisClass::memberFxn)))},

#define ON_COMMAND(id, memberFxn)                \
    {WM_COMMAND, CN_COMMAND, (UINT)(id), (UINT)(id), AfxSig_vv, \
     static_cast<AFX_PMSG>(static_cast<void (ThisClass::*)()>(&ThisClass::memberFxn))},

#define ON_COMMAND_RANGE(id, idLast, memberFxn)                                           \
    {WM_COMMAND, CN_COMMAND, (UINT)(id), (UINT)(idLast), AfxSig_vw,                       \
     reinterpret_cast<AFX_PMSG>(static_cast<void (CCmdTarget::*)(UINT)>(                  \
         static_cast<void (ThisClass::*)(UINT)>(&ThisClass::memberFxn)))},
