#include "export/ExportRun.h"

#include <vector>

void AppendFieldText(const VARIANT& value, std::string* out) {
  if (value.vt == VT_NULL) return;
  HRESULT hr = AppendVariantText(value, out);
  if (FAILED(hr)) throw _com_error(hr);
}

namespace {

// AppendFieldText's text as the line's next field, without a copy of its own,
// in the window's format or as CSV.
template <bool kCsv>
void AddFieldText(const VARIANT& value, TextWriter& writer) {
  auto add = [&writer](std::string_view text) { kCsv ? writer.AddCsvField(text) : writer.AddField(text); };
  if (value.vt == VT_BSTR) return add(value.bstrVal);
  if (value.vt == VT_NULL) return add({});
  char text[kVariantTextMax];
  char* end = text;
  HRESULT hr = PutVariantText(value, text, &end);
  if (FAILED(hr)) throw _com_error(hr);
  add(std::string_view(text, static_cast<size_t>(end - text)));
}

}  // namespace

ExportRun::ExportRun(TextFormat format, std::string target, std::string source)
    : m_format(std::move(format)), m_target(std::move(target)), m_source(std::move(source)) {}

void ExportRun::NoteTargetFailure(const TargetFileError& e) {
  m_targetFailure = e.Creating() ? TargetFailure::Creating : TargetFailure::Writing;
}

void ExportRun::Run(const _ConnectionPtr& connection, _RecordsetPtr& recordset,
                    const std::string& statement) {
  m_records = 0;
  m_targetFailure = TargetFailure::None;
  // A single step of the statement can run long (the sort of a big ORDER BY before
  // its first row): the window is kept alive through it as between records.
  struct SteppingHook {
    const _ConnectionPtr& connection;
    ~SteppingHook() {
      if (connection) connection->WhileStepping({});
    }
  } stepping{connection};
  if (m_onRecords && connection) connection->WhileStepping([this] { m_onRecords(m_records); });
  recordset->Open(statement, connection, ADODB::adOpenStatic, ADODB::adLockOptimistic,
                  ADODB::adCmdText);
  // The column count, read once, fixes the number of fields of every line.
  FieldsPtr fields = recordset->GetFields();
  const long count = fields->GetCount();

  // Local, so that a failure closes it (and releases the lock) on the way out,
  // before the failure box is shown.
  TargetFile file;
  try {
    if (m_fd >= 0) file.Adopt(m_fd);
    else file.Open(m_target, m_source);
    if (m_deferFlush) file.DeferFlush();
  } catch (const TargetFileError& e) {
    NoteTargetFailure(e);
    throw;
  }
  TextEncoder encoder(m_format.charset.empty() ? TextEncoder::OutputCharset() : m_format.charset);
  TextWriter writer(m_format, encoder, file);
  // However the run ends, the count of '?' written is kept for the caller.
  struct KeepReplaced {
    const TextEncoder& encoder;
    uint64_t* count;
    ~KeepReplaced() { *count = encoder.Replaced(); }
  } keepReplaced{encoder, &m_replaced};

  try {
    if (m_format.header) {
      writer.BeginLine();
      for (long i = 0; i < count; ++i) writer.AddAnyField(fields->GetItem(i)->GetName());
      writer.EndHeader();
    }

    std::vector<const VARIANT*> values(static_cast<size_t>(count));
    for (unsigned long rows = 1; rows <= m_limit && !recordset->GetadoEOF(); ++rows) {
      writer.BeginLine();
      // Fields.Item(j).Value of every column j, as the recordset holds them, in
      // one call; each value's text goes straight into the line.
      fields->PeekValues(values.data());
      if (m_format.csv) {
        for (const VARIANT* value : values) AddFieldText<true>(*value, writer);
      } else {
        for (const VARIANT* value : values) AddFieldText<false>(*value, writer);
      }
      if (writer.EndRecord()) m_records = writer.RecordLines();
      if (rows % 256 == 0 && m_onRecords) m_onRecords(rows);
      recordset->MoveNext();
    }
    writer.Close();
  } catch (const TargetFileError& e) {
    NoteTargetFailure(e);
    m_records = writer.RecordLines();
    throw;
  } catch (...) {
    // The complete lines reach the file before the failure is reported, so it
    // holds exactly the records before the one that failed; a file that fails
    // itself has been cut back to its last whole line.
    try {
      writer.Flush();
    } catch (const TargetFileError& e) {
      NoteTargetFailure(e);
      m_records = writer.RecordLines();
      throw;
    }
    m_records = writer.RecordLines();
    throw;
  }
  m_records = writer.RecordLines();
}
