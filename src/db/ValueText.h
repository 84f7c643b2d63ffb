// Column values as the grid and the export file show them.
#pragma once
#include "platform/com/Variant.h"
#include "platform/mfc/Afx.h"

// The value's text: a string as it is, anything else through VariantToText.
// A value without a text form (NULL, binary) raises the database error with the
// conversion's code; the table list relies on that for a NULL type or name.
CString ValueToText(const VARIANT& value);

// The text of a cell: NULL first becomes the empty text, then ValueToText.
CString CellText(const VARIANT& value);
