// Message maps: a static table per class that binds window messages, commands and control
// notifications to member handlers, searched from the most derived class to its bases.
//
//     class CMyDlg : public CDialog {
//         ...
//         afx_msg void OnStart();
//         afx_msg LRESULT OnUpdateEvent(WPARAM wParam, LPARAM lParam);
//         DECLARE_MESSAGE_MAP()
//     };
//
//     BEGIN_MESSAGE_MAP(CMyDlg, CDialog)
//         ON_BN_CLICKED(IDC_START, OnStart)
//         ON_MESSAGE(WM_UPDATE_EVENT, OnUpdateEvent)
//     END_MESSAGE_MAP()
#pragma once

#include "framework/window_types.h"

#define afx_msg

class CCmdTarget;

// Calls one handler: the target is an object of the class whose map holds the entry.
typedef LRESULT (*AFX_PMSG)(CCmdTarget* target, WPARAM wParam, LPARAM lParam);

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;  // window message, WM_COMMAND for commands and notifications
    UINT nCode;     // notification code (BN_CLICKED, CBN_SELCHANGE, ...) for WM_COMMAND
    UINT nID;       // control or command id for WM_COMMAND
    AFX_PMSG pfn;   // null ends the table
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();  // null for the root
    const AFX_MSGMAP_ENTRY* lpEntries;
};

#define DECLARE_MESSAGE_MAP()                     \
  protected:                                      \
    static const AFX_MSGMAP* GetThisMessageMap(); \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                        \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
    const AFX_MSGMAP* theClass::GetThisMessageMap() {                                 \
        using ThisClass [[maybe_unused]] = theClass;                                  \
        using TheBaseClass = baseClass;                                               \
        static const AFX_MSGMAP_ENTRY entries[] = {
#define END_MESSAGE_MAP()                                                             \
    { 0, 0, 0, nullptr }                                                              \
    }                                                                                 \
    ;                                                                                 \
    static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, entries}; \
    return &messageMap;                                                               \
    }

#define AFX_CMD_ENTRY(code, id, memberFxn)                       \
    {WM_COMMAND, static_cast<UINT>(code), static_cast<UINT>(id), \
     [](CCmdTarget* t, WPARAM, LPARAM) -> LRESULT {              \
         static_cast<ThisClass*>(t)->memberFxn();                \
         return 0;                                               \
     }},

// Commands and control notifications: handlers take no arguments.
#define ON_COMMAND(id, memberFxn) AFX_CMD_ENTRY(BN_CLICKED, id, memberFxn)
#define ON_BN_CLICKED(id, memberFxn) AFX_CMD_ENTRY(BN_CLICKED, id, memberFxn)
#define ON_CBN_SELCHANGE(id, memberFxn) AFX_CMD_ENTRY(CBN_SELCHANGE, id, memberFxn)
#define ON_LBN_SELCHANGE(id, memberFxn) AFX_CMD_ENTRY(LBN_SELCHANGE, id, memberFxn)
#define ON_LBN_DBLCLK(id, memberFxn) AFX_CMD_ENTRY(LBN_DBLCLK, id, memberFxn)
#define ON_EN_CHANGE(id, memberFxn) AFX_CMD_ENTRY(EN_CHANGE, id, memberFxn)

// Any message, user-defined ones included: LRESULT memberFxn(WPARAM, LPARAM).
#define ON_MESSAGE(message, memberFxn)                                                    \
    {static_cast<UINT>(message), 0, 0, [](CCmdTarget* t, WPARAM w, LPARAM l) -> LRESULT { \
         return static_cast<ThisClass*>(t)->memberFxn(w, l);                              \
     }},

// void OnSysCommand(UINT nID, LPARAM lParam)
#define ON_WM_SYSCOMMAND()                                                   \
    {WM_SYSCOMMAND, 0, 0, [](CCmdTarget* t, WPARAM w, LPARAM l) -> LRESULT { \
         static_cast<ThisClass*>(t)->OnSysCommand(static_cast<UINT>(w), l);  \
         return 0;                                                           \
     }},
// void OnPaint()
#define ON_WM_PAINT()                                               \
    {WM_PAINT, 0, 0, [](CCmdTarget* t, WPARAM, LPARAM) -> LRESULT { \
         static_cast<ThisClass*>(t)->OnPaint();                     \
         return 0;                                                  \
     }},
// HCURSOR OnQueryDragIcon()
#define ON_WM_QUERYDRAGICON()                                                             \
    {WM_QUERYDRAGICON, 0, 0, [](CCmdTarget* t, WPARAM, LPARAM) -> LRESULT {               \
         return reinterpret_cast<LRESULT>(static_cast<ThisClass*>(t)->OnQueryDragIcon()); \
     }},
// void OnClose()
#define ON_WM_CLOSE()                                               \
    {WM_CLOSE, 0, 0, [](CCmdTarget* t, WPARAM, LPARAM) -> LRESULT { \
         static_cast<ThisClass*>(t)->OnClose();                     \
         return 0;                                                  \
     }},
// void OnDestroy()
#define ON_WM_DESTROY()                                               \
    {WM_DESTROY, 0, 0, [](CCmdTarget* t, WPARAM, LPARAM) -> LRESULT { \
         static_cast<ThisClass*>(t)->OnDestroy();                     \
         return 0;                                                    \
     }},

// The root of everything that has a message map.
class CCmdTarget {
  public:
    CCmdTarget() = default;
    CCmdTarget(const CCmdTarget&) = delete;
    CCmdTarget& operator=(const CCmdTarget&) = delete;
    virtual ~CCmdTarget() = default;

    // Looks for a handler of (message, code, id) in this object's maps, most derived first,
    // and calls it. FALSE when no map has one.
    BOOL DispatchToMap(UINT message, UINT code, UINT id, WPARAM wParam, LPARAM lParam,
                       LRESULT* result);

  protected:
    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;
};
