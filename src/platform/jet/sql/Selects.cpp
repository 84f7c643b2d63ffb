// The rewrites and checks of SELECTs: TOP n [PERCENT] (with Jet's ties), the
// names of unnamed expressions, Jet's AS rule, grouped fields, DISTINCTROW, and
// the tables of joins.
#include <algorithm>
#include <set>

#include "platform/com/ComError.h"
#include "platform/jet/sql/Money.h"
#include "platform/jet/sql/Tree.h"

namespace jet::sql {

namespace {

// Does a select-list item [a, b) name its column (an alias or a plain column)?
bool ItemIsNamed(const List& list, size_t a, size_t b) {
  if (b - a >= 2 && IsName(list[b - 1]) && IsWord(list[b - 2], "as")) return true;
  // A column, or a qualified column or star: name(.name)* / *.
  bool plain = true;
  for (size_t k = a; k < b; ++k) {
    bool even = (k - a) % 2 == 0;
    if (even ? !(IsName(list[k]) || IsOp(list[k], "*")) : !IsOp(list[k], ".")) { plain = false; break; }
  }
  if (plain && (b - a) % 2 == 1) return true;
  // Jet wants AS before a column alias: "select name,tel fromdate, id from orders"
  // is no statement it runs, though SQLite would take fromdate as an alias.
  if (b - a >= 2 && IsName(list[b - 1]) && IsOperandEnd(list[b - 2])) Syntax(list, b - 2);
  return false;
}

void NameExpressions(List& list, size_t from, size_t to) {
  size_t a = from;
  for (size_t k = from; k <= to; ++k) {
    if (k < to && !IsOp(list[k], ",")) continue;
    if (k == a) Syntax(list, k);  // an empty item
    if (!ItemIsNamed(list, a, k)) {
      list.insert(list.begin() + static_cast<long>(k),
                  {Unit{{TokKind::Word, "AS"}, {}, false, false},
                   Unit{{TokKind::Name, kExprAlias}, {}, false, false}});
      k += 2;
      to += 2;
    }
    a = k + 1;
  }
}

void CheckItems(const List& list, size_t from, size_t to) {
  size_t a = from;
  for (size_t k = from; k <= to; ++k) {
    if (k < to && !IsOp(list[k], ",")) continue;
    if (k == a) Syntax(list, k);
    ItemIsNamed(list, a, k);
    a = k + 1;
  }
}

bool HasAggregate(const List& list, size_t a, size_t b) {
  for (size_t k = a; k < b; ++k) {
    if (IsAggregateCall(list[k])) return true;
    const Unit& u = list[k];
    if (u.group && !(u.kids.size() && IsWord(u.kids[0], "select")) && HasAggregate(u.kids, 0, u.kids.size()))
      return true;
  }
  return false;
}

// The column names an expression refers to (the last part of a qualified name);
// false when it holds a * (a whole row).
bool ColumnRefs(const List& list, size_t a, size_t b, std::vector<std::string>* refs) {
  for (size_t k = a; k < b; ++k) {
    const Unit& u = list[k];
    if (u.group) {
      if (u.kids.size() && IsWord(u.kids[0], "select")) continue;  // a subquery answers for itself
      if (!ColumnRefs(u.kids, 0, u.kids.size(), refs)) return false;
    } else if (IsOp(u, "*") && (k == a || IsOp(list[k - 1], ".")) && b - a <= 3) {
      return false;
    } else if (IsName(u) && !u.call && !(k + 1 < b && IsOp(list[k + 1], "."))) {
      refs->push_back(LowerAscii(u.tok.text));
    }
  }
  return true;
}

// Jet refuses a grouped or aggregate select whose fields are neither grouped
// nor aggregated ("select name, count(*) from t"); SQLite would pick a value.
void CheckAggregateItems(const List& list, size_t from, size_t to, size_t end) {
  size_t g = to;
  while (g + 1 < end && !(IsWord(list[g], "group") && IsWord(list[g + 1], "by"))) ++g;
  bool grouped = g + 1 < end;
  if (!grouped && !HasAggregate(list, from, to)) return;
  std::vector<std::string> keys, keyNames;
  if (grouped) {
    size_t a = g + 2;
    for (size_t k = a; k <= end; ++k) {
      bool stop = k == end || IsWord(list[k], "having") || IsWord(list[k], "order");
      if (!stop && !IsOp(list[k], ",")) continue;
      keys.push_back(LowerAscii(EmitRange(list, a, k)));
      if (k - a == 1 || (k - a == 3 && IsOp(list[a + 1], "."))) keyNames.push_back(LowerAscii(list[k - 1].tok.text));
      a = k + 1;
      if (stop) break;
    }
  }
  size_t a = from;
  for (size_t k = from; k <= to; ++k) {
    if (k < to && !IsOp(list[k], ",")) continue;
    size_t b = k;
    if (b - a >= 2 && IsWord(list[b - 2], "as")) b -= 2;
    if (b > a && !HasAggregate(list, a, b)) {
      bool keyed = false;
      std::string text = LowerAscii(EmitRange(list, a, b));
      for (const std::string& key : keys) keyed = keyed || key == text;
      std::vector<std::string> refs;
      if (!keyed) {
        if (!ColumnRefs(list, a, b, &refs)) Syntax();
        for (const std::string& r : refs) {
          bool found = false;
          for (const std::string& n : keyNames) found = found || n == r;
          if (!found) Syntax();
        }
      }
    }
    a = k + 1;
  }
}

// Jet sorts a DISTINCT or a grouped select only by what it gives: ORDER BY City
// after SELECT DISTINCT Country (or GROUP BY Country) is its error, where SQLite
// would sort by the City of some row. A key may be a field, its alias or position,
// and in a grouped select an aggregate or what the groups are made of.
void CheckOrderKeys(const List& list, bool distinct, size_t items, size_t to, size_t end) {
  size_t g = to, o = to;
  while (g + 1 < end && !(IsWord(list[g], "group") && IsWord(list[g + 1], "by"))) ++g;
  while (o + 1 < end && !(IsWord(list[o], "order") && IsWord(list[o + 1], "by"))) ++o;
  const bool grouped = g + 1 < end;
  if (o + 1 >= end || (!distinct && !grouped && !HasAggregate(list, items, to))) return;
  std::vector<std::string> fields, names, groupKeys, groupNames;
  auto split = [&](size_t a, size_t b, bool isGroup) {
    for (size_t k = a, start = a; k <= b; ++k) {
      if (k < b && !IsOp(list[k], ",")) continue;
      size_t e = k;
      if (e >= start + 3 && IsWord(list[e - 2], "as")) names.push_back(LowerAscii(list[e - 1].tok.text)), e -= 2;
      if (e > start && IsName(list[e - 1]) && (e == start + 1 || IsOp(list[e - 2], ".")))
        (isGroup ? groupNames : names).push_back(LowerAscii(list[e - 1].tok.text));
      (isGroup ? groupKeys : fields).push_back(LowerAscii(EmitRange(list, start, e)));
      start = k + 1;
    }
  };
  split(items, to, false);
  if (grouped) {
    size_t e = g + 2;
    while (e < end && !IsWord(list[e], "having") && !IsWord(list[e], "order")) ++e;
    split(g + 2, e, true);
  }
  for (size_t a = o + 2, k = a; k <= end; ++k) {
    if (k < end && !IsOp(list[k], ",")) continue;
    size_t b = k;
    if (b > a && (IsWord(list[b - 1], "asc") || IsWord(list[b - 1], "desc"))) --b;
    const std::string text = LowerAscii(EmitRange(list, a, b));
    auto among = [&](const std::vector<std::string>& v, const std::string& x) { return std::find(v.begin(), v.end(), x) != v.end(); };
    bool ok = b == a + 1 && (list[a].tok.kind == TokKind::Number || (IsName(list[a]) && among(names, text)));
    ok = ok || among(fields, text) || (!distinct && (HasAggregate(list, a, b) || among(groupKeys, text)));
    if (!ok && !distinct) {
      std::vector<std::string> refs;
      ok = ColumnRefs(list, a, b, &refs);
      for (const std::string& r : refs) ok = ok && among(groupNames, r);
    }
    if (!ok) Syntax();
    a = k + 1;
  }
}

// The sources of a FROM range as the statement names them (alias, else table),
// lower case, each with its table's name: tables read through the subqueries
// MaterializeJoinTables made, plain tables, and those of nested joins; a derived
// table as an empty name, whose columns no lookup knows.
void FromSources(const List& list, size_t begin, size_t end, std::vector<std::pair<std::string, std::string>>* out) {
  for (size_t k = begin; k < end; ++k) {
    const Unit& u = list[k];
    bool materialized = u.group && u.kids.size() == 3 && u.kids[0].tok.kind == TokKind::Raw && IsName(u.kids[1]);
    bool place = k == begin || IsWord(list[k - 1], "join") || IsOp(list[k - 1], ",");
    if (materialized || (place && IsName(u))) {
      std::string table = materialized ? u.kids[1].tok.text : u.tok.text, alias = table;
      if (k + 2 < end && IsWord(list[k + 1], "as")) alias = list[k + 2].tok.text;
      else if (k + 1 < end && IsName(list[k + 1])) alias = list[k + 1].tok.text;
      out->push_back({LowerAscii(alias), table});
    } else if (u.group && !u.kids.empty() && !IsWord(u.kids[0], "select")) {
      FromSources(u.kids, 0, u.kids.size(), out);
    } else if (u.group && place) {
      out->push_back({"", ""});  // a derived table: columns unknown here
    }
  }
}

// DISTINCTROW drops rows whose records of the selected tables repeat, which
// matters only when the fields come from some of the joined tables and not all;
// then it is read as DISTINCT over the fields (the same rows when, as usual, a
// key is among them). A field's table is its qualifier, or else the one source
// that has a column of its name.
bool SelectsSomeTablesOnly(const List& list, size_t items, size_t from, size_t end, const ColumnLookup* lookup) {
  size_t fromEnd = from + 1;
  while (fromEnd < end && !IsWord(list[fromEnd], "where") && !IsWord(list[fromEnd], "group") &&
         !IsWord(list[fromEnd], "having") && !IsWord(list[fromEnd], "order"))
    ++fromEnd;
  std::vector<std::pair<std::string, std::string>> sources;
  FromSources(list, from + 1, fromEnd, &sources);
  std::set<std::string> used;
  for (size_t k = items; k < from;) {
    if (k + 2 < from && IsName(list[k]) && IsOp(list[k + 1], ".") && (IsName(list[k + 2]) || IsOp(list[k + 2], "*"))) {
      used.insert(LowerAscii(list[k].tok.text));
      k += 3;
    } else if (IsName(list[k]) && lookup) {
      std::string owner;
      for (const auto& [alias, table] : sources) {
        std::vector<TypedColumn> columns;
        if (!(*lookup)(table, &columns)) return false;
        for (const TypedColumn& c : columns)
          if (LowerAscii(c.name) == LowerAscii(list[k].tok.text)) {
            if (!owner.empty() && owner != alias) return false;  // ambiguous: SQLite will say so
            owner = alias;
          }
      }
      if (owner.empty()) return false;
      used.insert(owner);
      k += 1;
    } else {
      return false;
    }
    if (k < from && IsWord(list[k], "as")) k += 2;
    if (k < from && !IsOp(list[k], ",")) return false;
    ++k;
  }
  return !used.empty() && used.size() < sources.size();
}

bool HasCompound(const List& list) {
  for (const Unit& u : list)
    if (IsCompoundWord(u)) return true;
  return false;
}

// The ORDER BY keys of a select, without ASC/DESC, a position (ORDER BY 2) or an
// alias of the select list [items, from) read as the expression it stands for;
// false when there is no ORDER BY or a position is out of range.
bool OrderKeys(const List& list, size_t items, size_t from, size_t end, std::vector<List>* keys) {
  std::vector<List> exprs;
  std::vector<std::string> aliases;
  for (size_t a = items, k = items; k <= from; ++k) {
    if (k < from && !IsOp(list[k], ",")) continue;
    bool named = k >= a + 3 && IsWord(list[k - 2], "as");
    exprs.emplace_back(list.begin() + static_cast<long>(a), list.begin() + static_cast<long>(named ? k - 2 : k));
    aliases.push_back(named ? LowerAscii(list[k - 1].tok.text) : std::string());
    a = k + 1;
  }
  size_t o = from;
  while (o + 1 < end && !(IsWord(list[o], "order") && IsWord(list[o + 1], "by"))) ++o;
  if (o + 1 >= end) return false;
  List key;
  for (size_t k = o + 2; k <= end; ++k) {
    if (k < end && !IsOp(list[k], ",")) { key.push_back(list[k]); continue; }
    if (!key.empty() && (IsWord(key.back(), "asc") || IsWord(key.back(), "desc"))) key.pop_back();
    if (key.empty()) return false;
    if (key.size() == 1 && !key[0].group && key[0].tok.kind == TokKind::Number) {
      size_t n = key[0].tok.text.find_first_not_of("0123456789") == std::string::npos && key[0].tok.text.size() < 9
                     ? std::stoul(key[0].tok.text) : 0;
      if (n < 1 || n > exprs.size()) return false;
      key = exprs[n - 1];
    } else if (key.size() == 1 && IsName(key[0])) {
      for (size_t e = 0; e < exprs.size(); ++e)
        if (aliases[e] == LowerAscii(key[0].tok.text)) key = exprs[e];
    }
    if (key.size() == 1 && IsOp(key[0], "*")) return false;
    keys->push_back(key);
    key.clear();
  }
  return !keys->empty();
}


bool EndsFrom(const Unit& u) {
  return IsWord(u, "where") || IsWord(u, "group") || IsWord(u, "having") || IsWord(u, "order") ||
         IsCompoundWord(u);
}

}  // namespace

bool IsAggregateCall(const Unit& u) {
  if (!u.call) return false;
  // (and the exact Sum and Avg of Currency and Decimal the typing puts for them)
  static const std::set<std::string> names = {"count", "sum", "avg", "min", "max", "vba_first", "vba_last",
                                              "vba_stdev", "vba_stdevp", "vba_var", "vba_varp",
                                              kCurrencySum, kCurrencyAverage, kDecimalSum};
  return names.count(LowerAscii(u.tok.text)) > 0;
}

void RewriteSelects(List& list, bool outermost, StatementShape* shape, const ColumnLookup* lookup) {
  bool first = true;
  for (size_t s = 0; s < list.size(); ++s) {
    if (!IsWord(list[s], "select")) continue;
    size_t p = s + 1;
    std::string top;
    bool percent = false, distinctRow = false;
    for (;;) {
      if (p < list.size() && (IsWord(list[p], "all") || IsWord(list[p], "distinct"))) {
        ++p;
      } else if (p < list.size() && IsWord(list[p], "distinctrow")) {
        list.erase(list.begin() + static_cast<long>(p));
        distinctRow = true;
      } else if (p < list.size() && IsWord(list[p], "top") && top.empty()) {
        if (p + 1 >= list.size() || list[p + 1].group || list[p + 1].tok.kind != TokKind::Number) Syntax(list, p);
        top = list[p + 1].tok.text;
        if (top.find_first_not_of("0123456789") != std::string::npos) Syntax(list, p);
        list.erase(list.begin() + static_cast<long>(p), list.begin() + static_cast<long>(p) + 2);
        if (p < list.size() && IsWord(list[p], "percent")) {
          percent = true;
          list.erase(list.begin() + static_cast<long>(p));
        }
      } else {
        break;
      }
    }
    size_t end = p;
    while (end < list.size() && !IsCompoundWord(list[end])) ++end;
    size_t from = p;
    while (from < end && !IsWord(list[from], "from")) ++from;
    for (size_t k = p; k < from; ++k)
      if (IsWord(list[k], "into")) throw _com_error(E_FAIL);  // a make-table query
    CheckAggregateItems(list, p, from, end);
    if (!HasCompound(list)) CheckOrderKeys(list, IsWord(list[s + 1], "distinct"), p, from, end);
    if (outermost && first) {
      size_t before = list.size();
      NameExpressions(list, p, from);
      end += list.size() - before;
    } else {
      CheckItems(list, p, from);
    }
    if (distinctRow && SelectsSomeTablesOnly(list, p, from, end, lookup)) {
      list.insert(list.begin() + static_cast<long>(p), Unit{{TokKind::Word, "DISTINCT"}, {}, false, false});
      ++p, ++from, ++end;
    }
    bool outer = outermost && first;
    first = false;
    if (top.empty()) continue;
    const bool compound = HasCompound(list);
    if (outer && !percent && !compound) shape->limit = std::stoll(top.size() < 18 ? top : "999999999999999999");
    std::vector<List> keys;
    bool distinct = s + 1 < list.size() && IsWord(list[s + 1], "distinct");
    if (outer && !percent && !distinct && !compound && OrderKeys(list, p, from, end, &keys)) {
      // Jet's ties: the keys become hidden columns; the LIMIT form is kept aside.
      List limited = list;
      limited.insert(limited.begin() + static_cast<long>(end), {Raw("LIMIT"), Raw(top)});
      Emit(limited, &shape->limitSql);
      List hidden;
      for (const List& key : keys) {
        hidden.push_back(Unit{{TokKind::Op, ","}, {}, false, false});
        hidden.insert(hidden.end(), key.begin(), key.end());
        hidden.push_back(Unit{{TokKind::Word, "AS"}, {}, false, false});
        hidden.push_back(Unit{{TokKind::Name, kExprAlias}, {}, false, false});
      }
      list.insert(list.begin() + static_cast<long>(from), hidden.begin(), hidden.end());
      shape->tieKeys = static_cast<int>(keys.size());
      return;
    }
    List limit{Raw("LIMIT")};
    if (!percent) {
      limit.push_back(Raw(top));
    } else {
      // The row count of the same select without its order, times the percentage,
      // rounded up as Jet does.
      size_t order = s + 1;
      while (order < end && !(IsWord(list[order], "order") && order + 1 < end && IsWord(list[order + 1], "by"))) ++order;
      Unit inner{{TokKind::Open, "("}, {}, true, false};
      inner.kids.push_back(Raw("SELECT"));
      for (size_t k = s + 1; k < order; ++k) inner.kids.push_back(list[k]);
      Unit count{{TokKind::Open, "("}, {}, true, false};
      count.kids = {Raw("SELECT (count(*) * " + top + " + 99) / 100 FROM"), inner};
      limit.push_back(count);
    }
    if (compound) {
      // One select of a UNION: its TOP is its own, but SQLite takes no LIMIT inside
      // a compound, so the select is read as a subquery. The last select's ORDER
      // BY stays the union's.
      size_t memberEnd = end;
      if (end == list.size())
        for (size_t k = from; k + 1 < end; ++k)
          if (IsWord(list[k], "order") && IsWord(list[k + 1], "by")) memberEnd = k;
      Unit member{{TokKind::Open, "("}, {}, true, false};
      member.kids.assign(list.begin() + static_cast<long>(s), list.begin() + static_cast<long>(memberEnd));
      member.kids.insert(member.kids.end(), limit.begin(), limit.end());
      list.erase(list.begin() + static_cast<long>(s), list.begin() + static_cast<long>(memberEnd));
      list.insert(list.begin() + static_cast<long>(s), {Raw("SELECT * FROM"), member});
      ++s;
      continue;
    }
    list.insert(list.begin() + static_cast<long>(end), limit.begin(), limit.end());
    s = end + limit.size() - 1;
  }
}

// The tables of a join are read through subqueries SQLite cannot flatten (a
// LIMIT does that): it then materializes the inner ones once and indexes them on
// the join's keys, where it would otherwise rescan the file for every outer row
// (virtual tables get no automatic index).
void MaterializeJoinTables(List& list) {
  std::vector<size_t> refs;
  auto collect = [&](size_t begin, size_t end, bool commas) {
    bool joined = false;
    for (size_t k = begin; k < end; ++k)
      if (IsWord(list[k], "join") || (commas && IsOp(list[k], ","))) {
        joined = true;
        refs.push_back(k + 1);
      }
    if (joined) refs.push_back(begin);
  };
  bool hasFrom = false;
  for (size_t f = 0; f < list.size(); ++f) {
    if (!IsWord(list[f], "from")) continue;
    hasFrom = true;
    size_t end = f + 1;
    while (end < list.size() && !EndsFrom(list[end])) ++end;
    collect(f + 1, end, true);
  }
  // A parenthesized join of Jet's nested form: (a INNER JOIN b ON ...) INNER JOIN c ...
  if (!hasFrom && !list.empty() && IsName(list[0])) collect(0, list.size(), false);
  std::sort(refs.begin(), refs.end());
  for (auto r = refs.rbegin(); r != refs.rend(); ++r) {
    size_t p = *r;
    if (p >= list.size() || !IsName(list[p])) continue;
    Unit table = list[p];
    Unit sub{{TokKind::Open, "("}, {Raw("SELECT * FROM"), table, Raw("LIMIT -1")}, true, false};
    bool aliased = p + 1 < list.size() && (IsWord(list[p + 1], "as") || IsName(list[p + 1]));
    list[p] = sub;
    if (!aliased) {
      Unit alias = table;
      alias.tok.kind = TokKind::Name;
      list.insert(list.begin() + static_cast<long>(p) + 1, {Unit{{TokKind::Word, "AS"}, {}, false, false}, alias});
    }
  }
}

namespace {

// Whether `name` is a column of one of `sources` (unknown sources count as having it).
bool IsSourceColumn(const std::vector<std::pair<std::string, std::string>>& sources, const std::string& name,
                    const ColumnLookup* lookup) {
  for (const auto& source : sources) {
    std::vector<TypedColumn> columns;
    if (!lookup || !(*lookup)(source.second, &columns)) return true;
    for (const TypedColumn& c : columns)
      if (LowerAscii(c.name) == name) return true;
  }
  return false;
}

// Replaces, in units [a, b) of `list` (groups entered, subqueries not), each bare
// name that is one of `aliases` by its expression in parentheses.
void ReplaceAliases(List& list, size_t a, size_t b, const std::vector<std::pair<std::string, List>>& aliases,
                    const std::vector<std::pair<std::string, std::string>>& sources, const ColumnLookup* lookup) {
  for (size_t k = a; k < b; ++k) {
    Unit& u = list[k];
    if (u.group) {
      if (u.kids.empty() || !IsWord(u.kids[0], "select")) ReplaceAliases(u.kids, 0, u.kids.size(), aliases, sources, lookup);
      continue;
    }
    if (!IsName(u) || u.call || (k > 0 && IsOp(list[k - 1], ".")) || (k + 1 < list.size() && IsOp(list[k + 1], ".")))
      continue;
    const std::string name = LowerAscii(u.tok.text);
    for (const auto& alias : aliases) {
      if (alias.first != name || IsSourceColumn(sources, name, lookup)) continue;
      u = Unit{{TokKind::Open, "("}, alias.second, true, false};
      break;
    }
  }
}

}  // namespace

// Jet lets a field of the select list use the alias of a field before it
// ("UnitPrice * 2 AS X, X + 1 AS Y"); SQLite does not, so the alias becomes its
// expression. A name that is a column of the sources stays the column.
void ExpandSelectAliases(List& list, const ColumnLookup* lookup) {
  for (size_t s = 0; s < list.size(); ++s) {
    if (!IsWord(list[s], "select")) continue;
    size_t from = s + 1;
    while (from < list.size() && !IsWord(list[from], "from") && !IsCompoundWord(list[from])) ++from;
    std::vector<std::pair<std::string, List>> aliases;
    std::vector<std::pair<std::string, std::string>> sources;
    if (from < list.size() && IsWord(list[from], "from")) {
      size_t fromEnd = from + 1;
      while (fromEnd < list.size() && !EndsFrom(list[fromEnd])) ++fromEnd;
      FromSources(list, from + 1, fromEnd, &sources);
    }
    size_t first = s + 1;
    while (first < from && (IsWord(list[first], "all") || IsWord(list[first], "distinct") ||
                            IsWord(list[first], "distinctrow") || IsWord(list[first], "percent")))
      ++first;
    if (first + 1 < from && IsWord(list[first], "top")) first += 2;
    if (first < from && IsWord(list[first], "percent")) ++first;
    for (size_t a = first, k = first; k <= from; ++k) {
      if (k < from && !IsOp(list[k], ",")) continue;
      const bool named = k >= a + 3 && IsWord(list[k - 2], "as") && IsName(list[k - 1]);
      if (!aliases.empty()) ReplaceAliases(list, a, named ? k - 2 : k, aliases, sources, lookup);
      if (named) aliases.push_back({LowerAscii(list[k - 1].tok.text), List(list.begin() + static_cast<long>(a), list.begin() + static_cast<long>(k) - 2)});
      a = k + 1;
    }
    s = from;
  }
}

// select col, t.col, * from t [LIMIT n], nothing more.
void MatchPlain(const List& root, StatementShape* shape) {
  shape->plain = false;
  size_t i = 1, n = root.size();
  if (n < 4 || !IsWord(root[0], "select")) return;
  for (;;) {
    if (i < n && IsOp(root[i], "*")) {
      ++i;
    } else if (i < n && IsName(root[i])) {
      ++i;
      if (i + 1 < n && IsOp(root[i], ".") && IsName(root[i + 1])) i += 2;
    } else {
      return;
    }
    if (i < n && IsOp(root[i], ",")) { ++i; continue; }
    break;
  }
  if (i + 1 >= n || !IsWord(root[i], "from") || !IsName(root[i + 1])) return;
  shape->table = root[i + 1].tok.text;
  i += 2;
  long long limit = -1;
  if (i + 2 == n && root[i].tok.kind == TokKind::Raw && root[i].tok.text == "LIMIT" &&
      root[i + 1].tok.kind == TokKind::Raw && !root[i + 1].tok.text.empty() &&
      root[i + 1].tok.text.size() < 18 &&
      root[i + 1].tok.text.find_first_not_of("0123456789") == std::string::npos) {
    limit = std::stoll(root[i + 1].tok.text);
    i = n;
  }
  if (i != n) return;
  shape->plain = true;
  shape->limit = limit;
}

}  // namespace jet::sql
