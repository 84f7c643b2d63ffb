#include "export/ExportRun.h"

#include <vector>
#include "export/BinaryText.h"
#include "export/CsvValue.h"
#include "export/JsonValue.h"
#include "platform/com/Causes.h"

void AppendFieldText(const VARIANT& value, std::string* out) {
  if (value.vt == VT_NULL) return;
  HRESULT hr = AppendVariantText(value, out);
  if (FAILED(hr)) throw _com_error(hr);
}

namespace {

bool IsBinary(const VARIANT& value) { return value.vt == (VT_ARRAY | VT_UI1); }

// A binary value in the form the format names; false to leave the field empty
// (skip). The window's rule refuses it with the conversion's code.
bool PutBinary(const VARIANT& value, BinaryForm form, std::string* out) {
  out->clear();
  switch (form) {
    case BinaryForm::kBase64: AppendBase64(value.parray, out); return true;
    case BinaryForm::kHex: AppendHex(value.parray, out); return true;
    case BinaryForm::kSkip: return false;
    case BinaryForm::kFail: break;
  }
  throw _com_error(DISP_E_TYPEMISMATCH);
}

// A field's text as the line's next field, without a copy of its own where it
// can: in the window's format (its value texts) or as CSV (values that read back).
template <bool kCsv>
void AddFieldText(const VARIANT& value, const TextFormat& format, TextWriter& writer, std::string& scratch) {
  auto add = [&writer](std::string_view text) { kCsv ? writer.AddCsvField(text) : writer.AddField(text); };
  if (value.vt == VT_BSTR) return add(value.bstrVal);
  if (value.vt == VT_NULL) return add(format.nullText);
  if (IsBinary(value)) {
    PutBinary(value, format.binary, &scratch);
    return add(scratch);
  }
  char text[kVariantTextMax > kCsvTextMax ? kVariantTextMax : kCsvTextMax];
  char* end = text;
  HRESULT hr = kCsv ? PutCsvText(value, text, &end) : PutVariantText(value, text, &end);
  if (FAILED(hr)) throw _com_error(hr);
  add(std::string_view(text, static_cast<size_t>(end - text)));
}

// A Date/Time Extended value that came as its text (extended: the column's type
// says so), in ISO 8601 into *iso; false for any other value.
bool ExtendedDateText(const VARIANT& value, char extended, std::string* iso) {
  if (!extended || value.vt != VT_BSTR) return false;
  iso->clear();
  return AppendIsoExtendedDate(value.bstrVal, false, iso);
}

// A record as one JSON object, keyed by column name ("\"name\":" ready in keys).
void AddJsonRecord(const std::vector<const VARIANT*>& values, const std::vector<std::string>& keys,
                   const std::vector<char>& extended, const TextFormat& format, TextWriter& writer,
                   std::string& line, std::string& scratch) {
  line.assign(1, '{');
  for (size_t i = 0; i < values.size(); ++i) {
    const VARIANT& value = *values[i];
    if (IsBinary(value) || ExtendedDateText(value, extended[i], &scratch)) {
      if (IsBinary(value) && !PutBinary(value, format.binary, &scratch)) continue;
      if (line.size() > 1) line.push_back(',');
      line += keys[i];
      AppendJsonString(scratch, &line);
      continue;
    }
    if (line.size() > 1) line.push_back(',');
    line += keys[i];
    const HRESULT hr = AppendJsonValue(value, &line);
    if (FAILED(hr)) throw _com_error(hr);
  }
  line.push_back('}');
  writer.AddField(line);
}

// The first character of utf8 that the encoder's set cannot hold, or empty.
std::string FirstUnwritable(TextEncoder& encoder, std::string_view utf8) {
  std::string probe;
  for (size_t i = 0; i < utf8.size();) {
    size_t n = 1;
    while (i + n < utf8.size() && (static_cast<unsigned char>(utf8[i + n]) & 0xC0) == 0x80) ++n;
    const uint64_t before = encoder.Replaced();
    probe.clear();
    encoder.Append(utf8.substr(i, n), &probe);
    if (encoder.Replaced() != before) return std::string(utf8.substr(i, n));
    i += n;
  }
  return std::string();
}

}  // namespace

