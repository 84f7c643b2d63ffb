// The export run once the connection is open: the statement's recordset, the
// target file (first touched only after the recordset opened, so a failure before
// leaves an existing target as it was), the header and one line per record, in the
// format's value forms: the window's texts (ValueText), CSV's that read back
// (CsvValue) or one JSON object a record (JsonValue), binary values as the format
// says. The dialog's "开始导出", kelvane-export and the benchmark run this same code.
#pragma once
#include <functional>
#include <string>
#include <vector>
#include "export/TargetFile.h"
#include "export/TextEncoder.h"
#include "export/TextWriter.h"
#include "platform/ado/Ado.h"

// Appends a record's field text: NULL is empty, a string is itself, anything else
// takes VariantToText's form; a value without one (binary) raises its code.
void AppendFieldText(const VARIANT& value, std::string* out);

class ExportRun {
 public:
  // source: the database file, which the target must never be.
  ExportRun(TextFormat format, std::string target, std::string source = std::string());

  // Opens the statement on the open connection and writes the file. Any failure
  // throws _com_error; the file is then already closed with the lines written so
  // far, and no longer held.
  void Run(const _ConnectionPtr& connection, _RecordsetPtr& recordset,
           const std::string& statement);

  // Writes to an open descriptor (standard output) instead of the named target;
  // see TargetFile::Adopt.
  void ToDescriptor(int fd) { m_fd = fd; }
  // The file is not waited for on disk at the end (TargetFile::DeferFlush): the
  // caller of many runs waits once for all of them.
  void DeferFlush() { m_deferFlush = true; }
  // Reads at most `records` records of the statement (the preview's first four).
  void LimitRecords(unsigned long records) { m_limit = records; }
  // The table the statement reads, named by a strict run's failure.
  void NameTable(std::string table) { m_table = std::move(table); }

  // Record lines written so far; the failure message names this plus 1.
  long RecordLines() const { return m_records; }
  // Characters the output character set could not hold, written as '?', once the
  // run has ended (or failed): the user is told how many.
  uint64_t ReplacedCharacters() const { return m_replaced; }
  // Whether the run's failure was the target file's, not the database's, and
  // whether the file was being created then (opened, locked, emptied) or written.
  enum class TargetFailure { None, Creating, Writing };
  TargetFailure TargetFailed() const { return m_targetFailure; }

  // Called during the run, every few hundred records, with RecordLines(): the
  // dialog shows the count and keeps its window alive. It must be cheap.
  void OnRecords(std::function<void(long)> hook) { m_onRecords = std::move(hook); }

 private:
  TextFormat m_format;
  std::string m_target;
  std::string m_source;
  int m_fd = -1;
  bool m_deferFlush = false;
  unsigned long m_limit = static_cast<unsigned long>(-1);
  long m_records = 0;
  uint64_t m_replaced = 0;
  TargetFailure m_targetFailure = TargetFailure::None;
  std::string m_table;
  void NoteTargetFailure(const TargetFileError& e);
  // Under format.strict: throws when the line holds a character the output set
  // cannot hold, naming the record and the column.
  void CheckWritable(TextEncoder& encoder, const TextWriter& writer, const FieldsPtr& fields,
                     const std::vector<const VARIANT*>& values, unsigned long record);
  std::function<void(long)> m_onRecords;
};
