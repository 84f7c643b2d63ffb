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

function same(type, want, got) {
  if (want === null || got === null) return want === got;
  if (type === "datetime") return Math.abs(want - got) * 86400000 < 0.5; // mdb-reader keeps milliseconds
  if (type === "numeric") return plainDecimal(want) === got;
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
      if (!same(c.type, want.rows[r][i], got.rows[r][i]))
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
