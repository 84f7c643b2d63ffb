#include "platform/jet/sql/Parser.h"

#include <set>

#include "platform/com/Causes.h"
#include "platform/com/ComError.h"
#include "platform/jet/sql/Tokens.h"
#include "platform/jet/vba/DateParse.h"
#include "platform/jet/sql/Printer.h"

namespace jet::sql {

bool IsJetKeyword(const std::string& w) {
  static const std::set<std::string> k = {
      "select", "from", "where", "group", "by", "having", "order", "and", "or", "not",
      "between", "like", "in", "is", "as", "on", "join", "inner", "left", "right",
      "outer", "full", "cross", "union", "all", "distinct", "distinctrow", "top",
      "percent", "asc", "desc", "into", "values", "set", "exists", "xor", "eqv", "imp",
      "null", "any", "some", "insert", "update", "delete", "create", "drop", "alter",
      "transform", "parameters", "pivot", "with", "owneraccess", "except", "intersect"};
  return k.count(w) > 0;
}

namespace {

class Parser {
 public:
  explicit Parser(std::vector<Token> toks) : m_t(std::move(toks)) {}

  Statement Parse() {
    Statement st;
    if (AtWord("parameters")) Parameters(&st);
    CheckVerb();
    if (AtWord("transform")) {
      const size_t at = m_i++;
      Crosstab x;
      x.value = Expr();
      if (AtWord("as")) ++m_i, Alias();
      if (!AtWord("select")) SyntaxNear(m_i < m_t.size() ? m_i : at);
      st.query.members.push_back(ParseSelect());
      if (!AtWord("pivot")) SyntaxNear(m_i);
      ++m_i;
      // PIVOT heading IN (h1, h2...): the list, read as an IN, is the fixed headings.
      x.heading = Expr();
      if (x.heading.kind == NodeKind::In && !x.heading.negated && !x.heading.query) {
        Node in = std::move(x.heading);
        x.heading = std::move(in.kids[0]);
        x.fixed.assign(std::make_move_iterator(in.kids.begin() + 1), std::make_move_iterator(in.kids.end()));
        x.hasFixed = true;
      }
      st.crosstab = std::move(x);
    } else {
      st.query = ParseQuery();
    }
    if (AtWord("with")) {  // WITH OWNERACCESS OPTION: a matter of permissions only
      ++m_i;
      if (!AtWord("owneraccess")) SyntaxNear(m_i - 1);
      ++m_i;
      if (!AtWord("option")) SyntaxNear(m_i - 2);
      ++m_i;
    }
    if (m_i < m_t.size()) SyntaxNear(m_i);
    return st;
  }

 private:
  // --- tokens ---
  const Token* At(size_t ahead = 0) const { return m_i + ahead < m_t.size() ? &m_t[m_i + ahead] : nullptr; }
  bool AtWord(const char* w, size_t ahead = 0) const {
    const Token* t = At(ahead);
    return t && t->kind == TokKind::Word && LowerAscii(t->text) == w;
  }
  bool AtOp(const char* op, size_t ahead = 0) const {
    const Token* t = At(ahead);
    if (!t) return false;
    if (op[0] == '(' && !op[1]) return t->kind == TokKind::Open;
    if (op[0] == ')' && !op[1]) return t->kind == TokKind::Close;
    return t->kind == TokKind::Op && t->text == op;
  }
  bool AtKeyword(size_t ahead = 0) const {
    const Token* t = At(ahead);
    return t && t->kind == TokKind::Word && IsJetKeyword(LowerAscii(t->text));
  }
  // A bare or [bracketed] name.
  bool AtName(size_t ahead = 0) const {
    const Token* t = At(ahead);
    return t && (t->kind == TokKind::Name || (t->kind == TokKind::Word && !IsJetKeyword(LowerAscii(t->text))));
  }
  void Expect(const char* op) {
    if (!AtOp(op)) SyntaxNear(m_i);
    ++m_i;
  }

