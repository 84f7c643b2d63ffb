// How many records each table's definition records, for the progress line's
// "of how many": read from the definitions, not by counting rows.
#pragma once
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include "platform/ado/Ado.h"

class RecordedRows {
 public:
  // Reads the counts of every table; a failure leaves them unknown, since they
  // only measure progress.
  explicit RecordedRows(const _ConnectionPtr& connection);
  // The count of a table named as the list names it (without regard to ASCII
  // case, as Jet finds a table), or none.
  std::optional<uint64_t> Of(const std::string& table) const;

 private:
  std::map<std::string, uint64_t> m_rows;  // by the name in ASCII lower case
};
