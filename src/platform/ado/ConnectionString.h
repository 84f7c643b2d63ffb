// An OLE DB initialisation string: "key=value;" pairs. Keys are compared without
// regard to case and with surrounding blanks ignored; a value is everything after
// the key's first '=' up to the next ';', kept verbatim (blanks included). A piece
// without '=' after a pair is taken as that value's continuation, so a path that
// holds ';' still arrives whole. A value that starts with a quote (" or ', after
// blanks) is quoted, as OLE DB quotes: up to its closing quote, a doubled quote
// standing for one. Empty pieces are skipped; a key given twice keeps its last value.
#pragma once
#include <map>
#include <optional>
#include <string>

namespace ado {

class ConnectionString {
 public:
  static ConnectionString Parse(const std::string& text);
  // The value of a key (any case), or nothing when the key is absent.
  std::optional<std::string> Get(const std::string& key) const;

 private:
  std::map<std::string, std::string> m_values;  // keys lower-cased
};

// The value as a connection string holds it so that Parse gives it back exactly:
// quoted when it holds ';' or starts with a quote, else as it is.
std::string QuoteValue(const std::string& value);

// True when the Provider value names Jet OLE DB 4.0 ("Microsoft.Jet.OLEDB.4.0",
// any case, surrounding blanks ignored).
bool IsJetProvider(const std::string& provider);

}  // namespace ado
