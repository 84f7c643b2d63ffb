// The names of the ten values the dialog keeps between runs. They are the store's
// keys as earlier runs wrote them, so they never change.
#pragma once

namespace settings {

inline constexpr const char kUseSql[] = "isusesql";    // flag: SQL mode
inline constexpr const char kQuote[] = "opnsyh";       // flag: fields in double quotes
inline constexpr const char kHeader[] = "opnheader";   // flag: column header line
inline constexpr const char kMdbFile[] = "mdbfile";    // source database path
inline constexpr const char kSql[] = "mdbsql";         // the user's statement
inline constexpr const char kTable[] = "mdbtable";     // written only: never read back
inline constexpr const char kTxtFile[] = "txtfile";    // target text file path
inline constexpr const char kFields[] = "txtflds";     // export field list
inline constexpr const char kSepIndex[] = "opnsep";    // 0 comma, 1 tab, 2 custom
inline constexpr const char kUserSep[] = "usersep";    // the custom separator

}  // namespace settings