  // The statement near token `at` as the user wrote it, a few tokens long (a
  // parenthesized group whole, cut short when long).
  // A statement that ends where more must follow is unfinished.
  [[noreturn]] void SyntaxNear(size_t at) const {
    if (m_t.empty()) throw _com_error(JET_E_SYNTAX);
    if (at >= m_t.size()) throw _com_error(JET_E_SYNTAX, UnfinishedStatementCause());
    std::string near;
    size_t k = at;
    for (int units = 0; units < 3 && k < m_t.size(); ++units) {
      if (units > 0) near += ' ';
      k = Spell(k, &near);
    }
    throw _com_error(JET_E_SYNTAX, SyntaxErrorCause(near));
  }
  size_t Spell(size_t k, std::string* out) const {
    const Token& t = m_t[k];
    if (t.kind == TokKind::Close) {
      *out += ')';
      return k + 1;
    }
    if (t.kind == TokKind::Open) {
      *out += '(';
      ++k;
      bool first = true;
      while (k < m_t.size() && m_t[k].kind != TokKind::Close) {
        if (out->size() >= 40) {  // the rest of the group unspelled
          int depth = 0;
          while (k < m_t.size() && (depth > 0 || m_t[k].kind != TokKind::Close)) {
            depth += m_t[k].kind == TokKind::Open ? 1 : m_t[k].kind == TokKind::Close ? -1 : 0;
            ++k;
          }
          break;
        }
        if (!first) *out += ' ';
        first = false;
        k = Spell(k, out);
      }
      *out += ')';
      return k + 1;
    }
    switch (t.kind) {
      case TokKind::Name: *out += '[' + t.text + ']'; break;
      case TokKind::String: *out += '\'' + t.text + '\''; break;
      case TokKind::Date: *out += '#' + t.text + '#'; break;
      default: *out += t.text;
    }
    return k + 1;
  }

  void CheckVerb() {
    if (m_i >= m_t.size()) SyntaxNear(m_t.size());
    const Token& verb = m_t[m_i];
    if (verb.kind == TokKind::Word) {
      const std::string v = LowerAscii(verb.text);
      if (v == "insert" || v == "update" || v == "delete" || v == "create" || v == "drop" || v == "alter")
        throw _com_error(E_FAIL, OnlySelectCause());  // the database is opened read-only
      if (v != "select" && v != "transform") throw _com_error(JET_E_SYNTAX, SyntaxErrorCause(verb.text));
    } else if (verb.kind != TokKind::Open) {
      throw _com_error(JET_E_SYNTAX, SyntaxErrorCause(verb.text));
    }
  }

  // PARAMETERS name type [(size)], ... ;
  void Parameters(Statement* st) {
    st->parametersWord = m_t[m_i++].text;
    for (;;) {
      if (!AtName()) SyntaxNear(m_i);
      Parameter p{m_t[m_i++].text, ""};
      if (AtName() || AtKeyword()) p.type = m_t[m_i++].text;
      if (AtOp("(")) {
        ++m_i;
        while (m_i < m_t.size() && !AtOp(")")) ++m_i;
        Expect(")");
      }
      st->parameters.push_back(std::move(p));
      if (!AtOp(",")) break;
      ++m_i;
    }
    Expect(";");
  }

  std::string Alias() {
    if (!AtName()) SyntaxNear(m_i);
    return m_t[m_i++].text;
  }

  // --- queries ---
  bool AtCompound() const { return AtWord("union") || AtWord("except") || AtWord("intersect"); }

  Query ParseQuery() {
    Query q;
    for (;;) {
      Member(&q);
      if (!AtCompound()) break;
      std::string op = LowerAscii(m_t[m_i++].text) == "union" ? "UNION" : LowerAscii(m_t[m_i - 1].text) == "except" ? "EXCEPT" : "INTERSECT";
      if (AtWord("all")) ++m_i, op += " ALL";
      q.ops.push_back(op);
    }
    if (q.members.size() > 1) {
      q.orderBy = std::move(q.members.back().orderBy);
      q.members.back().orderBy.clear();
    }
    if (AtWord("order") && AtWord("by", 1)) {
      if (!q.orderBy.empty()) SyntaxNear(m_i);
      m_i += 2;
      q.orderBy = OrderKeys();
    }
    return q;
  }

