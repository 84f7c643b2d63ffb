// Scripted answers for the program's modal boxes (the seam of platform/mfc/Modal.h).
// A test lists the boxes it expects, in order, with their answers; every box shown
// is recorded. A box of another kind than expected, or one more than the script
// holds, fails the test and is answered IDCANCEL at once, so nothing ever waits.
//
//   ModalScript script;
//   script.ExpectMessageBox(IDOK).OnShow([&](const ModalRequest&) {
//     statusBefore = dlg.GetDlgItemText(IDC_STATIC_STATUS, ...);
//   });
//   ... run the handler ...
//   EXPECT_EQ(script.Asked()[0].text, "文件无效！");
#pragma once
#include <functional>
#include <vector>

#include "platform/mfc/Modal.h"

class ModalScript {
 public:
  ModalScript();    // installs itself for every box from now on
  ~ModalScript();   // uninstalls; an expected box never shown fails the test

  ModalScript(const ModalScript&) = delete;
  ModalScript& operator=(const ModalScript&) = delete;

  ModalScript& ExpectMessageBox(int result = IDOK);
  // A file dialog answered with a path (IDOK), or cancelled when path is nullptr.
  ModalScript& ExpectFileOpen(const char* path);
  ModalScript& ExpectFileSave(const char* path);
  ModalScript& ExpectAbout();
  // The password box answered with a password (IDOK), or cancelled when it is nullptr.
  ModalScript& ExpectPassword(const char* password);
  // Runs when the box of the last Expect... is shown, before it is answered: the
  // place to look at the window as the user sees it behind the box.
  ModalScript& OnShow(std::function<void(const ModalRequest&)> observe);

  // Every box shown so far, in order (unexpected ones too).
  const std::vector<ModalRequest>& Asked() const { return m_asked; }
  // Expected boxes not shown yet.
  size_t Remaining() const { return m_expected.size() - m_next; }

 private:
  struct Step {
    ModalRequest::Kind kind;
    ModalAnswer answer;
    std::function<void(const ModalRequest&)> observe;
  };
  ModalScript& Expect(ModalRequest::Kind kind, ModalAnswer answer);
  ModalAnswer Answer(const ModalRequest& request);

  std::vector<Step> m_expected;
  size_t m_next = 0;
  std::vector<ModalRequest> m_asked;
  ModalHandler m_previous;
};
