// The delimited text of the export file: fields joined by the separator, each
// wrapped in double quotes when asked (nothing inside is escaped or doubled), CR LF
// after every line, the line converted to the output code page and written at once
// with its own write. A record whose line comes out empty is left out entirely.
#pragma once
#include <string>
#include <string_view>
#include "export/TargetFile.h"
#include "export/TextEncoder.h"

struct TextFormat {
  std::string separator;  // between neighbouring fields only
  bool quote = false;     // every field, header names included, between '"'
  bool header = false;    // a first line of column names
};

class TextWriter {
 public:
  TextWriter(const TextFormat& format, TextEncoder& encoder, TargetFile& file)
      : m_format(format), m_encoder(encoder), m_file(file) {}

  // One line is built field by field, then ended as the header or as a record.
  void BeginLine() { m_line.clear(); m_fields = 0; }
  void AddField(std::string_view text);
  // The header line is written even when it holds nothing but CR LF.
  void EndHeader() { Emit(); }
  // Returns whether the record was written (and so counted).
  bool EndRecord();

  long RecordLines() const { return m_records; }

 private:
  void Emit();

  const TextFormat& m_format;
  TextEncoder& m_encoder;
  TargetFile& m_file;
  std::string m_line;     // UTF-8, as assembled
  std::string m_encoded;  // the same line in the output code page
  int m_fields = 0;
  long m_records = 0;
};
