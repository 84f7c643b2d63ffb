// Message maps as MFC writes them: a static table per class, chained to the base
// class's table, from message (and control id and notification code) to member.
// Handlers are named as in MFC 4.2, without class or &: ON_BN_CLICKED(IDC_BTN_X, OnBtnX).
#pragma once
#include "platform/mfc/Types.h"

class CCmdTarget;
using AFX_PMSG = LRESULT (*)(CCmdTarget* target, WPARAM wParam, LPARAM lParam);

struct AFX_MSGMAP_ENTRY {
  UINT nMessage;  // WM_*
  UINT nCode;     // notification code of WM_COMMAND (BN_CLICKED, CBN_SELCHANGE)
  UINT nID;       // control id of WM_COMMAND, 0 otherwise
  AFX_PMSG pfn;   // nullptr ends the table
};

struct AFX_MSGMAP {
  const AFX_MSGMAP* (*pfnGetBaseMap)();
  const AFX_MSGMAP_ENTRY* lpEntries;
};

// The root of message routing: an object with a message map.
class CCmdTarget {
 public:
  virtual ~CCmdTarget() = default;
  // Looks the message up in this class's map, then in its bases'; runs the first
  // entry found and returns TRUE, or returns FALSE when no map has one.
  BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
  // Is there an entry for the message (without running it)?
  BOOL HasHandler(UINT message, UINT code = 0, UINT id = 0) const;

 protected:
  static const AFX_MSGMAP* GetThisMessageMap();
  virtual const AFX_MSGMAP* GetMessageMap() const;
};

#define DECLARE_MESSAGE_MAP()                   \
 protected:                                     \
  static const AFX_MSGMAP* GetThisMessageMap(); \
  const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                    \
  const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
  const AFX_MSGMAP* theClass::GetThisMessageMap() {                               \
    using ThisClass [[maybe_unused]] = theClass;                                  \
    using TheBaseClass = baseClass;                                               \
    static const AFX_MSGMAP_ENTRY _messageEntries[] = {

#define END_MESSAGE_MAP()                                                          \
      {0, 0, 0, nullptr}};                                                         \
    static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap,        \
                                          &_messageEntries[0]};                    \
    return &messageMap;                                                            \
  }

#define AFX_MSG_THUNK(call)                                             \
  [](CCmdTarget* afxTarget, WPARAM, LPARAM) -> LRESULT {                \
    static_cast<ThisClass*>(afxTarget)->call;                           \
    return 0;                                                           \
  }

#define ON_WM_PAINT() {WM_PAINT, 0, 0, AFX_MSG_THUNK(OnPaint())},
#define ON_WM_DESTROY() {WM_DESTROY, 0, 0, AFX_MSG_THUNK(OnDestroy())},
#define ON_WM_QUERYDRAGICON()                                                      \
  {WM_QUERYDRAGICON, 0, 0, [](CCmdTarget* afxTarget, WPARAM, LPARAM) -> LRESULT { \
     return reinterpret_cast<LRESULT>(static_cast<ThisClass*>(afxTarget)->OnQueryDragIcon()); }},
// afx_msg void OnDropFiles(HDROP hDropInfo): the files come in wParam.
#define ON_WM_DROPFILES()                                                          \
  {WM_DROPFILES, 0, 0, [](CCmdTarget* afxTarget, WPARAM wParam, LPARAM) -> LRESULT { \
     static_cast<ThisClass*>(afxTarget)->OnDropFiles(reinterpret_cast<HDROP>(wParam)); \
     return 0; }},
#define ON_COMMAND(id, memberFxn) {WM_COMMAND, 0, static_cast<UINT>(id), AFX_MSG_THUNK(memberFxn())},
#define ON_BN_CLICKED(id, memberFxn) {WM_COMMAND, BN_CLICKED, static_cast<UINT>(id), AFX_MSG_THUNK(memberFxn())},
#define ON_CBN_SELCHANGE(id, memberFxn) {WM_COMMAND, CBN_SELCHANGE, static_cast<UINT>(id), AFX_MSG_THUNK(memberFxn())},
