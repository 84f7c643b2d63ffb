// The two kinds of .accdb column mdb-reader does not read as Access shows them, read
// here from what mdb-reader does read, in a copy of the file whose column type byte
// says Long (complex columns: the row's key) or binary (calculated columns: the
// wrapped result):
// - multi-value, attachment and version-history columns: the entries are the rows of
//   the hidden flat table MSysComplexColumns names, keyed by "_<column>"; the value is
//   their texts (an attachment's FileName) joined by ", ", null without any.
// - calculated columns: 16 bytes, the result's length, the result (typed as the
//   expression made it), 3 bytes; the result is turned into the column's type.
import MDBReader from "mdb-reader";
import { uncompressText } from "./node_modules/mdb-reader/lib/node/unicodeCompression.js";

const text = (b) => uncompressText(b, { textEncoding: "ucs-2" });

// The column entries of a Jet 4 table definition's first page, with their names.
function columnEntries(buf, page) {
  const at = page * 4096;
  let pos = at + 63 + 12 * buf.readUInt32LE(at + 51);
  const entries = [];
  for (let i = buf.readUInt16LE(at + 45); i > 0; --i, pos += 25)
    entries.push({ at: pos, type: buf[pos], calculated: (buf[pos + 16] & 0xc0) === 0xc0, size: buf.readUInt16LE(pos + 23) });
  for (const e of entries) {
    const len = buf.readUInt16LE(pos);
    e.name = text(buf.subarray(pos + 2, pos + 2 + len));
    pos += 2 + len;
  }
  if (buf[at] !== 0x02 || pos > at + 4096) throw new Error(`table definition on page ${page}: not read here`);
  return entries;
}

// Complex id -> key -> joined text.
function complexEntries(reader, tables) {
  const byId = new Map();
  for (const c of reader.getTable("MSysComplexColumns").getData()) {
    const flat = reader.getTable(tables.get(c.FlatTableID & 0xffffff));
    const names = flat.getColumnNames();
    const key = names.find((n) => n.startsWith("_"));
    const value = names.includes("FileName") ? "FileName" : names.find((n) => !n.endsWith(key));
    const texts = new Map();
    for (const row of flat.getData()) {
      if (row[value] === null) continue;
      const t = String(row[value]);
      texts.set(row[key], texts.has(row[key]) ? texts.get(row[key]) + ", " + t : t);
    }
    byId.set(c.ComplexID, texts);
  }
  return byId;
}

// "1.274130e-10" -> "0.0000000001274130".
function plain(t) {
  const m = /^(-?)(\d+)(?:\.(\d+))?(?:e([+-]\d+))?$/.exec(t);
  let digits = m[2] + (m[3] ?? ""), point = m[2].length + Number(m[4] ?? 0);
  if (point <= 0) [digits, point] = ["0".repeat(1 - point) + digits, 1];
  return m[1] + digits.padEnd(point, "0").slice(0, point) + "." + digits.slice(point);
}

// A calculated result in the column's type, in the dump's canonical form. Integers
// come as 1, 2 or 4 bytes, a Single as 4, a Double or Currency as 8 (a Currency read as
// a double is a NaN or subnormal), a Decimal as a VARIANT DECIMAL of 16.
function calculated(type, wrapped, decimal) {
  if (wrapped === null) return null;
  const d = wrapped.subarray(20, 20 + wrapped.readUInt32LE(16));
  if (type === "text" || type === "memo") return text(d);
  const integer = ["byte", "integer", "long"].includes(type);
  let n = null, real = null, units = null, scale = 4; // integer | real | units / 10^scale
  if (d.length === 1) n = d.readInt8(0);
  else if (d.length === 2) n = d.readInt16LE(0);
  else if (d.length === 4 && integer) n = d.readInt32LE(0);
  else if (d.length === 4) real = d.readFloatLE(0);
  else if (d.length === 8) {
    real = d.readDoubleLE(0);
    if (type === "currency" || Number.isNaN(real) || (real !== 0 && Math.abs(real) < 2.2250738585072014e-308))
      [real, units] = [null, d.readBigInt64LE(0)];
  } else if (d.length === 16) {
    units = ((BigInt(d.readUInt32LE(4)) << 64n) | d.readBigUInt64LE(8)) * (d[3] & 0x80 ? -1n : 1n);
    scale = d[2];
  } else throw new Error(`calculated result of ${d.length} bytes`);
  const fixed = (u, s) => {
    const digits = (u < 0n ? -u : u).toString().padStart(s + 1, "0");
    return decimal(`${u < 0n ? "-" : ""}${digits.slice(0, digits.length - s)}.${digits.slice(digits.length - s)}`);
  };
  if (type === "currency")
    return fixed(d.length === 8 ? units : BigInt(Math.round((n ?? real ?? Number(units) / 10 ** scale) * 10000)), 4);
  if (type === "numeric")
    return units !== null ? fixed(units, scale) : decimal(n !== null ? String(n) : plain(real.toPrecision(d.length === 4 ? 7 : 15)));
  const value = n ?? real ?? Number(units) / 10 ** scale;
  return integer ? Math.round(value) : value;
}

// Table `name` as mdb-reader reads it, its complex and calculated columns as above:
// { columns, rows } with each value in the dump's form by `value(type, v)`.
export function readAccdbTable(buf, reader, name, value, decimal) {
  const tables = new Map(reader.getTable("MSysObjects").getData({ columns: ["Id", "Name", "Type"] })
    .filter((o) => o.Type === 1).map((o) => [o.Id & 0xffffff, o.Name]));
  const page = [...tables].find(([, n]) => n === name)[0];
  const special = columnEntries(buf, page).filter((e) => e.type === 0x12 || e.calculated);
  const table = reader.getTable(name);
  const columns = table.getColumns().map((c) => ({ name: c.name, type: c.type }));
  const rows = table.getData({ columns: columns.filter((c) => !special.some((s) => s.name === c.name)).map((c) => c.name) });
  const patched = Buffer.from(buf);
  for (const s of special) patched[s.at] = s.type === 0x12 ? 0x04 : s.type === 0x0a && s.size === 0 ? 0x0b : 0x09;
  const raw = special.length ? new MDBReader(patched).getTable(name).getData({ columns: special.map((s) => s.name) }) : [];
  const complex = special.some((s) => s.type === 0x12) ? complexEntries(reader, tables) : null;
  return {
    columns,
    rows: rows.map((r, i) => columns.map((c) => {
      const s = special.find((e) => e.name === c.name);
      if (!s) return value(c.type, r[c.name]);
      const v = raw[i][c.name];
      if (s.type !== 0x12) return calculated(c.type, v, decimal);
      return v === null ? null : complex.get(patched.readUInt32LE(s.at + 11))?.get(v) ?? null;
    })),
  };
}
