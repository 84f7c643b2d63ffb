// Prints every user table of an .mdb or .accdb file as mdb-reader, a Jet reader
// independent of ours, reads it, in the canonical form kelvane_mdb_dump
// (tests/mdb_dump_main.cpp) prints with our reader:
//   node dump_testdata.js <file.mdb or .accdb>
import MDBReader from "mdb-reader";
import { readFileSync } from "node:fs";
import { fileURLToPath } from "node:url";
import { plainDecimal } from "./dump.js";
import { readAccdbTable } from "./accdb_columns.js";

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
    case "datetimextended": return extendedDate(v);
    default: return v;
  }
}

// mdb-reader's Date/Time Extended text ("yyyy.MM.dd HH:mm:ss.fffffffff") as our reader
// hands the value out: a date where VT_DATE holds it (years 100 on, whole seconds),
// printed as the dump prints dates, else the text down to 100 ns.
function extendedDate(text) {
  const [, y, mo, d, h, mi, s, f] = /^(\d+)\.(\d+)\.(\d+) (\d+):(\d+):(\d+)\.(\d+)$/.exec(text);
  const fraction = f.padEnd(9, "0").slice(0, 7).replace(/0+$/, "");
  if (Number(y) >= 100 && fraction === "") {
    const day = new Date(0);
    day.setUTCFullYear(Number(y), Number(mo) - 1, Number(d));
    const index = day.getTime() / MS_PER_DAY + DAY_ZERO_UNIX;
    const time = (Number(h) * 3600 + Number(mi) * 60 + Number(s)) / 86400;
    const date = index >= 0 ? index + time : index - time;
    return number(Math.round((date - DAY_ZERO_UNIX) * MS_PER_DAY) / MS_PER_DAY + DAY_ZERO_UNIX);
  }
  return `${y.padStart(4, "0")}/${Number(mo)}/${Number(d)} ${Number(h)}:${mi}:${s}` + (fraction ? "." + fraction : "");
}

export function dumpTestdata(path) {
  const buf = readFileSync(path);
  const reader = new MDBReader(buf);
  const tables = [];
  for (const name of reader.getTableNames({ normalTables: true, systemTables: false })) {
    if (path.endsWith(".accdb")) {
      tables.push({ name, ...readAccdbTable(buf, reader, name, value, plainDecimal) });
      continue;
    }
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
