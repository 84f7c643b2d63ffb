// The database a command works on, open for the command's length: the frame every
// operation of the window runs in (COM initialised, the Connection made by class
// id and opened with the Jet provider's string, a Recordset by ProgID for each
// statement), closed and released on every way out.
#pragma once
#include <string>
#include "platform/ado/Ado.h"

class Database {
 public:
  // Throws _com_error with the provider's description of what is wrong (a file
  // that cannot be read and why, no Access database, a password, damage).
  explicit Database(const std::string& path);
  ~Database();
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  const _ConnectionPtr& Connection() const { return m_connection; }
  // A fresh Recordset for one statement.
  _RecordsetPtr NewRecordset();
  // Closes the connection, checked, at the end of a command that went well.
  void Close();

 private:
  _ConnectionPtr m_connection;
};
