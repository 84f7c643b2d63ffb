// Prints every user table of an .mdb file as mdb-reader, a Jet reader independent of
// ours, reads it, in the canonical form kelvane_mdb_dump (tests/mdb_dump_main.cpp)
// prints with our reader:
//   node dump_testdata.js <file.mdb>
import MDBReader from "mdb-reader";
import { readFileSync } from "node:fs";
import { fileURLToPath } from "node:url";
import { plainDecimal } from "./dump.js";

const MS_PER_DAY = 86400000;
const DAY_ZERO_UNIX = 25569; // 1970/01/01 as a Jet day number

// JSON has no NaN, infinity or negative zero: kelvane_mdb_dump writes them as these strings.
function number(v) {
  if (Number.isNaN(v)) return "NaN";
  if (!Number.isFinite(v)) return v > 0 ? "Infinity" : "-Infinity";
  return Object.is(v, -0) ? "-0" : v;
}

function value(type, v) {
  if (v === null || v === undefined) return null;
  switch (type) {
    // mdb-reader maps the stored day number straight onto the time line (days before
    // 1899/12/30 too, where Access counts the time of day forward from a negative
    // day) and keeps whole milliseconds: back to the day number the same way.
    case "datetime": return number(v.getTime() / MS_PER_DAY + DAY_ZERO_UNIX);
    case "float": case "double": return number(v);
    case "currency": case "numeric": return plainDecimal(v);
    case "repid": return "{" + v.toUpperCase().replace(/[{}]/g, "") + "}";
    case "ole": case "binary": return Buffer.from(v).toString("hex");
    case "bigint": return String(v);
    default: return v;
  }
}

export function dumpTestdata(path) {
  const reader = new MDBReader(readFileSync(path));
  const tables = [];
  for (const name of reader.getTableNames({ normalTables: true, systemTables: false })) {
    const table = reader.getTable(name);
    const columns = table.getColumns().map((c) => ({ name: c.name, type: c.type }));
    const rows = table.getData().map((row) => columns.map((c) => value(c.type, row[c.name])));
    tables.push({ name, columns, rows });
  }
  return { tables };
}

if (process.argv[1] === fileURLToPath(import.meta.url)) {
  if (process.argv.length !== 3) {
    console.error("usage: node dump_testdata.js <file.mdb>");
    process.exit(2);
  }
  console.log(JSON.stringify(dumpTestdata(process.argv[2])));
}
