#include "platform/ado/JetRecordset.h"

#include <vector>

#include "platform/ado/JetConnection.h"
#include "platform/ado/SchemaRowsets.h"

namespace ado {
namespace {

bool SameNameIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

VARIANT CurrentValue(jet::Cursor& cursor, int col) {
  if (cursor.Eof()) Raise(adErrNoCurrentRecord);
  return CallProvider([&] { return cursor.Value(col); });
}

class JetField : public ADODB::Field {
 public:
  JetField(std::shared_ptr<RecordsetState> state, int generation, int col, std::string name)
      : m_state(std::move(state)), m_generation(generation), m_col(col), m_name(std::move(name)) {}
  std::string GetName() override { return m_name; }
  ADODB::DataTypeEnum GetType() override {
    const int type = m_state->Open(m_generation).ColumnType(m_col);
    if (type < 0) return ADODB::adVariant;
    if (type == static_cast<int>(jet::AccessType::DateTimeExtended)) return ADODB::adDBTimeStamp;
    return static_cast<ADODB::DataTypeEnum>(OleDbType(static_cast<jet::AccessType>(type)));
  }
  VARIANT GetValue() override { return CurrentValue(m_state->Open(m_generation), m_col); }
  const VARIANT& PeekValue() override {
    jet::Cursor& cursor = m_state->Open(m_generation);
    if (cursor.Eof()) Raise(adErrNoCurrentRecord);
    return CallProvider([&]() -> const VARIANT& { return cursor.ValueRef(m_col); });
  }

 private:
  std::shared_ptr<RecordsetState> m_state;
  int m_generation;
  int m_col;
  std::string m_name;
};

// The collection of one open; it makes each Field once, as the record loop asks
// for the same columns on every record.
class JetFields : public ADODB::Fields {
 public:
  JetFields(std::shared_ptr<RecordsetState> state, int generation, int count)
      : m_state(std::move(state)), m_generation(generation), m_count(count),
        m_items(static_cast<size_t>(count)) {}
  long GetCount() override { return m_count; }
  FieldPtr GetItem(long index) override {
    if (index < 0 || index >= m_count) Raise(adErrItemNotFound);
    jet::Cursor& cursor = m_state->Open(m_generation);
    FieldPtr& item = m_items[static_cast<size_t>(index)];
    if (!item) {
      int col = static_cast<int>(index);
      item = FieldPtr(std::make_shared<JetField>(m_state, m_generation, col, cursor.ColumnName(col)));
    }
    return item;
  }
  void PeekValues(const VARIANT** out) override {
    jet::Cursor& cursor = m_state->Open(m_generation);
    if (cursor.Eof()) Raise(adErrNoCurrentRecord);
    CallProvider([&] { cursor.RowRefs(out); });
  }
  int generation() const { return m_generation; }

 private:
  std::shared_ptr<RecordsetState> m_state;
  int m_generation;
  int m_count;
  std::vector<FieldPtr> m_items;
};

}  // namespace

jet::Cursor& RecordsetState::Open(int ofGeneration) {
  if (!IsOpen() || (ofGeneration >= 0 && ofGeneration != generation)) Raise(adErrObjectClosed);
  return *cursor;
}

void JetRecordset::Open(const std::string& source, const _ConnectionPtr& activeConnection,
                        ADODB::CursorTypeEnum, ADODB::LockTypeEnum, long) {
  if (m_state->IsOpen()) Raise(adErrObjectOpen);
  auto* connection = dynamic_cast<JetConnection*>(activeConnection.get());
  std::shared_ptr<Session> session = connection ? connection->session() : nullptr;
  if (!session) Raise(adErrInvalidConnection);
  std::unique_ptr<jet::Cursor> cursor = CallProvider([&] { return session->database->Execute(source); });
  if (!cursor) Raise(E_FAIL);
  OpenOver(std::move(session), std::move(cursor));
}

void JetRecordset::OpenOver(std::shared_ptr<Session> session, std::unique_ptr<jet::Cursor> cursor) {
  m_state->session = std::move(session);
  m_state->cursor = std::move(cursor);
  ++m_state->generation;
}

bool JetRecordset::GetadoEOF() { return m_state->Open().Eof(); }

void JetRecordset::MoveNext() {
  jet::Cursor& cursor = m_state->Open();
  if (cursor.Eof()) Raise(adErrNoCurrentRecord);
  CallProvider([&] { cursor.MoveNext(); });
}

VARIANT JetRecordset::GetCollect(const std::string& columnName) {
  jet::Cursor& cursor = m_state->Open();
  for (int col = 0; col < cursor.ColumnCount(); ++col) {
    if (SameNameIgnoringCase(cursor.ColumnName(col), columnName)) return CurrentValue(cursor, col);
  }
  Raise(adErrItemNotFound);
}

FieldsPtr JetRecordset::GetFields() {
  auto* cached = static_cast<JetFields*>(m_fields.get());
  if (!cached || cached->generation() != m_state->generation) {
    int count = m_state->IsOpen() ? m_state->cursor->ColumnCount() : 0;
    m_fields = FieldsPtr(std::make_shared<JetFields>(m_state, m_state->generation, count));
  }
  return m_fields;
}

void JetRecordset::Close() {
  m_state->Open();
  m_state->cursor.reset();
  m_state->session.reset();
  ++m_state->generation;
}

}  // namespace ado
