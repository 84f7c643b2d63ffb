// Reads an .mdb file with mdb-reader, a Jet reader independent of ours, and prints
// its tables and rows as JSON in the form the fixture writer's expectation takes
// (tests/support/jetwriter/ExpectedJson.h), so the two compare value by value:
//   node dump.js <file.mdb> [table ...]
import MDBReader from "mdb-reader";
import { readFileSync } from "node:fs";
import { fileURLToPath } from "node:url";

const MS_PER_DAY = 86400000;
const DAY_ZERO_MS = -2209161600000; // 1899-12-30T00:00:00Z

// Currency as a string of ten-thousandths ("18.5000" -> "185000").
function currency(text) {
  const negative = text.startsWith("-");
  const [whole, fraction = ""] = text.replace("-", "").split(".");
  const units = BigInt(whole + fraction.padEnd(4, "0").slice(0, 4));
  return String(negative ? -units : units);
}

// A plain decimal without trailing zeros after the point, and no "-0".
export function plainDecimal(text) {
  let t = String(text);
  if (t.includes(".")) t = t.replace(/0+$/, "").replace(/\.$/, "");
  if (/^-0*$/.test(t)) t = "0";
  return t;
}

function value(type, v) {
  if (v === null || v === undefined) return null;
  switch (type) {
    case "bigint": return String(v);
    // mdb-reader reads attachments itself; no entries reads as [].
    case "complex": return v.length ? v.map((a) => a.name).join(", ") : null;
    case "datetime": return (v.getTime() - DAY_ZERO_MS) / MS_PER_DAY;
    case "currency": return currency(v);
    case "numeric": return plainDecimal(v);
    case "repid": return "{" + v.toUpperCase() + "}";
    case "ole": case "binary": return Buffer.from(v).toString("hex");
    default: return v;
  }
}

export function dump(path, only = []) {
  const reader = new MDBReader(readFileSync(path));
  const system = reader.getTableNames({ normalTables: false, systemTables: true });
  const names = reader.getTableNames({ normalTables: true, systemTables: true });
  const tables = [];
  for (const name of names) {
    if (only.length && !only.includes(name)) continue;
    const table = reader.getTable(name);
    const columns = table.getColumns().map((c) => ({ name: c.name, type: c.type }));
    // mdb-reader takes every complex column for attachments and fails on others
    // (multi-value): such a column reads as {unreadable: true}, to be resolved
    // through the hidden tables.
    const readable = columns.filter((c) => {
      if (c.type !== "complex") return true;
      try { table.getData({ columns: [c.name] }); return true; } catch { return false; }
    }).map((c) => c.name);
    const rows = table.getData({ columns: readable }).map((row) =>
      columns.map((c) => (readable.includes(c.name) ? value(c.type, row[c.name]) : { unreadable: true })));
    tables.push({ name, system: system.includes(name), columns, rows });
  }
  // The catalog itself: each object's id, name and type (1 table, 5 saved query).
  const catalog = reader.getTable("MSysObjects").getData({ columns: ["Id", "Name", "Type"] })
    .map((o) => ({ id: o.Id, name: o.Name, type: o.Type }));
  return { tables, systemTables: system, catalog };
}

if (process.argv[1] === fileURLToPath(import.meta.url)) {
  if (process.argv.length < 3) {
    console.error("usage: node dump.js <file.mdb> [table ...]");
    process.exit(2);
  }
  console.log(JSON.stringify(dump(process.argv[2], process.argv.slice(3)), null, 1));
}
