#include "export/ExportRun.h"

#include <vector>

void AppendFieldText(const VARIANT& value, std::string* out) {
  if (value.vt == VT_NULL) return;
  if (value.vt == VT_BSTR) {
    out->append(value.bstrVal);
    return;
  }
  std::string text;
  HRESULT hr = VariantToText(value, &text);
  if (FAILED(hr)) throw _com_error(hr);
  out->append(text);
}

ExportRun::ExportRun(TextFormat format, std::string target, std::string source)
    : m_format(std::move(format)), m_target(std::move(target)), m_source(std::move(source)) {}

void ExportRun::Run(const _ConnectionPtr& connection, _RecordsetPtr& recordset,
                    const std::string& statement) {
  m_records = 0;
  recordset->Open(statement, connection, ADODB::adOpenStatic, ADODB::adLockOptimistic,
                  ADODB::adCmdText);
  // The column count, read once, fixes the number of fields of every line.
  FieldsPtr fields = recordset->GetFields();
  const long count = fields->GetCount();

  // Local, so that a failure closes it (and releases the lock) on the way out,
  // before the failure box is shown.
  TargetFile file;
  file.Open(m_target, m_source);
  TextEncoder encoder;
  TextWriter writer(m_format, encoder, file);

  if (m_format.header) {
    writer.BeginLine();
    for (long i = 0; i < count; ++i) writer.AddField(fields->GetItem(i)->GetName());
    writer.EndHeader();
  }

  std::string text;
  for (unsigned long rows = 1; !recordset->GetadoEOF(); ++rows) {
    writer.BeginLine();
    FieldsPtr row = recordset->GetFields();
    for (long j = 0; j < count; ++j) {
      text.clear();
      AppendFieldText(row->GetItem(j)->GetValue(), &text);
      writer.AddField(text);
    }
    if (writer.EndRecord()) m_records = writer.RecordLines();
    if (rows % 256 == 0 && m_onRecords) m_onRecords(m_records);
    recordset->MoveNext();
  }
  file.Close();
}
