// ADO's Recordset over a provider cursor, with its Fields and Field. The three
// share one state, so a Field read after its recordset closed (or its connection
// did) fails with adErrObjectClosed as in ADO.
#pragma once
#include <memory>
#include <string>

#include "platform/ado/Ado.h"
#include "platform/ado/Session.h"

namespace ado {

struct RecordsetState {
  std::shared_ptr<Session> session;
  std::unique_ptr<jet::Cursor> cursor;
  int generation = 0;  // counts opens and closes: a Field of an earlier open is stale

  bool IsOpen() const { return cursor && session && session->open; }
  // The cursor of an open recordset, or adErrObjectClosed.
  jet::Cursor& Open(int ofGeneration = -1);
};

class JetRecordset : public ADODB::_Recordset {
 public:
  JetRecordset() : m_state(std::make_shared<RecordsetState>()) {}
  // Runs the statement on the connection's database. Closed connection, or one
  // not made by this layer: adErrInvalidConnection; already open: adErrObjectOpen.
  void Open(const std::string& source, const _ConnectionPtr& activeConnection, ADODB::CursorTypeEnum cursorType,
            ADODB::LockTypeEnum lockType, long options) override;
  bool GetadoEOF() override;
  // At the end: adErrNoCurrentRecord.
  void MoveNext() override;
  // Column by name without regard to (ASCII) case; unknown: adErrItemNotFound.
  VARIANT GetCollect(const std::string& columnName) override;
  // A closed recordset has an empty collection, as in ADO.
  FieldsPtr GetFields() override;
  void Close() override;

  // Opens over a cursor the provider made (the schema rowsets).
  void OpenOver(std::shared_ptr<Session> session, std::unique_ptr<jet::Cursor> cursor);

 private:
  std::shared_ptr<RecordsetState> m_state;
  FieldsPtr m_fields;  // the collection of the current open, made on first request
};

}  // namespace ado
