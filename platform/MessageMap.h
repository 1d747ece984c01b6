// MessageMap.h - the framework's message maps: static tables that route a window's messages to members.
//
// A class that handles messages declares DECLARE_MESSAGE_MAP() and defines its
// table between BEGIN_MESSAGE_MAP(Class, Base) and END_MESSAGE_MAP(). A message
// is looked up in the class's own table first, then in its base's, and so on;
// the first entry that matches handles it. Command entries (ON_COMMAND,
// ON_BN_CLICKED) match WM_COMMAND by control id and notification code; other
// entries (ON_MESSAGE) match by message number. Each entry's handler is a
// captureless function that casts the window object to the declaring class, so
// the tables are constant data and handlers may be private members.
#pragma once

#include "platform/Window.h"
#include "platform/WinTypes.h"

class CWnd;

#if !defined(_WIN32)
inline constexpr UINT BN_CLICKED = 0;
#endif

struct AFX_MSGMAP_ENTRY {
    UINT message; // the message number; WM_COMMAND for command entries
    UINT code;    // command entries: the notification code (BN_CLICKED for a button or a menu command)
    UINT id;      // command entries: the control or command id
    LRESULT (*handler)(CWnd& target, WPARAM wParam, LPARAM lParam); // null ends a table
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*baseMap)(); // null at CWnd, the root of every chain
    const AFX_MSGMAP_ENTRY* entries;
};

#define DECLARE_MESSAGE_MAP()                                                                      \
protected:                                                                                         \
    static const AFX_MSGMAP* GetThisMessageMap();                                                  \
    const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                                     \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); }              \
    const AFX_MSGMAP* theClass::GetThisMessageMap() {                                              \
        using ThisClass = theClass;                                                                \
        using TheBaseClass = baseClass;                                                            \
        static const AFX_MSGMAP_ENTRY messageEntries[] = {

#define END_MESSAGE_MAP()                                                                          \
    { 0, 0, 0, nullptr }                                                                           \
    }                                                                                              \
    ;                                                                                              \
    static const AFX_MSGMAP messageMap{&TheBaseClass::GetThisMessageMap, messageEntries};          \
    return &messageMap;                                                                            \
    }

/// LRESULT memberFn(WPARAM, LPARAM) for one message number.
#define ON_MESSAGE(message, memberFn)                                                              \
    {message, 0, 0, [](CWnd& target, WPARAM wParam, LPARAM lParam) -> LRESULT {                   \
         return static_cast<ThisClass&>(target).memberFn(wParam, lParam);                          \
     }},

/// void memberFn() for a command with the given notification code from control `id`.
#define ON_CONTROL(code, id, memberFn)                                                             \
    {WM_COMMAND, static_cast<UINT>(code), static_cast<UINT>(id),                                   \
     [](CWnd& target, WPARAM, LPARAM) -> LRESULT {                                                 \
         static_cast<ThisClass&>(target).memberFn();                                               \
         return 0;                                                                                 \
     }},

#define ON_COMMAND(id, memberFn) ON_CONTROL(BN_CLICKED, id, memberFn)
#define ON_BN_CLICKED(id, memberFn) ON_CONTROL(BN_CLICKED, id, memberFn)