  // A select of a compound, or one in parentheses: with its own ORDER BY or TOP
  // it is read as a derived table, else its parentheses go (SQLite takes none
  // around the selects of a compound).
  void Member(Query* q) {
    if (!AtOp("(")) {
      if (!AtWord("select")) SyntaxNear(m_i);
      q->members.push_back(ParseSelect());
      return;
    }
    const size_t at = m_i++;
    Query inner = ParseQuery();
    Expect(")");
    bool own = false;
    for (const Select& s : inner.members) own = own || !s.top.empty() || !s.orderBy.empty();
    own = own || !inner.orderBy.empty();
    if (!own) {
      if (!q->members.empty() || inner.members.size() == 1) {
        for (size_t k = 0; k < inner.members.size(); ++k) {
          if (k > 0) q->ops.push_back(inner.ops[k - 1]);
          q->members.push_back(std::move(inner.members[k]));
        }
        return;
      }
    }
    Select s;
    s.at = at;
    s.items.push_back(SelectItem{Node{NodeKind::Star}, "", at});
    Source d;
    d.kind = Source::Kind::Derived;
    d.query = std::make_shared<Query>(std::move(inner));
    s.from.push_back(std::move(d));
    q->members.push_back(std::move(s));
  }

  Select ParseSelect() {
    Select s;
    s.at = m_i++;
    for (;;) {
      if (AtWord("all")) {
        ++m_i, s.allWritten = true;
      } else if (AtWord("distinct")) {
        ++m_i, s.quantity = Select::Quantity::Distinct;
      } else if (AtWord("distinctrow")) {
        ++m_i, s.quantity = Select::Quantity::DistinctRow;
      } else if (AtWord("top") && s.top.empty()) {
        const size_t at = m_i++;
        const Token* n = At();
        if (!n || n->kind != TokKind::Number || n->text.find_first_not_of("0123456789") != std::string::npos)
          SyntaxNear(at);
        s.top = n->text;
        ++m_i;
        if (AtWord("percent")) ++m_i, s.percent = true;
      } else {
        break;
      }
    }
    for (;;) {
      SelectItem item;
      item.at = m_i;
      if (AtOp(",") || AtWord("from") || m_i >= m_t.size()) SyntaxNear(m_i);
      if (AtOp("*")) {
        item.expr = Node{NodeKind::Star};
        item.expr.at = m_i++;
      } else {
        item.expr = Expr();
      }
      if (AtWord("as")) {
        ++m_i;
        item.alias = Alias();
      } else if (AtName()) {
        // Jet wants AS before a field's alias, where SQLite would take any name.
        // The message quotes the field from its start (after a *, the name).
        SyntaxNear(item.expr.kind == NodeKind::Star ? m_i : item.at);
      }
      s.items.push_back(std::move(item));
      if (!AtOp(",")) break;
      ++m_i;
    }
    if (AtWord("into")) throw _com_error(E_FAIL, OnlySelectCause());  // a make-table query
    if (AtWord("from")) {
      ++m_i;
      for (;;) {
        s.from.push_back(JoinedSource());
        if (!AtOp(",")) break;
        ++m_i;
      }
    }
    if (AtWord("where")) ++m_i, s.where = Expr();
    if (AtWord("group") && AtWord("by", 1)) {
      m_i += 2;
      for (;;) {
        s.groupBy.push_back(Expr());
        if (!AtOp(",")) break;
        ++m_i;
      }
    }
    if (AtWord("having")) ++m_i, s.having = Expr();
    // A parenthesized select's ORDER BY is its own; else, after a compound, the
    // compound's (ParseQuery moves it).
    if (AtWord("order") && AtWord("by", 1)) {
      m_i += 2;
      s.orderBy = OrderKeys();
    }
    return s;
  }

  std::vector<OrderKey> OrderKeys() {
    std::vector<OrderKey> keys;
    for (;;) {
      OrderKey key{Expr(), false};
      if (AtWord("asc")) ++m_i;
      else if (AtWord("desc")) ++m_i, key.desc = true;
      keys.push_back(std::move(key));
      if (!AtOp(",")) return keys;
      ++m_i;
    }
  }

