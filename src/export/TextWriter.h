// The delimited text of the export file: fields joined by the separator, each
// wrapped in double quotes when asked (nothing inside is escaped or doubled), CR LF
// after every line, the line converted to the output code page. A record whose
// line comes out empty is left out entirely. The command line may ask instead for
// RFC 4180's quoting and for LF line ends.
//
// Complete lines wait in a buffer of at most 64 KiB and are written when it is
// full and on Flush(): no line waits for the end of the run, and one write call
// carries hundreds of lines. When the file fails (a full disk takes part of a
// buffer, or reports at the flush to disk that it lost some), it is cut back to
// the end of the last whole line known to be in it, so it never ends mid-line.
#pragma once
#include <cstring>
#include <string>
#include <string_view>
#include <vector>
#include "export/TargetFile.h"
#include "export/TextEncoder.h"

// How a binary value (OLE Object, Binary) is written. The window refuses it, as
// VariantChangeType does (kFail); the command line writes it.
enum class BinaryForm { kFail, kBase64, kHex, kSkip };

struct TextFormat {
  std::string separator;  // between neighbouring fields only
  bool quote = false;     // every field, header names included, between '"'
  bool header = false;    // a first line of column names
  // RFC 4180 instead of `quote`: a field (a header name too) goes between '"' only
  // when it holds the separator, a '"', CR or LF, and a '"' inside is doubled; a
  // record of one empty field is written as "" rather than left out, so that no
  // record is lost. The window never sets it.
  bool csv = false;
  std::string lineEnd = "\r\n";  // after every line
  std::string charset{};          // the output character set; empty: the locale's
  // The command line's own choices; the window leaves them as they are here.
  bool json = false;                  // one JSON object a record (JSON Lines), no header
  BinaryForm binary = BinaryForm::kFail;
  std::string nullText{};             // a NULL's text in the window's format and CSV
  bool strict = false;                // a character the output set lacks fails the run
};

class TextWriter {
 public:
  static constexpr size_t kBufferSize = 64 * 1024;

  TextWriter(const TextFormat& format, TextEncoder& encoder, TargetFile& file);

  // One line is built field by field (UTF-8 texts), then ended as the header or
  // as a record. Inline: the export adds every value of a table so.
  void BeginLine() { m_used = 0; m_fields = 0; }
  // AddField in the window's format; AddCsvField when the format asks for csv.
  // Two calls, not one that asks: the export adds every value of a table, and
  // chooses once a record.
  void AddField(std::string_view text) {
    const size_t between = m_between.size();
    const bool quote = m_format.quote;
    if (m_line.size() - m_used < between + text.size() + 2) Grow(between + text.size() + 2);
    char* p = m_line.data() + m_used;
    if (m_fields++ == 0) {
      if (quote) *p++ = '"';
    } else if (between == 1 || between == 2) {  // a comma or a tab, and the quote that may follow
      p[0] = m_between[0];
      p[1] = m_between[between - 1];
      p += between;
    } else {
      std::memcpy(p, m_between.data(), between);
      p += between;
    }
    if (!text.empty()) std::memcpy(p, text.data(), text.size());
    p += text.size();
    if (quote) *p++ = '"';
    m_used = static_cast<size_t>(p - m_line.data());
  }
  void AddCsvField(std::string_view text);
  // Either of the two, as the format asks: for the header line.
  void AddAnyField(std::string_view text) { m_csv ? AddCsvField(text) : AddField(text); }
  // The line as assembled so far (UTF-8), before it is converted.
  std::string_view Line() const { return std::string_view(m_line.data(), m_used); }
  // The header line is written even when it holds nothing but CR LF.
  void EndHeader() { Emit(false); }
  // Returns whether the record was written (and so counted).
  bool EndRecord();

  // Writes the lines that wait. Throws _com_error when the file refuses them; the
  // file is then cut back and closed, and the count holds only the records in it.
  void Flush();
  // Writes the lines that wait and closes the file, which flushes it to disk; a
  // failure there too cuts the file back and is thrown.
  void Close();

  long RecordLines() const { return m_records; }

 private:
  // Where a line ends in the file, counting the bytes still waiting, and the
  // record lines up to there.
  struct Mark {
    uint64_t end = 0;
    long records = 0;
  };

  void Emit(bool record);
  [[gnu::noinline]] void AppendOtherLineEnd();
  // Makes room for `bytes` more in the line.
  void Grow(size_t bytes);
  void WritePending(size_t bytes);
  // After a failure of the file: cuts it back to the last line end within the
  // bytes it holds soundly, and leaves the count at the records before that.
  void CutBack();

  const TextFormat& m_format;
  TextEncoder& m_encoder;
  TargetFile& m_file;
  const bool m_csv;
  const bool m_crlf;  // the line end is CR LF (else format.lineEnd)
  std::string m_between;  // what goes before every field but the first
  std::string m_csvSpecial;  // the bytes that make a field quoted under csv
  bool m_csvSpecialByte[256] = {};  // the same, by byte: one look a byte, no search
  std::vector<char> m_line;  // UTF-8, as assembled: the first m_used bytes
  size_t m_used = 0;
  std::string m_pending;  // whole lines in the output code page, not yet written
  int m_fields = 0;
  long m_records = 0;
  std::vector<Mark> m_lines;   // the lines in m_pending
  std::vector<Mark> m_writes;  // the ends of the writes not yet seen on the disk
  Mark m_onDisk;               // the end of the last write seen there
};
