// The two kinds of .accdb column mdb-reader does not read as Access shows them, read
// here from what mdb-reader does read:
// - multi-value, attachment and version-history columns: the row holds a key, the
//   entries are rows of a hidden flat table (MSysComplexColumns names it). mdb-reader
//   reads attachments only, so the key is read with the column's type byte set to
//   Long in a copy of the file, and the entries are the flat table's rows as
//   mdb-reader reads them: their values' texts (an attachment's file name) joined by
//   ", ", null without any.
// - calculated columns: the row holds the last result wrapped (16 bytes, its length,
//   the result, 3 bytes), which mdb-reader reads as a plain value. It is read as binary
//   the same way, unwrapped, and the result decoded by its length and the column's type.
import MDBReader from "mdb-reader";
import { uncompressText } from "./node_modules/mdb-reader/lib/node/unicodeCompression.js";

const PAGE = 4096;

// The columns of a table definition (its first page) with where each entry lies.
function columnEntries(buf, page) {
  const at = page * PAGE;
  if (buf[at] !== 0x02) throw new Error(`page ${page} holds no table definition`);
  const count = buf.readUInt16LE(at + 45);
  let pos = at + 63 + 12 * buf.readUInt32LE(at + 51);
  const entries = [];
  for (let i = 0; i < count; ++i, pos += 25) entries.push({ at: pos, type: buf[pos], more: buf[pos + 16], size: buf.readUInt16LE(pos + 23) });
  for (const e of entries) {
    const len = buf.readUInt16LE(pos);
    e.name = uncompressText(buf.subarray(pos + 2, pos + 2 + len), { textEncoding: "ucs-2" });
    pos += 2 + len;
  }
  if (pos > at + PAGE) throw new Error(`table definition on page ${page} goes on: not handled here`);
  return entries;
}

function textOf(v) {
  if (v === null || v === undefined) return null;
  if (typeof v === "string") return v;
  if (typeof v === "number" || typeof v === "bigint") return String(v);
  throw new Error(`entry value ${v} has no text here`);
}

// Complex id -> key -> joined text.
function complexEntries(reader, objects) {
  const byId = new Map();
  for (const c of reader.getTable("MSysComplexColumns").getData()) {
    const flatName = objects.get(c.FlatTableID & 0xffffff);
    const flat = reader.getTable(flatName);
    const names = flat.getColumnNames();
    const key = names.find((n) => n.startsWith("_"));
    const value = names.includes("FileName") ? "FileName" : names.find((n) => !n.endsWith(key));
    const texts = new Map();
    for (const row of flat.getData()) {
      const t = textOf(row[value]);
      if (t === null) continue;
      texts.set(row[key], texts.has(row[key]) ? texts.get(row[key]) + ", " + t : t);
    }
    byId.set(c.ComplexID, texts);
  }
  return byId;
}

// "1.274130e-10" -> "0.0000000001274130".
function plain(text) {
  const m = /^(-?)(\d+)(?:\.(\d+))?(?:e([+-]\d+))?$/.exec(text);
  let digits = m[2] + (m[3] ?? ""), point = m[2].length + Number(m[4] ?? 0);
  if (point <= 0) [digits, point] = ["0".repeat(1 - point) + digits, 1];
  return m[1] + digits.padEnd(point, "0").slice(0, point) + "." + digits.slice(point);
}