  std::string JoinWord() {
    std::string kind;
    if (AtWord("inner")) kind = "INNER";
    else if (AtWord("left")) kind = "LEFT";
    else if (AtWord("right")) kind = "RIGHT";
    else if (AtWord("full")) kind = "FULL";
    else if (AtWord("cross")) kind = "CROSS";
    else if (AtWord("join")) return (++m_i, "JOIN");
    else return std::string();
    size_t k = 1;
    if ((kind == "LEFT" || kind == "RIGHT" || kind == "FULL") && AtWord("outer", 1)) ++k, kind += " OUTER";
    if (!AtWord("join", k)) return std::string();
    m_i += k + 1;
    return kind + " JOIN";
  }

  Source JoinedSource() {
    Source left = OneSource();
    for (;;) {
      const size_t at = m_i;
      std::string join = JoinWord();
      if (join.empty()) return left;
      Source j;
      j.kind = Source::Kind::Join;
      j.join = join;
      j.sides.push_back(std::move(left));
      j.sides.push_back(OneSource());
      if (AtWord("on")) {
        ++m_i;
        j.on = Expr();
      } else if (join != "CROSS JOIN") {
        SyntaxNear(m_i < m_t.size() ? m_i : at);
      }
      left = std::move(j);
    }
  }

  Source OneSource() {
    Source s;
    if (AtOp("(")) {
      const size_t at = m_i++;
      if (AtWord("select") || (AtOp("(") && AtWord("select", 1))) {
        s.kind = Source::Kind::Derived;
        s.query = std::make_shared<Query>(ParseQuery());
        Expect(")");
      } else {
        s = JoinedSource();
        if (s.kind != Source::Kind::Join) SyntaxNear(at);
        s.parenthesized = true;
        Expect(")");
        return s;
      }
    } else if (AtName()) {
      s.name = m_t[m_i++].text;
    } else {
      SyntaxNear(m_i);
    }
    if (AtWord("as")) ++m_i, s.alias = Alias();
    else if (AtName()) s.alias = m_t[m_i++].text;
    return s;
  }

