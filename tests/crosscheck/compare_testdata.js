// Compares two canonical dumps of one file (kelvane_mdb_dump's and dump_testdata.js's)
// value by value and lists where they differ: table, row, column, both values.
//   node compare_testdata.js <label> <ours.json> <mdb-reader.json>
// Exits 1 on any difference.
import { readFileSync } from "node:fs";

const [label, oursPath, theirsPath] = process.argv.slice(2);
const ours = JSON.parse(readFileSync(oursPath, "utf8"));
const theirs = JSON.parse(readFileSync(theirsPath, "utf8"));
const problems = [];
let more = 0;
const say = (text) => { if (problems.length < 30) problems.push(text); else ++more; };
const show = (v) => { const s = JSON.stringify(v); return s.length > 100 ? s.slice(0, 97) + "..." : s; };
const key = (row) => JSON.stringify(row);

const names = (d) => d.tables.map((t) => t.name).sort();
if (key(names(ours)) !== key(names(theirs)))
  say(`user tables: ours ${show(names(ours))}, mdb-reader ${show(names(theirs))}`);

let values = 0;
for (const mine of ours.tables) {
  const other = theirs.tables.find((t) => t.name === mine.name);
  if (!other) continue;
  const where = `table ${mine.name}`;
  if (key(mine.columns) !== key(other.columns)) {
    say(`${where}: columns ours ${show(mine.columns)}, mdb-reader ${show(other.columns)}`);
    continue;
  }
  if (mine.rows.length !== other.rows.length)
    say(`${where}: ours ${mine.rows.length} rows, mdb-reader ${other.rows.length}`);
  // Rows compare in scan order. A row that grew past its page's room moves to another
  // page and leaves a pointer in its place; we read it at the pointer, mdb-reader where
  // it lies, so such a table would have to be compared as a multiset of rows. In the
  // files here only a system table (nwind's MSysObjects) holds moved rows, so the
  // order of user tables' rows is held to as well.
  const a = mine.rows, b = other.rows;
  const n = Math.min(a.length, b.length);
  for (let r = 0; r < n; ++r) {
    mine.columns.forEach((c, i) => {
      ++values;
      if (key(a[r][i]) !== key(b[r][i]))
        say(`${where} row ${r} column ${c.name} (${c.type}): ours ${show(a[r][i])}, mdb-reader ${show(b[r][i])}`);
    });
  }
}

if (problems.length) {
  console.log(`${label}: ${problems.length + more} difference(s)`);
  for (const p of problems) console.log("  " + p);
  if (more) console.log(`  ... and ${more} more`);
  process.exit(1);
}
console.log(`${label}: ${ours.tables.length} tables, ${values} values read alike`);
