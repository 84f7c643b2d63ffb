#include "export/TextWriter.h"

void TextWriter::AddField(std::string_view text) {
  if (m_fields++ > 0) m_line += m_format.separator;
  if (m_format.quote) m_line += '"';
  m_line += text;
  if (m_format.quote) m_line += '"';
}

bool TextWriter::EndRecord() {
  if (m_line.empty()) return false;
  Emit();
  ++m_records;
  return true;
}

void TextWriter::Emit() {
  m_encoded.clear();
  m_encoder.Append(m_line, &m_encoded);
  m_encoded += "\r\n";
  m_file.Write(m_encoded.data(), m_encoded.size());
}