  // --- expressions, loosest first ---
  Node Binary(Node left, const std::string& op, Node right, size_t at) {
    Node n{NodeKind::Binary, op};
    n.at = at;
    n.kids.push_back(std::move(left));
    n.kids.push_back(std::move(right));
    return n;
  }
  using Level = Node (Parser::*)();
  Node WordOps(const char* word, Level next) {
    Node left = (this->*next)();
    while (AtWord(word)) {
      const size_t at = m_i++;
      left = Binary(std::move(left), word, (this->*next)(), at);
    }
    return left;
  }
  Node Expr() { return WordOps("imp", &Parser::Eqv); }
  Node Eqv() { return WordOps("eqv", &Parser::Xor); }
  Node Xor() { return WordOps("xor", &Parser::Or); }
  Node Or() { return WordOps("or", &Parser::And); }
  Node And() { return WordOps("and", &Parser::NotLevel); }
  Node NotLevel() {
    if (AtWord("not")) {
      Node n{NodeKind::Not};
      n.at = m_i++;
      n.kids.push_back(NotLevel());
      return n;
    }
    return Comparison();
  }
  static bool IsComparisonOp(const Token* t) {
    if (!t || t->kind != TokKind::Op) return false;
    const std::string& s = t->text;
    return s == "=" || s == "<>" || s == "!=" || s == "<" || s == ">" || s == "<=" || s == ">=";
  }
  Node Comparison() {
    Node left = Concat();
    for (;;) {
      const size_t at = m_i;
      if (IsComparisonOp(At())) {
        const std::string op = m_t[m_i++].text;
        if (AtWord("all") || AtWord("any") || AtWord("some")) {
          Node q{NodeKind::Quantified, op};
          q.at = at;
          q.quantifier = LowerAscii(m_t[m_i++].text);
          if (!AtOp("(") || !AtWord("select", 1)) SyntaxNear(at);
          ++m_i;
          q.query = std::make_shared<Query>(ParseQuery());
          Expect(")");
          q.kids.push_back(std::move(left));
          left = std::move(q);
          continue;
        }
        m_afterComparison = m_i;
        left = Binary(std::move(left), op, Concat(), at);
        continue;
      }
      bool negated = false;
      size_t k = 0;
      if (AtWord("not") && (AtWord("like", 1) || AtWord("between", 1) || AtWord("in", 1))) negated = true, k = 1;
      if (AtWord("like", k)) {
        m_i += k + 1;
        Node n{NodeKind::Like};
        n.at = at;
        n.negated = negated;
        n.kids.push_back(std::move(left));
        n.kids.push_back(Concat());
        left = std::move(n);
      } else if (AtWord("between", k)) {
        m_i += k + 1;
        Node n{NodeKind::Between};
        n.at = at;
        n.negated = negated;
        n.kids.push_back(std::move(left));
        n.kids.push_back(Concat());
        if (!AtWord("and")) SyntaxNear(m_i < m_t.size() ? m_i : at);
        ++m_i;
        n.kids.push_back(Concat());
        left = std::move(n);
      } else if (AtWord("in", k)) {
        m_i += k + 1;
        Node n{NodeKind::In};
        n.at = at;
        n.negated = negated;
        n.kids.push_back(std::move(left));
        Expect("(");
        if (AtWord("select")) {
          n.query = std::make_shared<Query>(ParseQuery());
        } else {
          for (;;) {
            n.kids.push_back(Expr());
            if (!AtOp(",")) break;
            ++m_i;
          }
        }
        Expect(")");
        left = std::move(n);
      } else if (AtWord("is")) {
        ++m_i;
        Node n{NodeKind::IsNull};
        n.at = at;
        if (AtWord("not")) ++m_i, n.negated = true;
        if (!AtWord("null")) SyntaxNear(at);
        ++m_i;
        n.kids.push_back(std::move(left));
        left = std::move(n);
      } else {
        return left;
      }
    }
  }
  Node Concat() {
    Node left = Additive();
    while (AtOp("&")) {
      const size_t at = m_i++;
      left = Binary(std::move(left), "&", Additive(), at);
    }
    return left;
  }
  Node Additive() {
    Node left = Modulo();
    while (AtOp("+") || AtOp("-")) {
      const size_t at = m_i;
      const std::string op = m_t[m_i++].text;
      left = Binary(std::move(left), op, Modulo(), at);
    }
    return left;
  }
  Node Modulo() {
    Node left = IntegerDivision();
    while (AtWord("mod") || AtOp("%")) {
      const size_t at = m_i++;
      left = Binary(std::move(left), "mod", IntegerDivision(), at);
    }
    return left;
  }
  Node IntegerDivision() {
    Node left = Multiplicative();
    while (AtOp("\\")) {
      const size_t at = m_i++;
      left = Binary(std::move(left), "\\", Multiplicative(), at);
    }
    return left;
  }
  Node Multiplicative() {
    Node left = Unary();
    while (AtOp("*") || AtOp("/")) {
      const size_t at = m_i;
      const std::string op = m_t[m_i++].text;
      left = Binary(std::move(left), op, Unary(), at);
    }
    return left;
  }
  Node Unary() {
    if (AtOp("-") || AtOp("+")) {
      Node n{NodeKind::Unary, m_t[m_i].text};
      n.at = m_i++;
      n.kids.push_back(Unary());
      return n;
    }
    return Power();
  }
  // ^ binds tighter than a sign: -2 ^ 2 is -(2 ^ 2); its right operand may have one.
  Node Power() {
    Node left = Primary();
    while (AtOp("^")) {
      const size_t at = m_i++;
      Node right;
      if (AtOp("-") || AtOp("+")) {
        right = Node{NodeKind::Unary, m_t[m_i].text};
        right.at = m_i++;
        right.kids.push_back(Primary());
      } else {
        right = Primary();
      }
      left = Binary(std::move(left), "^", std::move(right), at);
    }
    return left;
  }