ExportRun::ExportRun(TextFormat format, std::string target, std::string source)
    : m_format(std::move(format)), m_target(std::move(target)), m_source(std::move(source)) {}

void ExportRun::CheckWritable(TextEncoder& encoder, const TextWriter& writer, const FieldsPtr& fields,
                              const std::vector<const VARIANT*>& values, unsigned long record) {
  const uint64_t before = encoder.Replaced();
  std::string probe;
  encoder.Append(writer.Line(), &probe);
  if (encoder.Replaced() == before) return;
  // Which column: only text can hold what the set lacks (numbers, dates and
  // binary forms are ASCII); else the separator or the NULL text did.
  std::string column, character;
  for (size_t i = 0; i < values.size() && character.empty(); ++i) {
    const VARIANT& v = *values[i];
    character = FirstUnwritable(encoder, v.vt == VT_BSTR ? std::string_view(v.bstrVal)
                                         : v.vt == VT_NULL ? std::string_view(m_format.nullText)
                                                           : std::string_view());
    if (!character.empty()) column = fields->GetItem(static_cast<long>(i))->GetName();
  }
  if (character.empty()) character = FirstUnwritable(encoder, writer.Line());
  throw _com_error(HRESULT_FROM_WIN32(1113),  // ERROR_NO_UNICODE_TRANSLATION
                   UnwritableCharacterCause(m_table, static_cast<long>(record), column, character, encoder.charset()));
}

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
    // Date/Time Extended columns, whose values beyond a VT_DATE come as text.
    std::vector<char> extended(static_cast<size_t>(count), 0);
    if (m_format.csv || m_format.json) {
      for (long i = 0; i < count; ++i) extended[static_cast<size_t>(i)] = fields->GetItem(i)->GetType() == ADODB::adDBTimeStamp;
    }
    std::vector<std::string> keys;
    if (m_format.json) {
      for (long i = 0; i < count; ++i) {
        keys.emplace_back();
        AppendJsonString(fields->GetItem(i)->GetName(), &keys.back());
        keys.back().push_back(':');
      }
    }
    std::string line, scratch;
    for (unsigned long rows = 1; rows <= m_limit && !recordset->GetadoEOF(); ++rows) {
      writer.BeginLine();
      // Fields.Item(j).Value of every column j, as the recordset holds them, in
      // one call; each value's text goes straight into the line.
      fields->PeekValues(values.data());
      try {
        if (m_format.json) {
          AddJsonRecord(values, keys, extended, m_format, writer, line, scratch);
        } else if (m_format.csv) {
          for (size_t i = 0; i < values.size(); ++i) {
            if (ExtendedDateText(*values[i], extended[i], &scratch)) writer.AddCsvField(scratch);
            else AddFieldText<true>(*values[i], m_format, writer, scratch);
          }
        } else {
          for (const VARIANT* value : values) AddFieldText<false>(*value, m_format, writer, scratch);
        }
      } catch (const _com_error& e) {
        // A value with no written form (binary under the window's rule, a date
        // outside the calendar): the column is named.
        if ((e.Error() != DISP_E_TYPEMISMATCH && e.Error() != E_INVALIDARG) || !e.Description().empty()) throw;
        long column = 0;
        char text[kVariantTextMax];
        char* end = text;
        while (column + 1 < count && !IsBinary(*values[static_cast<size_t>(column)]) &&
               PutVariantText(*values[static_cast<size_t>(column)], text, &end) != E_INVALIDARG)
          ++column;
        const std::string name = fields->GetItem(column)->GetName();
        throw _com_error(e.Error(), e.Error() == E_INVALIDARG ? ValueOutOfRangeCause(m_table, name)
                                                              : BinaryValueCause(m_table, name));
      }
      if (m_format.strict) CheckWritable(encoder, writer, fields, values, rows);
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
