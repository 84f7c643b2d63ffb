#include "export/TextWriter.h"

#include <algorithm>

TextWriter::TextWriter(const TextFormat& format, TextEncoder& encoder, TargetFile& file)
    : m_format(format), m_encoder(encoder), m_file(file), m_csv(format.csv),
      m_crlf(format.lineEnd == "\r\n"),
      m_between(format.separator + (format.quote && !format.csv ? "\"" : "")),
      m_csvSpecial(format.separator.size() == 1 ? "\"\r\n" + format.separator : "\"\r\n") {
  for (char c : m_csvSpecial) m_csvSpecialByte[static_cast<unsigned char>(c)] = true;
}

void TextWriter::AddCsvField(std::string_view text) {
  const std::string& sep = m_format.separator;
  bool special = false;
  for (char c : text) special |= m_csvSpecialByte[static_cast<unsigned char>(c)];
  const bool quoted = special || (sep.size() > 1 && text.find(sep) != std::string_view::npos);
  const size_t quotes = quoted ? static_cast<size_t>(std::count(text.begin(), text.end(), '"')) : 0;
  const size_t need = sep.size() + text.size() + quotes + 2;
  if (m_line.size() - m_used < need) Grow(need);
  char* p = m_line.data() + m_used;
  if (m_fields++ > 0) {
    std::memcpy(p, sep.data(), sep.size());
    p += sep.size();
  }
  if (!quoted) {
    if (!text.empty()) std::memcpy(p, text.data(), text.size());
    p += text.size();
  } else {
    *p++ = '"';
    for (char c : text) {
      if (c == '"') *p++ = '"';
      *p++ = c;
    }
    *p++ = '"';
  }
  m_used = static_cast<size_t>(p - m_line.data());
}

void TextWriter::Grow(size_t bytes) {
  m_line.resize(std::max(m_line.size() * 2, m_used + bytes));
}

bool TextWriter::EndRecord() {
  if (m_used == 0) {
    if (!m_csv) return false;
    // A lone empty field: in CSV an empty line is no record, "" is one.
    Grow(2);
    m_line[0] = m_line[1] = '"';
    m_used = 2;
  }
  Emit(true);
  return true;
}

void TextWriter::Emit(bool record) {
  const size_t start = m_pending.size();
  m_encoder.Append(std::string_view(m_line.data(), m_used), &m_pending);
  // The window's CR LF as two bytes stored in place: the other line end is
  // appended out of line, or the compiler would make both a call to append.
  if (m_crlf) m_pending += "\r\n";
  else AppendOtherLineEnd();
  // The lines gathered before this one go first when it would overfill the buffer.
  if (m_pending.size() > kBufferSize && start > 0) WritePending(start);
  if (record) ++m_records;
  m_lines.push_back({m_file.Written() + m_pending.size(), m_records});
  if (m_pending.size() >= kBufferSize) WritePending(m_pending.size());
}

// By the character: one more caller of the string's append would keep the compiler
// from building the CR LF above into Emit.
void TextWriter::AppendOtherLineEnd() {
  for (char c : m_format.lineEnd) m_pending.push_back(c);
}

void TextWriter::Flush() {
  if (!m_pending.empty()) WritePending(m_pending.size());
}

void TextWriter::Close() {
  Flush();
  try {
    m_file.Close();
  } catch (const _com_error&) {
    if (m_file.IsOpen()) CutBack();
    throw;
  }
}

// Writes the first `bytes` of the buffer, which end where a line ends.
void TextWriter::WritePending(size_t bytes) {
  try {
    m_file.Write(m_pending.data(), bytes);
  } catch (const _com_error&) {
    CutBack();
    throw;
  }
  m_pending.erase(0, bytes);
  // The lines written leave the waiting ones; the last of them marks where this
  // write ended, kept until the disk is seen to hold it.
  auto waiting = std::find_if(m_lines.begin(), m_lines.end(),
                              [&](const Mark& m) { return m.end > m_file.Written(); });
  m_writes.push_back(waiting[-1]);
  m_lines.erase(m_lines.begin(), waiting);
  auto unseen = std::find_if(m_writes.begin(), m_writes.end(),
                             [&](const Mark& m) { return m.end > m_file.Sound(); });
  if (unseen != m_writes.begin()) {
    m_onDisk = unseen[-1];
    m_writes.erase(m_writes.begin(), unseen);
  }
}

void TextWriter::CutBack() {
  Mark keep = m_onDisk;
  for (const std::vector<Mark>* marks : {&m_writes, &m_lines}) {
    for (const Mark& m : *marks) {
      if (m.end <= m_file.Sound()) keep = m;
    }
  }
  m_file.CutBack(keep.end);
  m_records = keep.records;
  m_pending.clear();
  m_lines.clear();
  m_writes.clear();
  m_onDisk = keep;
}
