// ADO as the program calls it: Connection, Recordset, Fields, Field behind smart
// pointers shaped like the #import wrappers. Every failing call throws _com_error;
// using an empty reference throws _com_error(E_POINTER). Text is UTF-8.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>
#include "platform/com/ComError.h"
#include "platform/com/Variant.h"

struct GUID {
  uint32_t Data1; uint16_t Data2; uint16_t Data3; uint8_t Data4[8];
  bool operator==(const GUID&) const = default;
};
using CLSID = GUID;
using IID = GUID;

namespace ADODB {

enum CursorTypeEnum { adOpenForwardOnly = 0, adOpenKeyset = 1, adOpenDynamic = 2, adOpenStatic = 3 };
enum LockTypeEnum { adLockReadOnly = 1, adLockPessimistic = 2, adLockOptimistic = 3 };
enum CommandTypeEnum { adCmdText = 1 };
enum ConnectOptionEnum { adConnectUnspecified = -1 };
// A Field's type: OLE DB's DBTYPE codes. The provider's Date/Time Extended values,
// beyond a VT_DATE's reach, are adDBTimeStamp; a type it does not know, adVariant.
enum DataTypeEnum : int { adDate = 7, adVariant = 12, adDBTimeStamp = 135 };
enum SchemaEnum {
  adSchemaColumns = 4, adSchemaIndexes = 12, adSchemaProcedures = 16, adSchemaStatistics = 19,
  adSchemaTables = 20, adSchemaViews = 23, adSchemaForeignKeys = 27, adSchemaPrimaryKeys = 28
};

// The published identities; creation goes through the one factory (ComFactory.h).
extern const CLSID CLSID_Connection;   // {00000514-0000-0010-8000-00AA006D2EA4}
extern const IID IID__Connection;      // {00000550-0000-0010-8000-00AA006D2EA4}
extern const CLSID CLSID_Recordset;    // {00000535-0000-0010-8000-00AA006D2EA4}
extern const IID IID__Recordset;       // {00000556-0000-0010-8000-00AA006D2EA4}

class _Connection;
class _Recordset;
class Fields;
class Field;

}  // namespace ADODB

// A counted reference to an ADO object, empty or holding one reference.
template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  explicit ComPtr(std::shared_ptr<T> p) : m_p(std::move(p)) {}
  // Creation by class id or by ProgID ("ADODB.Recordset"); returns the factory's code
  // and leaves the reference empty on failure.
  HRESULT CreateInstance(const CLSID& clsid);
  HRESULT CreateInstance(const char* progId);
  void Release() { m_p.reset(); }
  T* operator->() const { if (!m_p) throw _com_error(E_POINTER); return m_p.get(); }
  explicit operator bool() const { return static_cast<bool>(m_p); }
  T* get() const { return m_p.get(); }
 private:
  std::shared_ptr<T> m_p;
};

using _ConnectionPtr = ComPtr<ADODB::_Connection>;
using _RecordsetPtr = ComPtr<ADODB::_Recordset>;
using FieldsPtr = ComPtr<ADODB::Fields>;
using FieldPtr = ComPtr<ADODB::Field>;

namespace ADODB {

class _Connection {
 public:
  virtual ~_Connection() = default;
  // Parsed as OLE DB does: key=value; pairs, keys without regard to case;
  // Provider must name Jet OLE DB 4.0; Data source is the path, verbatim.
  virtual void PutConnectionString(const std::string& s) = 0;
  virtual std::string GetConnectionString() = 0;
  virtual void Open(const std::string& connectionString, const std::string& userId,
                    const std::string& password, long options) = 0;
  // Missing restrictions / schema id are VARIANT::Missing().
  virtual _RecordsetPtr OpenSchema(SchemaEnum schema, const VARIANT& restrictions = VARIANT::Missing(),
                                   const VARIANT& schemaId = VARIANT::Missing()) = 0;
  virtual void Close() = 0;
  // Not ADO's own: a forward-only Recordset over a table's rows in the order a
  // scan reads them, multi-value and attachment columns as their keys (the
  // schema's JET_ENTRIES_KEY), as the entries' own table holds them.
  virtual _RecordsetPtr OpenTableKeys(const std::string& table) {
    (void)table;
    throw _com_error(E_FAIL);
  }
  // Not ADO's own: called now and then while a statement of the open connection
  // runs one long step (the sort before the first row of a big ORDER BY), as the
  // export calls its window between rows. It must not throw; empty stops the calls.
  virtual void WhileStepping(std::function<void()> alive) { (void)alive; }
  // Not ADO's own (ADO gives a Command its Parameters): the values, as Jet literals
  // by parameter name, of the parameters the saved queries read by this
  // connection's statements ask for, at any depth. Kept for later opens.
  virtual void PutParameterValues(std::vector<std::pair<std::string, std::string>> values) { (void)values; }
};

class _Recordset {
 public:
  virtual ~_Recordset() = default;
  virtual void Open(const std::string& source, const _ConnectionPtr& activeConnection,
                    CursorTypeEnum cursorType, LockTypeEnum lockType, long options) = 0;
  virtual bool GetadoEOF() = 0;
  virtual void MoveNext() = 0;
  virtual VARIANT GetCollect(const std::string& columnName) = 0;
  virtual FieldsPtr GetFields() = 0;
  virtual void Close() = 0;
};

class Fields {
 public:
  virtual ~Fields() = default;
  virtual long GetCount() = 0;
  virtual FieldPtr GetItem(long index) = 0;  // 0-based
  // Not ADO's own: GetItem(j)->PeekValue() of every column j of the current
  // record into out[0..GetCount()), in one call, each valid as PeekValue's. The
  // export reads every record of a table so.
  virtual void PeekValues(const VARIANT** out);

 private:
  std::vector<FieldPtr> m_peeking;  // the default's Fields, which hold its values
};

class Field {
 public:
  virtual ~Field() = default;
  virtual std::string GetName() = 0;
  virtual DataTypeEnum GetType() { return adVariant; }
  virtual VARIANT GetValue() = 0;
  // Not ADO's own: the current value where the recordset holds it, without a copy,
  // valid until the recordset moves or closes. The export reads every value of a
  // table through it. This default holds a copy.
  virtual const VARIANT& PeekValue() {
    m_peeked = GetValue();
    return m_peeked;
  }

 private:
  VARIANT m_peeked;
};

// A Field follows the current record: each is fetched once.
inline void Fields::PeekValues(const VARIANT** out) {
  const long count = GetCount();
  for (long j = static_cast<long>(m_peeking.size()); j < count; ++j) m_peeking.push_back(GetItem(j));
  for (long j = 0; j < count; ++j) out[j] = &m_peeking[static_cast<size_t>(j)]->PeekValue();
}

}  // namespace ADODB