  Node Primary() {
    if (m_i >= m_t.size()) SyntaxNear(m_t.size());
    const size_t at = m_i;
    const Token& t = m_t[m_i];
    Node n;
    n.at = at;
    switch (t.kind) {
      case TokKind::String:
        ++m_i;
        n.kind = NodeKind::String, n.text = t.text;
        return n;
      case TokKind::Number:
        ++m_i;
        n.kind = NodeKind::Number, n.text = t.text;
        return n;
      case TokKind::Date: {
        double d;
        if (!ParseJetDate(t.text, &d)) SyntaxNear(at);
        ++m_i;
        n.kind = NodeKind::Date, n.text = DayNumberText(d), n.qualifier = t.text;
        return n;
      }
      case TokKind::Open: {
        ++m_i;
        if (AtWord("select")) {
          n.kind = NodeKind::Subquery;
          n.query = std::make_shared<Query>(ParseQuery());
        } else {
          n.kind = NodeKind::Paren;
          n.kids.push_back(Expr());
        }
        Expect(")");
        return n;
      }
      case TokKind::Op:
        if (t.text == "?") {  // a parameter SQLite names by position
          ++m_i;
          n.kind = NodeKind::Raw, n.text = "?";
          return n;
        }
        if (t.text == ";") SyntaxNear(at);  // one statement only
        SyntaxNear(at);
      case TokKind::Name:
      case TokKind::Word:
        break;
      default:
        SyntaxNear(at);
    }
    const std::string word = t.kind == TokKind::Word ? LowerAscii(t.text) : std::string();
    if (word == "null") return ++m_i, n.kind = NodeKind::Null, n;
    if (word == "true" || word == "false") return ++m_i, n.kind = NodeKind::Truth, n.text = word == "true" ? "-1" : "0", n;
    // Access writes "Discontinued = No"; elsewhere Yes and No stay names.
    if ((word == "yes" || word == "no") && m_afterComparison == at)
      return ++m_i, n.kind = NodeKind::Truth, n.text = word == "yes" ? "-1" : "0", n;
    if (word == "exists") {
      ++m_i;
      if (!AtOp("(") || !AtWord("select", 1)) SyntaxNear(at);
      ++m_i;
      n.kind = NodeKind::Exists;
      n.query = std::make_shared<Query>(ParseQuery());
      Expect(")");
      return n;
    }
    // [printf](...) is a call too: a bracketed name does not hide a function from
    // the check of Jet's functions.
    const bool callable = t.kind == TokKind::Name ||
        (t.kind == TokKind::Word && (!IsJetKeyword(word) || word == "left" || word == "right" || word == "asc"));
    if (callable && AtOp("(", 1)) {
      m_i += 2;
      n.kind = NodeKind::Call, n.text = t.text;
      if (AtOp("*") && AtOp(")", 1)) {
        Node star{NodeKind::Star};
        star.at = m_i++;
        n.kids.push_back(std::move(star));
      } else if (!AtOp(")")) {
        if (AtWord("distinct")) ++m_i, n.distinct = true;
        for (;;) {
          n.kids.push_back(Expr());
          if (!AtOp(",")) break;
          ++m_i;
        }
      }
      Expect(")");
      return n;
    }
    if (t.kind == TokKind::Word && IsJetKeyword(word)) SyntaxNear(at);
    // name, qualifier.name, qualifier!name, qualifier.*
    ++m_i;
    n.kind = NodeKind::Column, n.text = t.text, n.quoted = t.kind == TokKind::Name;
    while ((AtOp(".") || AtOp("!")) && (AtName(1) || AtOp("*", 1))) {
      // Jet has no schemas: a name of three parts ([Forms]![F]![To Id]) names
      // nothing, and is a parameter. Its first parts stay one qualifier, so the
      // message names the whole.
      if (n.qualifier.empty()) {
        n.qualifier = n.text, n.qualifierQuoted = n.quoted;
      } else {
        n.qualifier += "." + n.text, n.qualifierQuoted = true;
      }
      ++m_i;
      if (AtOp("*")) {
        ++m_i;
        n.kind = NodeKind::Star, n.text.clear();
        return n;
      }
      n.text = m_t[m_i].text, n.quoted = m_t[m_i].kind == TokKind::Name;
      ++m_i;
    }
    return n;
  }

  std::vector<Token> m_t;
  size_t m_i = 0;
  size_t m_afterComparison = static_cast<size_t>(-1);
};

}  // namespace

Statement ParseJetSql(const std::string& jetSql) {
  std::vector<Token> toks = TokenizeJetSql(jetSql);
  if (toks.empty()) throw _com_error(JET_E_EMPTYSTATEMENT);
  while (!toks.empty() && toks.back().kind == TokKind::Op && toks.back().text == ";") toks.pop_back();
  if (toks.empty()) throw _com_error(JET_E_SYNTAX, SyntaxErrorCause(";"));
  return Parser(std::move(toks)).Parse();
}

}  // namespace jet::sql