// A calculated result in the column's type, in the dump's canonical form.
function calculated(type, wrapped, decimal) {
  if (wrapped === null) return null;
  const len = wrapped.readUInt32LE(16);
  const d = wrapped.subarray(20, 20 + len);
  if (type === "text" || type === "memo") return uncompressText(d, { textEncoding: "ucs-2" });
  if (len === 0) return null;
  let n; // { int } | { real } | { cy } | { dec: [BigInt magnitude, scale] }
  const integer = ["byte", "integer", "long", "bigint", "boolean"].includes(type);
  if (len === 1) n = { int: type === "byte" ? d.readUInt8(0) : d.readInt8(0) };
  else if (len === 2) n = { int: d.readInt16LE(0) };
  else if (len === 4) n = integer ? { int: d.readInt32LE(0) } : { real: d.readFloatLE(0), single: true };
  else if (len === 8) {
    const real = d.readDoubleLE(0);
    const subnormal = real !== 0 && Math.abs(real) < 2.2250738585072014e-308;
    if (integer) n = { int: Number(d.readBigInt64LE(0)) };
    else if (type === "currency" || Number.isNaN(real) || subnormal) n = { cy: d.readBigInt64LE(0) };
    else n = { real };
  } else if (len === 16) {
    const magnitude = (BigInt(d.readUInt32LE(4)) << 64n) | d.readBigUInt64LE(8);
    n = { dec: [(d[3] & 0x80 ? -1n : 1n) * magnitude, d[2]] };
  } else throw new Error(`calculated result of ${len} bytes`);
  const asNumber = () => n.int ?? n.real ?? (n.cy !== undefined ? Number(n.cy) / 10000 : Number(n.dec[0]) / 10 ** n.dec[1]);
  const fixed = (units, scale) => {
    const neg = units < 0n, s = (neg ? -units : units).toString().padStart(scale + 1, "0");
    return decimal(`${neg ? "-" : ""}${s.slice(0, s.length - scale)}.${s.slice(s.length - scale)}`);
  };
  switch (type) {
    case "currency": return fixed(n.cy ?? BigInt(Math.round(asNumber() * 10000)), 4);
    case "numeric":
      if (n.dec) return fixed(n.dec[0], n.dec[1]);
      if (n.cy !== undefined) return fixed(n.cy, 4);
      return decimal(n.int !== undefined ? String(n.int) : plain(n.real.toPrecision(n.single ? 7 : 15)));
    case "float": return Math.fround(asNumber());
    case "byte": case "integer": case "long": return n.int ?? Math.round(asNumber());
    case "bigint": return String(n.int ?? Math.round(asNumber()));
    case "boolean": return asNumber() !== 0;
    default: return asNumber();
  }
}

// Reads table `name` of the file in `buf` as mdb-reader does, its complex and
// calculated columns as above. Returns { columns, rows } with rows of values already
// in the dump's canonical form by `value(type, v)`.
export function readAccdbTable(buf, reader, name, value, decimal) {
  const objects = new Map(reader.getTable("MSysObjects").getData({ columns: ["Id", "Name", "Type"] })
    .filter((o) => o.Type === 1).map((o) => [o.Id & 0xffffff, o.Name]));
  const page = [...objects].find(([, n]) => n === name)[0];
  const special = columnEntries(buf, page).filter((e) => e.type === 0x12 || (e.more & 0xc0) === 0xc0);
  const table = reader.getTable(name);
  const columns = table.getColumns().map((c) => ({ name: c.name, type: c.type }));
  const rows = table.getData({ columns: columns.filter((c) => !special.some((s) => s.name === c.name)).map((c) => c.name) });
  if (special.length === 0) return { columns, rows: rows.map((r) => columns.map((c) => value(c.type, r[c.name]))) };

  const patched = Buffer.from(buf);
  for (const s of special) patched[s.at] = s.type === 0x12 ? 0x04 : s.type === 0x0a && s.size === 0 ? 0x0b : 0x09;
  const raw = new MDBReader(patched).getTable(name).getData({ columns: special.map((s) => s.name) });
  const complex = special.some((s) => s.type === 0x12) ? complexEntries(reader, objects) : null;
  return {
    columns,
    rows: rows.map((r, i) => columns.map((c) => {
      const s = special.find((e) => e.name === c.name);
      if (!s) return value(c.type, r[c.name]);
      const v = raw[i][c.name];
      if (s.type !== 0x12) return calculated(c.type, v, decimal);
      const id = patched.readUInt32LE(s.at + 11);
      return v === null ? null : complex.get(id)?.get(v) ?? null;
    })),
  };
}
