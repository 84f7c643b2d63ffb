#include "support/ModalScript.h"

#include <gtest/gtest.h>

namespace {
const char* KindName(ModalRequest::Kind k) {
  switch (k) {
    case ModalRequest::MessageBox: return "message box";
    case ModalRequest::FileOpen: return "open file dialog";
    case ModalRequest::FileSave: return "save file dialog";
    case ModalRequest::Password: return "password box";
    default: return "about box";
  }
}
}  // namespace

ModalScript::ModalScript() {
  m_previous = AfxSetModalHandler([this](const ModalRequest& r) { return Answer(r); });
}

ModalScript::~ModalScript() {
  AfxSetModalHandler(std::move(m_previous));
  for (size_t i = m_next; i < m_expected.size(); ++i)
    ADD_FAILURE() << "expected " << KindName(m_expected[i].kind) << " #" << i + 1
                  << " was never shown";
}

ModalScript& ModalScript::Expect(ModalRequest::Kind kind, ModalAnswer answer) {
  m_expected.push_back(Step{kind, std::move(answer), {}});
  return *this;
}

ModalScript& ModalScript::ExpectMessageBox(int result) {
  ModalAnswer a;
  a.result = result;
  return Expect(ModalRequest::MessageBox, a);
}

ModalScript& ModalScript::ExpectFileOpen(const char* path) {
  ModalAnswer a;
  a.result = path ? IDOK : IDCANCEL;
  a.path = path;
  return Expect(ModalRequest::FileOpen, a);
}

ModalScript& ModalScript::ExpectFileSave(const char* path) {
  ModalAnswer a;
  a.result = path ? IDOK : IDCANCEL;
  a.path = path;
  return Expect(ModalRequest::FileSave, a);
}

ModalScript& ModalScript::ExpectPassword(const char* password) {
  ModalAnswer a;
  a.result = password ? IDOK : IDCANCEL;
  a.password = password;
  return Expect(ModalRequest::Password, a);
}

ModalScript& ModalScript::ExpectAbout() {
  ModalAnswer a;
  a.result = IDOK;
  return Expect(ModalRequest::About, a);
}

ModalScript& ModalScript::OnShow(std::function<void(const ModalRequest&)> observe) {
  if (m_expected.empty())
    ADD_FAILURE() << "OnShow needs an Expect... before it";
  else
    m_expected.back().observe = std::move(observe);
  return *this;
}

ModalAnswer ModalScript::Answer(const ModalRequest& request) {
  m_asked.push_back(request);
  ModalAnswer refuse;  // IDCANCEL, no path
  if (m_next >= m_expected.size()) {
    ADD_FAILURE() << "unexpected " << KindName(request.kind) << " (caption \""
                  << request.caption.GetString() << "\"): \"" << request.text.GetString() << "\"";
    return refuse;
  }
  Step& step = m_expected[m_next++];
  if (step.kind != request.kind) {
    ADD_FAILURE() << "expected " << KindName(step.kind) << ", got " << KindName(request.kind)
                  << ": \"" << request.text.GetString() << "\"";
    return refuse;
  }
  if (step.observe) step.observe(request);
  return step.answer;
}
