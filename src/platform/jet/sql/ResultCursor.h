// The rows of one statement's result as the provider hands them out. The engine
// implements it; the provider's face (Provider.h) returns it to the ADO layer.
#pragma once
#include <string>
#include "platform/com/Variant.h"

namespace jet {

// The result of one statement, standing on its first row (or at its end).
class Cursor {
 public:
  virtual ~Cursor() = default;
  virtual int ColumnCount() const = 0;
  virtual const std::string& ColumnName(int col) const = 0;
  // The Access type of a column (an AccessType code), -1 where it is not known.
  virtual int ColumnType(int col) const {
    (void)col;
    return -1;
  }
  virtual bool Eof() const = 0;
  virtual void MoveNext() = 0;                 // throws _com_error
  virtual VARIANT Value(int col) const = 0;    // throws _com_error
  // The same value without a copy where the cursor holds it, valid until the
  // cursor moves: a large export reads every value so. This default holds a copy.
  virtual const VARIANT& ValueRef(int col) {
    m_held = Value(col);
    return m_held;
  }
  // Every column's value of the current row into out[0..ColumnCount()), each as
  // ValueRef gives it, in one call. This default asks ValueRef column by column.
  virtual void RowRefs(const VARIANT** out) {
    for (int col = 0; col < ColumnCount(); ++col) out[col] = &ValueRef(col);
  }

 private:
  VARIANT m_held;
};

}  // namespace jet
