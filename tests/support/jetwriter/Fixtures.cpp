// The ready-made fixtures of JetWriter.h. Every generator is a pure function of the
// row number, so tests regenerate the values they expect to read back.
#include <cstdio>
#include <string>
#include "support/JetWriter.h"

namespace jetwriter {

using T = jet::AccessType;

static std::string Repeat(const std::string& s, size_t times) {
  std::string out;
  for (size_t i = 0; i < times; ++i) out += s;
  return out;
}

static std::vector<uint8_t> Bytes(size_t n, uint8_t seed) {
  std::vector<uint8_t> b(n);
  for (size_t i = 0; i < n; ++i) b[i] = uint8_t(seed + i * 7 + (i >> 8));
  return b;
}

static Table AllTypes() {
  Table t;
  t.name = "AllTypes";
  t.columns = {{"Text", T::Text, 100},    {"Memo", T::Memo},
               {"Byte", T::Byte},         {"Integer", T::Integer},
               {"Long", T::LongInteger},  {"Single", T::Single},
               {"Double", T::Double},     {"Currency", T::Currency},
               {"Date", T::DateTime},     {"YesNo", T::Boolean},
               {"Guid", T::ReplicationId}, {"Decimal", T::Decimal, 255, 18, 4},
               {"Ole", T::OleObject},     {"Binary", T::Binary, 50}};
  t.rowCount = 6;
  t.row = [](uint64_t r, std::vector<VARIANT>& v) {
    switch (r) {
      case 0:  // ordinary values, a short memo kept in the row
        v = {VARIANT::Str("hello"), VARIANT::Str("short memo"), Ui1(7), I2(-1234),
             VARIANT::I4(123456789), R4(1.5f), VARIANT::R8(3.141592653589793), Cy(185000),
             Date(DayNumber(2024, 3, 15, 13, 45, 30)), VARIANT::Bool(true),
             VARIANT::Str("{12345678-9ABC-DEF0-1234-56789ABCDEF0}"), Dec(-12345678, 4),
             Bin({1, 2, 3}), Bin({0, 0xFF, 0, 0x10})};
        break;
      case 1:  // NULL in every column (Yes/No: No)
        for (VARIANT& x : v) x = VARIANT::Null();
        break;
      case 2:  // extremes; empty text, memo and binaries (not NULL)
        v = {VARIANT::Str(""), VARIANT::Str(""), Ui1(255), I2(-32768),
             VARIANT::I4(INT32_MIN), R4(-3.4028235e38f), VARIANT::R8(1e-300), Cy(INT64_MIN),
             Date(DayNumber(100, 1, 1)), VARIANT::Bool(false),
             VARIANT::Str("{00000000-0000-0000-0000-000000000000}"), Dec(999999999999999999, 4),
             Bin({}), Bin({})};
        break;
      case 3:  // Chinese, characters past U+FFFF, a memo on one LVAL page
        v = {VARIANT::Str("中文值 😀"), VARIANT::Str(Repeat("长备注", 500)), Ui1(0), I2(32767),
             VARIANT::I4(INT32_MAX), R4(3.4028235e38f), VARIANT::R8(-1.7976931348623157e308),
             Cy(INT64_MAX), Date(DayNumber(9999, 12, 31, 23, 59, 59)), VARIANT::Bool(true),
             VARIANT::Str("{FFFFFFFF-FFFF-FFFF-FFFF-FFFFFFFFFFFF}"), Dec(1, 4),
             Bin(Bytes(3000, 1)), Bin(Bytes(50, 9))};
        break;
      case 4:  // a memo and an OLE value over several LVAL pages; times of day 0
        v = {VARIANT::Str(Repeat("x", 100)), VARIANT::Str(Repeat("multi-page memo 多页 ", 700)),
             Ui1(1), I2(0), VARIANT::I4(0), R4(0.0f), VARIANT::R8(0.0), Cy(0), Date(0.0),
             VARIANT::Bool(false), VARIANT::Str("{01234567-89ab-cdef-0123-456789abcdef}"),
             Dec(0, 0), Bin(Bytes(20000, 3)), VARIANT::Null()};
        break;
      default:  // before 1899/12/30: negative day number, time still forward
        v = {VARIANT::Str("Tab\tquote\" back\\slash\nline"), VARIANT::Null(), Ui1(128), I2(1),
             VARIANT::I4(-1), R4(-0.1f), VARIANT::R8(123456789.125), Cy(-1), 
             Date(DayNumber(1850, 6, 1, 6, 0, 0)), VARIANT::Bool(true),
             VARIANT::Null(), Dec(-5, 1), VARIANT::Null(), Bin({42})};
        break;
    }
  };
  return t;
}

static Table ChineseTable() {
  Table t;
  t.name = "中文表 名称";
  t.columns = {{"编号", T::LongInteger}, {"名称", T::Text, 50}, {"价格 元", T::Currency},
               {"备注", T::Memo}, {"日期", T::DateTime}};
  t.rowCount = 3;
  t.row = [](uint64_t r, std::vector<VARIANT>& v) {
    const char* names[] = {"苹果", "香蕉", ""};
    v[0] = VARIANT::I4(int32_t(r + 1));
    v[1] = VARIANT::Str(names[r]);
    v[2] = Cy(int64_t(r) * 12345 + 10000);
    v[3] = r == 1 ? VARIANT::Null() : VARIANT::Str("备注" + std::to_string(r));
    v[4] = Date(DayNumber(2023, 1, int(r) + 1));
  };
  return t;
}

static Table OrderDetails() {
  Table t;
  t.name = "Order Details";
  t.columns = {{"Order ID", T::LongInteger}, {"Product Name", T::Text, 40},
               {"Quantity", T::Integer}, {"Unit Price", T::Currency}, {"Shipped", T::Boolean}};
  t.rowCount = 30;
  t.row = [](uint64_t r, std::vector<VARIANT>& v) {
    v[0] = VARIANT::I4(int32_t(1000 + r / 3));
    v[1] = VARIANT::Str("Product " + std::to_string(r % 7));
    v[2] = I2(int16_t(r % 11));
    v[3] = Cy(int64_t(r) * 2500);
    v[4] = VARIANT::Bool(r % 2 == 0);
  };
  return t;
}

// Texts in Jet's compressed form: one byte a character, switching to two for
// Chinese and back; a character with a low byte 0x00 (U+0100) keeps a value plain.
static Table Compressed() {
  Table t;
  t.name = "Compressed";
  t.columns = {{"Ascii", T::Text, 50}, {"Mixed", T::Text, 50}, {"Memo", T::Memo}};
  for (Column& c : t.columns) c.compressed = true;
  t.rowCount = 4;
  t.row = [](uint64_t r, std::vector<VARIANT>& v) {
    switch (r) {
      case 0: v = {VARIANT::Str("hello world"), VARIANT::Str("abc中文def"), VARIANT::Str("short compressed memo")}; break;
      case 1: v = {VARIANT::Str("\u0100 stays plain"), VARIANT::Str("中文"), VARIANT::Str(Repeat("0123456789", 100))}; break;
      case 2: v = {VARIANT::Str(""), VARIANT::Null(), VARIANT::Str(Repeat("long memo ", 200))}; break;
      default: v = {VARIANT::Str("é Latin-1 ÿ"), VARIANT::Str("x中y文z"), VARIANT::Str(Repeat("备注 note ", 50))}; break;
    }
  };
  return t;
}

std::vector<Table> AllTypesTables() {
  Table empty;
  empty.name = "Empty";
  empty.columns = {{"Id", T::LongInteger}, {"Name", T::Text}};
  Table info;
  info.name = "MSysKelvaneInfo";
  info.system = true;
  info.catalogFlags = 0x80000002u;
  info.columns = {{"Key", T::Text, 64}, {"Value", T::Text}};
  info.rowCount = 2;
  info.row = [](uint64_t r, std::vector<VARIANT>& v) {
    v[0] = VARIANT::Str(r == 0 ? "Version" : "Writer");
    v[1] = VARIANT::Str(r == 0 ? "4.0" : "kelvane");
  };
  return {AllTypes(), ChineseTable(), OrderDetails(), empty, info, Compressed()};
}

std::vector<SavedQuery> AllTypesQueries() {
  return {{"Big Orders", "SELECT [Order ID], Quantity * [Unit Price] AS Total FROM [Order Details] "
                         "WHERE Quantity > 5 ORDER BY [Order ID] DESC"},
          {"中文查询", "SELECT 名称 AS 水果, [价格 元] FROM [中文表 名称]"}};
}

void WriteAllTypesFixture(const std::string& path) { WriteJet4(path, AllTypesTables(), AllTypesQueries()); }

// The types only an .accdb holds. Row 1 is all NULL and has no entries.
static Table NewTypes() {
  Table t;
  t.name = "NewTypes";
  Column fullName{"Full Name", T::Text, 100}, notes{"Notes", T::Memo}, twice{"Twice", T::LongInteger},
      ratio{"Ratio", T::Double}, price{"Price", T::Currency}, rate{"Rate", T::Decimal, 255, 18, 4};
  for (Column* c : {&fullName, &notes, &twice, &ratio, &price, &rate}) c->calculated = true;
  fullName.compressed = true;
  Column colors{"Colors", kComplex}, files{"Files", kComplex}, sizes{"尺寸", kComplex};
  colors.complex = sizes.complex = Complex::MultiValue;
  sizes.entryType = T::LongInteger;
  files.complex = Complex::Attachment;
  t.columns = {{"Id", T::LongInteger}, {"Big", kBigInt}, {"Extended", kDateTimeExtended}, fullName, notes,
               twice, ratio, price, rate, colors, files, sizes};
  t.rowCount = 5;
  t.row = [](uint64_t r, std::vector<VARIANT>& v) {
    v[0] = VARIANT::I4(int32_t(r + 1));
    switch (r) {
      case 0:
        v = {v[0], I8(1234567890123LL), VARIANT::Str("2024-03-15 13:45:30.1234567"), VARIANT::Str("Smith, Anna"),
             VARIANT::Str("short calculated memo"), VARIANT::I4(84), VARIANT::R8(0.125), Cy(185000),
             Dec(-12345678, 4)};
        break;
      case 1:
        break;  // NULL everywhere
      case 2:  // the smallest values; an empty text; a memo on an LVAL page
        v = {v[0], I8(INT64_MIN), VARIANT::Str("0001-01-01 00:00:00"), VARIANT::Str(""),
             VARIANT::Str(Repeat("计算备注 calculated ", 40)), VARIANT::I4(INT32_MIN), VARIANT::R8(-1e300),
             Cy(INT64_MIN), Dec(-999999999999999999, 4)};
        break;
      case 3:  // the largest values
        v = {v[0], I8(INT64_MAX), VARIANT::Str("9999-12-31 23:59:59.9999999"), VARIANT::Str("王 小明"),
             VARIANT::Str("备注"), VARIANT::I4(INT32_MAX), VARIANT::R8(1.7976931348623157e308), Cy(INT64_MAX),
             Dec(999999999999999999, 4)};
        break;
      default:  // before 1899/12/30; fractions with trailing zeros
        v = {v[0], I8(-1), VARIANT::Str("1850-06-01 06:00:00.5"), VARIANT::Str("Tab\tquote\""), VARIANT::Null(),
             VARIANT::I4(0), VARIANT::R8(0.0), Cy(-1), Dec(5, 1)};
        break;
    }
    v.resize(12);
  };
  t.entries = [](uint64_t r, size_t column) -> std::vector<std::string> {
    if (column == 9) {
      const std::vector<std::string> colors[] = {{"Red", "Green"}, {}, {"中文"}, {"Blue", "Cyan", "Red"}, {"a, b"}};
      return colors[r];
    }
    if (column == 10) {
      const std::vector<std::string> files[] = {{"a.txt"}, {}, {"报告.pdf", "b.png", "noext"}, {}, {"x.csv"}};
      return files[r];
    }
    const std::vector<std::string> sizes[] = {{"-2147483648", "0"}, {}, {"42"}, {"1", "22", "333"}, {}};
    return sizes[r];
  };
  return t;
}

std::vector<Table> AccdbTables() {
  Table plain;
  plain.name = "Plain";
  plain.columns = {{"Id", T::LongInteger}, {"Name", T::Text, 50}, {"When", T::DateTime}};
  plain.rowCount = 3;
  plain.row = [](uint64_t r, std::vector<VARIANT>& v) {
    v[0] = VARIANT::I4(int32_t(r + 1));
    v[1] = VARIANT::Str("行 " + std::to_string(r));
    v[2] = Date(DayNumber(2020, 2, int(r) + 1, 8, 30, 0));
  };
  return {NewTypes(), plain};
}

void WriteAccdbFixture(const std::string& path, FileFormat format) { WriteJet4(path, AccdbTables(), {}, format); }

std::vector<Table> BigTables(uint64_t rows) {
  Table t;
  t.name = "Big";
  t.columns = {{"Id", T::LongInteger}, {"Name", T::Text, 50}, {"Amount", T::Double},
               {"Created", T::DateTime}, {"Active", T::Boolean}, {"Price", T::Currency},
               {"Note", T::Text, 100}};
  t.rowCount = rows;
  t.row = [](uint64_t r, std::vector<VARIANT>& v) {
    v[0] = VARIANT::I4(int32_t(r + 1));
    v[1] = r % 97 == 0 ? VARIANT::Null() : VARIANT::Str("name" + std::to_string(r));
    v[2] = VARIANT::R8(double(r) * 1.25 - 1000.0);
    v[3] = Date(40000.0 + double(r % 20000) + double(r % 86400) / 86400.0);
    v[4] = VARIANT::Bool(r % 2 == 1);
    v[5] = Cy(int64_t(r) * 101);
    v[6] = VARIANT::Str(r % 5 == 0 ? "" : "备注 " + std::to_string(r % 1000));
  };
  return {t};
}

void WriteBigFixture(const std::string& path, uint64_t rows, FileFormat format) {
  WriteJet4(path, BigTables(rows), {}, format);
}

std::vector<Table> EditedTables() {
  Table t;
  t.name = "Edited";
  t.columns = {{"Id", T::LongInteger}, {"Name", T::Text, 40}, {"Note", T::Memo}};
  t.rowCount = 600;
  t.row = [](uint64_t r, std::vector<VARIANT>& v) {
    v[0] = VARIANT::I4(int32_t(r + 1));
    v[1] = VARIANT::Str("行 row " + std::to_string(r + 1));
    v[2] = r % 50 == 7 ? VARIANT::Str(Repeat("edited memo ", 100)) : VARIANT::Null();
  };
  t.deleted = [](uint64_t r) { return r % 3 == 1; };
  t.overflow = [](uint64_t r) { return r % 5 == 2; };
  return {t};
}

void WriteEditedFixture(const std::string& path) { WriteJet4(path, EditedTables()); }

std::vector<Table> DemoTables() {
  Table customers;
  customers.name = "Customers";
  customers.columns = {{"CustomerID", T::LongInteger}, {"Company Name", T::Text, 60},
                       {"City", T::Text, 30}, {"Since", T::DateTime}, {"VIP", T::Boolean},
                       {"Guid", T::ReplicationId}, {"Notes", T::Memo}};
  customers.rowCount = 8;
  customers.row = [](uint64_t r, std::vector<VARIANT>& v) {
    const char* names[] = {"Alfreds Futterkiste", "北京贸易有限公司", "Bon app'", "上海食品公司",
                           "Ernst Handel", "广州电子", "Island Trading", "深圳科技"};
    const char* cities[] = {"Berlin", "北京", "Marseille", "上海", "Graz", "广州", "Cowes", "深圳"};
    v[0] = VARIANT::I4(int32_t(r + 1));
    v[1] = VARIANT::Str(names[r]);
    v[2] = VARIANT::Str(cities[r]);
    v[3] = Date(DayNumber(2015 + int(r), int(r % 12) + 1, 10));
    v[4] = VARIANT::Bool(r % 3 == 0);
    char guid[40];
    std::snprintf(guid, sizeof guid, "{%08X-1234-5678-9ABC-%012X}", unsigned(r * 2654435761u), unsigned(r));
    v[5] = VARIANT::Str(guid);
    v[6] = r == 2 ? VARIANT::Null() : VARIANT::Str(r % 2 ? "重要客户，按时付款。" : "Pays on time.");
  };
  Table products;
  products.name = "产品";
  products.columns = {{"产品编号", T::LongInteger}, {"产品名称", T::Text, 40},
                      {"单价", T::Currency}, {"库存", T::Integer}, {"折扣", T::Single},
                      {"重量", T::Double}, {"等级", T::Byte}, {"税率", T::Decimal, 255, 10, 3},
                      {"图片", T::OleObject}, {"条码", T::Binary, 16}};
  products.rowCount = 6;
  products.row = [](uint64_t r, std::vector<VARIANT>& v) {
    const char* names[] = {"绿茶", "Coffee", "牛奶", "Chocolate", "大米", "Olive Oil"};
    v[0] = VARIANT::I4(int32_t(r + 1));
    v[1] = VARIANT::Str(names[r]);
    v[2] = Cy(int64_t(r + 1) * 123400);
    v[3] = I2(int16_t(r * 17));
    v[4] = R4(float(r) * 0.05f);
    v[5] = VARIANT::R8(0.25 * double(r + 1));
    v[6] = Ui1(uint8_t(r + 1));
    v[7] = Dec(int64_t(r) * 1250 + 130, 3);
    v[8] = r == 0 ? VARIANT::Null() : Bin(Bytes(200 * r, uint8_t(r)));
    v[9] = Bin(Bytes(8, uint8_t(r * 3)));
  };
  Table orders;
  orders.name = "Orders";
  orders.columns = {{"OrderID", T::LongInteger}, {"CustomerID", T::LongInteger},
                    {"Order Date", T::DateTime}, {"Freight", T::Currency}, {"Ship Name", T::Text, 60}};
  orders.rowCount = 40;
  orders.row = [](uint64_t r, std::vector<VARIANT>& v) {
    v[0] = VARIANT::I4(int32_t(10248 + r));
    v[1] = VARIANT::I4(int32_t(r % 8 + 1));
    v[2] = Date(DayNumber(2024, int(r % 12) + 1, int(r % 28) + 1, int(r % 24), 30, 0));
    v[3] = Cy(int64_t(r) * 3217);
    v[4] = r % 9 == 4 ? VARIANT::Null() : VARIANT::Str(r % 2 ? "顺丰速运" : "Speedy Express");
  };
  Table lines;
  lines.name = "订单明细";
  lines.columns = {{"订单编号", T::LongInteger}, {"产品编号", T::LongInteger}, {"数量", T::Integer},
                   {"已发货", T::Boolean}};
  lines.rowCount = 80;
  lines.row = [](uint64_t r, std::vector<VARIANT>& v) {
    v[0] = VARIANT::I4(int32_t(10248 + r / 2));
    v[1] = VARIANT::I4(int32_t(r % 6 + 1));
    v[2] = I2(int16_t(r % 10 + 1));
    v[3] = VARIANT::Bool(r % 4 != 0);
  };
  return {customers, orders, products, lines};
}

std::vector<SavedQuery> DemoQueries() {
  return {{"Customer Orders", "SELECT Customers.[Company Name], Orders.OrderID, Orders.[Order Date] "
                              "FROM Customers, Orders WHERE Customers.CustomerID = Orders.CustomerID "
                              "ORDER BY Orders.[Order Date]"}};
}

void WriteDemoDatabase(const std::string& path) { WriteJet4(path, DemoTables(), DemoQueries()); }

}  // namespace jetwriter
