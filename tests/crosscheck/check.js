// Compares what mdb-reader finds in a fixture file with what the writer was asked
// to write (the JSON that kelvane_make_fixture --expect wrote):
//   node check.js <file.mdb> <expected.json>
// Exits 1 and lists the differences when they differ.
import { readFileSync } from "node:fs";
import { dump, plainDecimal } from "./dump.js";

const [file, expectedPath] = process.argv.slice(2);
const expected = JSON.parse(readFileSync(expectedPath, "utf8"));
const actual = dump(file);
const problems = [];
const say = (text) => { if (problems.length < 20) problems.push(text); else problems.length++; };
const show = (v) => { const s = JSON.stringify(v); return s.length > 80 ? s.slice(0, 77) + "..." : s; };

// A complex column's entries as its hidden table holds them: the table that
// MSysComplexColumns names for the column, its rows whose "_<column>" is the key,
// their values (attachments: file names) joined by ", ".
function hiddenEntries(table, column, key) {
  const tableId = actual.catalog.find((o) => o.name === table && o.type === 1)?.id;
  const links = actual.tables.find((t) => t.name === "MSysComplexColumns");
  const field = (t, row, name) => row[t.columns.findIndex((c) => c.name === name)];
  const link = links?.rows.find((r) => field(links, r, "ColumnName") === column &&
                                       field(links, r, "ConceptualTableID") === tableId);
  const flatName = link && actual.catalog.find((o) => o.id === field(links, link, "FlatTableID"))?.name;
  const flat = actual.tables.find((t) => t.name === flatName);
  if (!flat) return "no hidden table";
  const entry = flat.columns.some((c) => c.name === "FileName") ? "FileName" : "Value";
  const texts = flat.rows.filter((r) => field(flat, r, "_" + column) === key).map((r) => field(flat, r, entry));
  return texts.length ? texts.join(", ") : null;
}

// A calculated text as Access frames it (16 bytes, the length, the text, 3 bytes),
// taken back from the UTF-16 mdb-reader decoded the frame as, and unframed.
function calculatedText(got) {
  const raw = Buffer.from(got, "utf16le");
  const data = raw.subarray(20, 20 + raw.readUInt32LE(16));
  if (data[0] !== 0xff || data[1] !== 0xfe) return data.toString("utf16le");
  let text = "", wide = false;  // Jet's compressed form: 0x00 switches one/two bytes
  for (let i = 2; i < data.length;) {
    if (data[i] === 0) { wide = !wide; ++i; continue; }
    text += String.fromCharCode(wide ? data.readUInt16LE(i) : data[i]);
    i += wide ? 2 : 1;
  }
  return text;
}

// "yyyy-mm-dd hh:mm:ss.fffffff" as mdb-reader writes a Date/Time Extended.
const extendedText = (t) => {
  const [date, time] = t.split(" ");
  const [clock, fraction = ""] = time.split(".");
  return `${date.replaceAll("-", ".")} ${clock}.${fraction.padEnd(9, "0")}`;
};

function same(type, want, got, table, column, calculated) {
  if (type === "complex") {
    const hidden = hiddenEntries(table, column, want.key);
    return hidden === want.text && (got?.unreadable || got === want.text);
  }
  if (want === null || got === null) return want === got;
  if (calculated) return type === "text" || type === "memo" ? calculatedText(got) === want : true;
  if (type === "datetime") return Math.abs(want - got) * 86400000 < 0.5; // mdb-reader keeps milliseconds
  if (type === "numeric") return plainDecimal(want) === got;
  if (type === "datetimextended") return extendedText(want) === got;
  return want === got;
}

const userNames = (list) => list.filter((t) => !t.system).map((t) => t.name);
if (show(userNames(expected.tables)) !== show(userNames(actual.tables)))
  say(`user tables: want ${show(userNames(expected.tables))}, got ${show(userNames(actual.tables))}`);
const wantSystem = [...expected.systemTables, ...expected.tables.filter((t) => t.system).map((t) => t.name)];
if (show([...wantSystem].sort()) !== show([...actual.systemTables].sort()))
  say(`system tables: want ${show(wantSystem)}, got ${show(actual.systemTables)}`);

const typeOf = (name) => actual.catalog.find((o) => o.name === name)?.type;
for (const q of expected.queries)
  if (typeOf(q) !== 5) say(`query ${q}: catalog type ${typeOf(q)}, want 5`);
for (const t of expected.tables)
  if (typeOf(t.name) !== 1) say(`table ${t.name}: catalog type ${typeOf(t.name)}, want 1`);

let values = 0;
for (const want of expected.tables) {
  const got = actual.tables.find((t) => t.name === want.name);
  if (!got) { say(`table ${want.name}: missing`); continue; }
  if (show(want.columns) !== show(got.columns))
    say(`table ${want.name}: columns want ${show(want.columns)}, got ${show(got.columns)}`);
  if (want.rows.length !== got.rows.length)
    say(`table ${want.name}: ${want.rows.length} rows wanted, ${got.rows.length} read`);
  if (want.unordered) { // rows moved to overflow pages are read where they lie
    const key = (row) => JSON.stringify(row);
    want.rows.sort((a, b) => (key(a) < key(b) ? -1 : 1));
    got.rows.sort((a, b) => (key(a) < key(b) ? -1 : 1));
  }
  const n = Math.min(want.rows.length, got.rows.length);
  for (let r = 0; r < n; ++r) {
    want.columns.forEach((c, i) => {
      ++values;
      const calculated = want.calculated?.includes(c.name);
      if (!same(c.type, want.rows[r][i], got.rows[r][i], want.name, c.name, calculated))
        say(`table ${want.name} row ${r} column ${c.name}: want ${show(want.rows[r][i])}, got ${show(got.rows[r][i])}`);
    });
  }
}

if (problems.length) {
  console.log(`${file}: ${problems.length} difference(s)`);
  for (const p of problems) if (p) console.log("  " + p);
  process.exit(1);
}
console.log(`${file}: ${expected.tables.length} tables, ${values} values read back alike`);
