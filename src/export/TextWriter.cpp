#include "export/TextWriter.h"

TextWriter::TextWriter(const TextFormat& format, TextEncoder& encoder, TargetFile& file)
    : m_format(format), m_encoder(encoder), m_file(file),
      m_between(format.separator + (format.quote ? "\"" : "")) {}

std::string* TextWriter::BeginField() {
  if (m_fields++ == 0) {
    if (m_format.quote) m_line.push_back('"');
  } else if (m_between.size() == 1) {  // a comma or a tab, most often
    m_line.push_back(m_between[0]);
  } else {
    m_line.append(m_between);
  }
  return &m_line;
}

bool TextWriter::EndRecord() {
  if (m_line.empty()) return false;
  Emit(true);
  return true;
}

void TextWriter::Emit(bool record) {
  const size_t start = m_pending.size();
  m_encoder.Append(m_line, &m_pending);
  m_pending += "\r\n";
  // The lines gathered before this one go first when it would overfill the buffer.
  if (m_pending.size() > kBufferSize && start > 0) WritePending(start);
  if (record) {
    ++m_records;
    ++m_pendingRecords;
  }
  if (m_pending.size() >= kBufferSize) WritePending(m_pending.size());
}

void TextWriter::Flush() {
  if (!m_pending.empty()) WritePending(m_pending.size());
}

// Writes the first `bytes` of the buffer, which hold its m_pendingRecords records.
void TextWriter::WritePending(size_t bytes) {
  try {
    m_file.Write(m_pending.data(), bytes);
  } catch (const _com_error&) {
    m_records -= m_pendingRecords;
    m_pendingRecords = 0;
    m_pending.clear();
    throw;
  }
  m_pending.erase(0, bytes);
  m_pendingRecords = 0;
}
