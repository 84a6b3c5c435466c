#include "script/parser.h"

#include <algorithm>
#include <stdexcept>

namespace rv::script {

namespace {

struct ParseError {
  std::string message;
};

class Parser {
 public:
  Parser(std::vector<Token> tokens, const std::string& file)
      : t_(std::move(tokens)), file_(file), module_(std::make_unique<Module>()) {
    module_->file = file;
  }

  Result<std::unique_ptr<Module>> Run() {
    try {
      ParseModule();
    } catch (const ParseError& e) {
      return MakeError(e.message);
    }
    return std::move(module_);
  }

 private:
  // ---- token helpers
  const Token& Cur() const { return t_[pos_]; }
  const Token& Peek(int n = 1) const {
    size_t p = pos_ + static_cast<size_t>(n);
    return p < t_.size() ? t_[p] : t_.back();
  }
  void Advance() {
    if (pos_ + 1 < t_.size()) ++pos_;
  }
  bool IsKw(Kw kw) const { return Cur().kind == Tok::Word && Cur().kw == kw; }
  bool IsOp(const char* op) const { return Cur().kind == Tok::Op && Cur().text == op; }
  bool IsWord(const char* lower) const {
    return Cur().kind == Tok::Word && Cur().kw == Kw::None && Cur().lower == lower;
  }
  bool AcceptKw(Kw kw) {
    if (!IsKw(kw)) return false;
    Advance();
    return true;
  }
  bool AcceptOp(const char* op) {
    if (!IsOp(op)) return false;
    Advance();
    return true;
  }
  bool AcceptWord(const char* lower) {
    if (!IsWord(lower)) return false;
    Advance();
    return true;
  }

  std::string Describe(const Token& t) const {
    switch (t.kind) {
      case Tok::Word:
        return "'" + t.text + std::string(t.suffix ? 1 : 0, t.suffix) + "'";
      case Tok::Number:
        return "a number";
      case Tok::String:
        return "a string";
      case Tok::Date:
        return "a date";
      case Tok::Op:
        return "'" + t.text + "'";
      case Tok::Colon:
        return "':'";
      case Tok::Newline:
        return "the end of the line";
      case Tok::End:
        return "the end of the file";
    }
    return "?";
  }

  [[noreturn]] void Fail(const std::string& message, int line = -1) const {
    throw ParseError{file_ + ":" + std::to_string(line < 0 ? Cur().line : line) + ": " + message};
  }
  [[noreturn]] void Expected(const std::string& what) const {
    Fail("expected " + what + ", found " + Describe(Cur()));
  }
  [[noreturn]] void Unsupported(const std::string& what) const { Fail(what + " is not supported"); }
  void ExpectKw(Kw kw, const char* text) {
    if (!AcceptKw(kw)) Expected(std::string("'") + text + "'");
  }
  void ExpectOp(const char* op) {
    if (!AcceptOp(op)) Expected(std::string("'") + op + "'");
  }

  bool AtLineEnd() const { return Cur().kind == Tok::Newline || Cur().kind == Tok::End; }
  bool AtStatementEnd() const {
    return AtLineEnd() || Cur().kind == Tok::Colon || (single_line_if_ > 0 && IsKw(Kw::Else));
  }
  void EndStatement() {
    if (!AtStatementEnd()) Expected("the end of the statement");
  }
  void SkipSeparators() {
    while (Cur().kind == Tok::Newline || Cur().kind == Tok::Colon)
      Advance();
  }

  std::string Name(std::string* spelling = nullptr) {
    if (Cur().kind != Tok::Word) Expected("a name");
    if (Cur().kw != Kw::None) Expected("a name");
    std::string name = Cur().lower;
    if (spelling) *spelling = Cur().text;
    Advance();
    return name;
  }

  // ---- module level
  void ParseModule() {
    while (true) {
      SkipSeparators();
      if (Cur().kind == Tok::End) break;
      int line = Cur().line;
      if (AcceptWord("option")) {
        if (AcceptWord("explicit")) {
          module_->option_explicit = true;
        } else if (AcceptWord("compare")) {
          if (AcceptWord("text")) {
            module_->compare_text = true;
          } else if (AcceptWord("binary")) {
            module_->compare_text = false;
          } else {
            Expected("'Text' or 'Binary'");
          }
        } else if (AcceptWord("base")) {
          if (Cur().kind != Tok::Number ||
              (Cur().value.int_value() != 0 && Cur().value.int_value() != 1))
            Expected("0 or 1");
          module_->option_base = static_cast<int>(Cur().value.int_value());
          Advance();
        } else if (AcceptWord("private")) {
          ExpectWordAfterOption();
        } else {
          Expected("'Explicit', 'Compare' or 'Base'");
        }
        EndStatement();
        continue;
      }
      if (IsWord("attribute")) {
        // Editor metadata lines carry no meaning for a run.
        while (!AtLineEnd())
          Advance();
        continue;
      }
      bool is_private = false;
      bool scoped = false;
      if (IsKw(Kw::Private)) {
        is_private = true;
        scoped = true;
        Advance();
      } else if (IsKw(Kw::Public) || IsKw(Kw::Global)) {
        scoped = true;
        Advance();
      }
      if (IsWord("enum")) {
        ParseEnum();
        continue;
      }
      CheckUnsupportedDeclaration();
      if (IsKw(Kw::Sub) || IsKw(Kw::Function)) {
        ParseProc(is_private);
        continue;
      }
      if (IsKw(Kw::Const)) {
        Advance();
        ParseConsts(module_->globals);
        EndStatement();
        continue;
      }
      if (AcceptKw(Kw::Dim) || scoped) {
        ParseDims(module_->globals, /*allow_dynamic_bounds=*/false);
        EndStatement();
        continue;
      }
      if (IsKw(Kw::Static))
        Fail("Static belongs inside a Sub or Function; use Dim at module level");
      Fail("statements must be inside a Sub or Function (found " + Describe(Cur()) + ")", line);
    }
  }

  // Enum Name / member [= value] ... / End Enum: constants counting up
  // from 0 or from the last given value.
  void ParseEnum() {
    int line = Cur().line;
    Advance();
    std::string spelling;
    std::string name = Name(&spelling);
    EndStatement();
    std::vector<std::string> members;
    std::string previous;
    while (true) {
      SkipSeparators();
      if (Cur().kind == Tok::End)
        Fail("missing End Enum for the Enum opened on line " + std::to_string(line));
      if (IsKw(Kw::End)) {
        Advance();
        if (!AcceptWord("enum")) Expected("'End Enum'");
        EndStatement();
        break;
      }
      VarDecl d;
      d.line = Cur().line;
      d.is_const = true;
      d.type = VarType::Long;
      d.name = Name(&d.spelling);
      if (AcceptOp("=")) {
        d.value = ParseExpr();
      } else if (previous.empty()) {
        d.value = MakeExpr(ExprKind::Const);
        d.value->value = Variant::Long(0);
      } else {
        auto prev = MakeExpr(ExprKind::Name);
        prev->name = previous;
        prev->spelling = previous;
        auto one = MakeExpr(ExprKind::Const);
        one->value = Variant::Long(1);
        d.value = Binary(BinOp::Add, std::move(prev), std::move(one));
      }
      EndStatement();
      previous = d.name;
      members.push_back(d.name);
      module_->globals.push_back(std::move(d));
    }
    module_->enums.emplace_back(name, std::move(members));
  }

  void ExpectWordAfterOption() { Expected("'Explicit', 'Compare' or 'Base'"); }

  void CheckUnsupportedDeclaration() {
    if (Cur().kind != Tok::Word) return;
    const std::string& w = Cur().lower;
    if (w == "type" && Peek().kind == Tok::Word)
      Unsupported("Type ... End Type (user-defined types)");
    if (w == "declare") Unsupported("Declare (calls into outside libraries)");

    if (w == "property") Unsupported("Property Get/Let/Set");
    if (w == "class") Unsupported("Class");
    if (w == "event") Unsupported("Event");
    if (w == "implements") Unsupported("Implements");
    if (w == "withevents") Unsupported("WithEvents");
    if (w == "friend") Unsupported("Friend");
    if (w.size() == 6 && w.compare(0, 3, "def") == 0)
      Unsupported("Def" + w.substr(3) + " statements");
  }

  VarType ParseAsType() {
    if (AcceptKw(Kw::New)) Unsupported("As New");
    if (Cur().kind != Tok::Word) Expected("a type name");
    std::string w = Cur().lower;
    Advance();
    // Qualified class names ("Library.Class") are object types.
    while (AcceptOp(".")) {
      if (Cur().kind != Tok::Word) Expected("a type name");
      Advance();
      w = "object";
    }
    if (IsOp("*")) Unsupported("fixed-length strings (String * n)");
    if (w == "integer" || w == "byte") return VarType::Integer;
    if (w == "long") return VarType::Long;
    if (w == "longlong") return VarType::LongLong;
    if (w == "single") return VarType::Single;
    if (w == "double" || w == "currency" || w == "decimal") return VarType::Double;
    if (w == "string") return VarType::String;
    if (w == "boolean") return VarType::Boolean;
    if (w == "date") return VarType::Date;
    if (w == "variant") return VarType::Variant;
    return VarType::Object;  // Object and every class name
  }

  static VarType SuffixType(char suffix) {
    if (suffix == '$') return VarType::String;
    if (suffix == '%') return VarType::Integer;
    return VarType::Variant;
  }

  void ParseProc(bool is_private) {
    auto proc = std::make_unique<Proc>();
    proc->file = file_;
    proc->is_private = is_private;
    proc->line = Cur().line;
    proc->is_function = IsKw(Kw::Function);
    Advance();
    char suffix = Cur().suffix;
    proc->name = Name(&proc->spelling);
    if (suffix) proc->return_type = SuffixType(suffix);
    if (AcceptOp("(")) {
      if (!AcceptOp(")")) {
        do {
          Param p;
          if (AcceptKw(Kw::Optional)) p.optional = true;
          if (AcceptKw(Kw::ByVal)) {
            p.by_ref = false;
          } else {
            AcceptKw(Kw::ByRef);
          }
          if (AcceptKw(Kw::ParamArray)) {
            if (p.optional || !p.by_ref) Fail("ParamArray cannot be Optional or ByVal");
            p.param_array = true;
            p.optional = true;
          }
          char psuffix = Cur().suffix;
          p.name = Name(&p.spelling);
          p.type = SuffixType(psuffix);
          if (AcceptOp("(")) {
            ExpectOp(")");
            p.is_array = !p.param_array;
          } else if (p.param_array) {
            Expected("'()' after the ParamArray name");
          }
          if (!proc->params.empty() && proc->params.back().param_array)
            Fail("ParamArray must be the last parameter");
          if (AcceptKw(Kw::As)) p.type = ParseAsType();
          if (AcceptOp("=")) {
            if (!p.optional) Fail("a default value needs Optional");
            p.default_value = ParseExpr();
          }
          if (!p.optional && !proc->params.empty() && proc->params.back().optional)
            Fail("parameter " + p.spelling + " must be Optional: it follows an Optional parameter");
          proc->params.push_back(std::move(p));
        } while (AcceptOp(","));
        ExpectOp(")");
      }
    }
    if (AcceptKw(Kw::As)) {
      if (!proc->is_function) Fail("a Sub has no result type");
      proc->return_type = ParseAsType();
      if (AcceptOp("(")) Unsupported("functions returning typed arrays");
    }
    EndStatement();
    Kw end_kw = proc->is_function ? Kw::Function : Kw::Sub;
    proc->body = ParseBlockUntil([&] { return IsKw(Kw::End) && Peek().kw == end_kw; },
                                 proc->is_function ? "End Function" : "End Sub", proc->line);
    proc->end_line = Cur().line;
    Advance();
    Advance();
    EndStatement();
    module_->procs.push_back(std::move(proc));
  }

  void ParseConsts(std::vector<VarDecl>& out) {
    do {
      VarDecl d;
      d.line = Cur().line;
      d.is_const = true;
      char suffix = Cur().suffix;
      d.name = Name(&d.spelling);
      d.type = SuffixType(suffix);
      if (AcceptKw(Kw::As)) d.type = ParseAsType();
      ExpectOp("=");
      d.value = ParseExpr();
      out.push_back(std::move(d));
    } while (AcceptOp(","));
  }

  void ParseDims(std::vector<VarDecl>& out, bool allow_dynamic_bounds) {
    do {
      VarDecl d;
      d.line = Cur().line;
      if (IsWord("withevents")) Unsupported("WithEvents");
      char suffix = Cur().suffix;
      d.name = Name(&d.spelling);
      d.type = SuffixType(suffix);
      if (AcceptOp("(")) {
        d.is_array = true;
        if (!AcceptOp(")")) {
          d.bounds = ParseBounds();
          ExpectOp(")");
        }
      }
      (void)allow_dynamic_bounds;
      if (AcceptKw(Kw::As)) d.type = ParseAsType();
      out.push_back(std::move(d));
    } while (AcceptOp(","));
  }

  std::vector<Bound> ParseBounds() {
    std::vector<Bound> bounds;
    do {
      Bound b;
      ExprPtr first = ParseExpr();
      if (AcceptKw(Kw::To)) {
        b.lower = std::move(first);
        b.upper = ParseExpr();
      } else {
        b.upper = std::move(first);
      }
      bounds.push_back(std::move(b));
    } while (AcceptOp(","));
    return bounds;
  }

  // ---- blocks and statements
  template <typename Stop>
  Block ParseBlockUntil(Stop stop, const char* closer, int opened_at) {
    Nesting guard(*this);
    Block block;
    while (true) {
      SkipSeparators();
      if (Cur().kind == Tok::End) {
        Fail(std::string("missing ") + closer + " for the block opened on line " +
             std::to_string(opened_at));
      }
      if (stop()) break;
      CheckStrayCloser(closer, opened_at);
      ParseStatementInto(block);
    }
    return block;
  }

  // A closer of another block here means the blocks are not nested properly.
  void CheckStrayCloser(const char* closer, int opened_at) {
    bool stray = false;
    if (IsKw(Kw::End) && (Peek().kw == Kw::Sub || Peek().kw == Kw::Function ||
                          Peek().kw == Kw::If || Peek().kw == Kw::Select || Peek().kw == Kw::With))
      stray = true;
    if (IsKw(Kw::Next) || IsKw(Kw::Loop) || IsKw(Kw::Wend) || IsKw(Kw::ElseIf) || IsKw(Kw::Else) ||
        IsKw(Kw::Case))
      stray = true;
    if (IsKw(Kw::Sub) || IsKw(Kw::Function)) stray = true;
    if (stray) {
      std::string found = Cur().text;
      if (IsKw(Kw::End)) found += " " + Peek().text;
      Fail("'" + found + "' without a matching opening statement (expected " + closer +
           " for the block opened on line " + std::to_string(opened_at) + ")");
    }
  }

  void ParseStatementInto(Block& block) {
    // A label: a name followed by ':' at the start of a line.
    if (Cur().kind == Tok::Word && Cur().kw == Kw::None && Peek().kind == Tok::Colon &&
        (pos_ == 0 || t_[pos_ - 1].kind == Tok::Newline)) {
      auto s = NewStmt(StmtKind::Label);
      s->label = Cur().lower;
      Advance();
      Advance();
      block.push_back(std::move(s));
      return;
    }
    if (Cur().kind == Tok::Number && (pos_ == 0 || t_[pos_ - 1].kind == Tok::Newline)) {
      Unsupported("a line number label");
    }
    StmtPtr s = ParseStatement();
    if (s) block.push_back(std::move(s));
    // "Next j, i" leaves a Next for the enclosing loop.
    if (!AtStatementEnd() && !IsKw(Kw::Next)) Expected("the end of the statement");
  }

  StmtPtr NewStmt(StmtKind kind) {
    auto s = std::make_unique<Stmt>();
    s->kind = kind;
    s->line = Cur().line;
    return s;
  }

  StmtPtr ParseStatement() {
    const Token& tok = Cur();
    if (tok.kind == Tok::Word) {
      switch (tok.kw) {
        case Kw::Dim:
        case Kw::Private:
        case Kw::Public: {
          auto s = NewStmt(StmtKind::Dim);
          Advance();
          if (IsKw(Kw::Const)) {
            Advance();
            ParseConsts(s->decls);
          } else {
            ParseDims(s->decls, true);
          }
          return s;
        }
        case Kw::Static: {
          auto s = NewStmt(StmtKind::Dim);
          Advance();
          if (IsKw(Kw::Sub) || IsKw(Kw::Function)) Unsupported("Static Sub / Static Function");
          ParseDims(s->decls, true);
          for (VarDecl& d : s->decls)
            d.is_static = true;
          return s;
        }
        case Kw::Const: {
          auto s = NewStmt(StmtKind::Dim);
          Advance();
          ParseConsts(s->decls);
          return s;
        }
        case Kw::ReDim:
          return ParseReDim();
        case Kw::If:
          return ParseIf();
        case Kw::Select:
          return ParseSelect();
        case Kw::For:
          return ParseFor();
        case Kw::Do:
          return ParseDo();
        case Kw::While: {
          auto s = NewStmt(StmtKind::While);
          int line = s->line;
          Advance();
          s->value = ParseExpr();
          EndStatement();
          s->body = ParseBlockUntil([&] { return IsKw(Kw::Wend); }, "Wend", line);
          Advance();
          return s;
        }
        case Kw::Exit: {
          auto s = NewStmt(StmtKind::Exit);
          Advance();
          if (AcceptKw(Kw::For)) {
            s->exit = ExitKind::For;
          } else if (AcceptKw(Kw::Do)) {
            s->exit = ExitKind::Do;
          } else if (AcceptKw(Kw::Sub)) {
            s->exit = ExitKind::Sub;
          } else if (AcceptKw(Kw::Function)) {
            s->exit = ExitKind::Function;
          } else if (IsWord("property")) {
            Unsupported("Property Get/Let/Set");
          } else {
            Expected("'For', 'Do', 'Sub' or 'Function' after Exit");
          }
          return s;
        }
        case Kw::GoTo: {
          auto s = NewStmt(StmtKind::GoTo);
          Advance();
          if (Cur().kind == Tok::Number) Unsupported("a line number label");
          s->label = Name();
          return s;
        }
        case Kw::On:
          return ParseOnError();
        case Kw::Resume: {
          auto s = NewStmt(StmtKind::Resume);
          Advance();
          if (AcceptKw(Kw::Next)) {
            s->resume = ResumeKind::Next;
          } else if (Cur().kind == Tok::Number && Cur().value.int_value() == 0) {
            Advance();
            s->resume = ResumeKind::Same;
          } else if (!AtStatementEnd()) {
            s->resume = ResumeKind::Label;
            s->label = Name();
          }
          return s;
        }
        case Kw::With: {
          auto s = NewStmt(StmtKind::With);
          int line = s->line;
          Advance();
          s->target = ParseExpr();
          EndStatement();
          s->body = ParseBlockUntil([&] { return IsKw(Kw::End) && Peek().kw == Kw::With; },
                                    "End With", line);
          Advance();
          Advance();
          return s;
        }
        case Kw::Call: {
          auto s = NewStmt(StmtKind::Call);
          Advance();
          s->value = ParsePostfix(ParsePrimaryName(false), false);
          if (!AtStatementEnd()) Expected("the end of the Call statement");
          return s;
        }
        case Kw::Set: {
          auto s = NewStmt(StmtKind::Assign);
          s->is_set = true;
          Advance();
          s->target = ParsePostfix(ParseHead(), false);
          ExpectOp("=");
          if (IsKw(Kw::New)) Unsupported("New (use CreateObject)");
          s->value = ParseExpr();
          return s;
        }
        case Kw::End: {
          auto s = NewStmt(StmtKind::End);
          Advance();
          if (!AtStatementEnd())
            Fail("'End " + Cur().text + "' without a matching opening statement");
          return s;
        }
        case Kw::Sub:
        case Kw::Function:
          Fail("a " + tok.text + " cannot be declared inside another Sub or Function");
        case Kw::ParamArray:
          Fail("ParamArray belongs in a parameter list");
        case Kw::None:
          break;
        default:
          Fail("unexpected " + Describe(tok) + " at the start of a statement");
      }
      const std::string& w = tok.lower;
      bool plain = Peek().kind != Tok::Op ||
                   (Peek().text != "=" && Peek().text != "." && Peek().text != "(");
      if (w == "print" && tok.suffix == 0) return ParsePrint(false);
      if (w == "debug" && Peek().kind == Tok::Op && Peek().text == "." &&
          Peek(2).kind == Tok::Word && Peek(2).lower == "print") {
        Advance();
        Advance();
        return ParsePrint(true);
      }
      if (w == "open" && plain) return ParseOpen();
      if (w == "close" && plain) return ParseClose();
      if (w == "line" && Peek().kind == Tok::Word && Peek().lower == "input") {
        Advance();
        auto s = NewStmt(StmtKind::LineInput);
        Advance();
        s->value = ParseChannel(true);
        ExpectOp(",");
        s->target = ParsePostfix(ParseHead(), false);
        return s;
      }
      if (w == "input" && Peek().kind == Tok::Op && Peek().text == "#") {
        auto s = NewStmt(StmtKind::Input);
        Advance();
        s->value = ParseChannel(true);
        ExpectOp(",");
        do {
          s->items.push_back(ParsePostfix(ParseHead(), false));
        } while (AcceptOp(","));
        return s;
      }
      if (w == "write" && Peek().kind == Tok::Op && Peek().text == "#") {
        auto s = NewStmt(StmtKind::Write);
        Advance();
        s->value = ParseChannel(true);
        if (AcceptOp(",")) {
          while (!AtStatementEnd()) {
            s->items.push_back(ParseExpr());
            if (!AcceptOp(",") && !AcceptOp(";")) break;
          }
        }
        return s;
      }
      if (w == "name" && plain) {
        auto s = NewStmt(StmtKind::Name);
        Advance();
        s->from = ParseExpr();
        ExpectKw(Kw::As, "As");
        s->to = ParseExpr();
        return s;
      }
      if (w == "erase" && plain) {
        auto s = NewStmt(StmtKind::Erase);
        Advance();
        do {
          s->items.push_back(ParseHead());
        } while (AcceptOp(","));
        return s;
      }
      if (w == "let" && plain) Advance();
      if (w == "gosub" || (w == "return" && plain)) Unsupported("GoSub ... Return");
      if (w == "stop" && plain) Unsupported("Stop");
      if ((w == "get" || w == "put" || w == "seek" || w == "lock" || w == "unlock") &&
          Peek().kind == Tok::Op && Peek().text == "#")
        Unsupported(tok.text + " # (binary and random file access)");
      if ((w == "lset" || w == "rset") && plain) Unsupported(tok.text);
      if (w == "raiseevent") Unsupported("RaiseEvent");
      if (w == "error" && plain && !AtStatementEndAt(1)) {
        // "Error n" raises run-time error n.
        auto s = NewStmt(StmtKind::Call);
        Advance();
        auto call = MakeExpr(ExprKind::Member);
        call->a = MakeExpr(ExprKind::Name);
        call->a->name = "err";
        call->a->spelling = "Err";
        call->name = "raise";
        call->spelling = "Raise";
        call->args.push_back(ParseExpr());
        s->value = std::move(call);
        return s;
      }
      CheckUnsupportedDeclaration();
    }
    if (tok.kind == Tok::Word || IsOp(".")) return ParseAssignOrCall();
    Fail("unexpected " + Describe(tok) + " at the start of a statement");
  }

  bool AtStatementEndAt(int n) const {
    const Token& t = Peek(n);
    return t.kind == Tok::Newline || t.kind == Tok::End || t.kind == Tok::Colon;
  }

  StmtPtr ParseAssignOrCall() {
    auto s = NewStmt(StmtKind::Assign);
    ExprPtr head = ParseHead();
    ExprPtr target = ParsePostfix(std::move(head), /*statement=*/true);
    if (AcceptOp("=")) {
      s->target = std::move(target);
      if (IsKw(Kw::New)) Unsupported("New (use CreateObject)");
      s->value = ParseExpr();
      return s;
    }
    s->kind = StmtKind::Call;
    if (!AtStatementEnd()) {
      // Arguments without parentheses: "Foo 1, 2" or "obj.Method (x), y".
      if (target->has_parens) {
        Fail("unexpected " + Describe(Cur()) + " after the argument list");
      }
      do {
        if (IsOp(",")) {
          target->args.push_back(MakeExpr(ExprKind::Missing));
          continue;
        }
        if (Cur().kind == Tok::Word && Peek().kind == Tok::Op && Peek().text == ":=")
          Unsupported("a named argument (name:=value)");
        target->args.push_back(ParseExpr());
      } while (AcceptOp(","));
    }
    if (target->kind != ExprKind::Name && target->kind != ExprKind::Member)
      Fail("expected a procedure call or an assignment");
    s->value = std::move(target);
    return s;
  }

  StmtPtr ParseReDim() {
    auto s = NewStmt(StmtKind::ReDim);
    Advance();
    s->preserve = AcceptKw(Kw::Preserve);
    do {
      VarDecl d;
      d.line = Cur().line;
      d.name = Name(&d.spelling);
      d.is_array = true;
      ExpectOp("(");
      d.bounds = ParseBounds();
      ExpectOp(")");
      if (AcceptKw(Kw::As)) d.type = ParseAsType();
      s->decls.push_back(std::move(d));
    } while (AcceptOp(","));
    return s;
  }

  StmtPtr ParseIf() {
    auto s = NewStmt(StmtKind::If);
    int line = s->line;
    Advance();
    s->conditions.push_back(ParseExpr());
    ExpectKw(Kw::Then, "Then");
    if (!AtLineEnd()) {
      // Single-line If: statements up to the end of the line, optional Else.
      ++single_line_if_;
      s->blocks.emplace_back(ParseLineStatements());
      if (AcceptKw(Kw::Else)) s->else_body = ParseLineStatements();
      --single_line_if_;
      return s;
    }
    s->blocks.emplace_back(ParseBlockUntil(
        [&] {
          return IsKw(Kw::ElseIf) || IsKw(Kw::Else) || (IsKw(Kw::End) && Peek().kw == Kw::If);
        },
        "End If", line));
    while (AcceptKw(Kw::ElseIf)) {
      s->conditions.push_back(ParseExpr());
      ExpectKw(Kw::Then, "Then");
      EndStatement();
      s->blocks.emplace_back(ParseBlockUntil(
          [&] {
            return IsKw(Kw::ElseIf) || IsKw(Kw::Else) || (IsKw(Kw::End) && Peek().kw == Kw::If);
          },
          "End If", line));
    }
    if (AcceptKw(Kw::Else)) {
      s->else_body =
          ParseBlockUntil([&] { return IsKw(Kw::End) && Peek().kw == Kw::If; }, "End If", line);
    }
    Advance();
    Advance();
    return s;
  }

  Block ParseLineStatements() {
    Block block;
    while (true) {
      if (AtLineEnd() || IsKw(Kw::Else)) break;
      if (Cur().kind == Tok::Colon) {
        Advance();
        continue;
      }
      StmtPtr st = ParseStatement();
      if (st) block.push_back(std::move(st));
      if (!AtStatementEnd()) Expected("the end of the statement");
    }
    return block;
  }

  StmtPtr ParseSelect() {
    auto s = NewStmt(StmtKind::Select);
    int line = s->line;
    Advance();
    ExpectKw(Kw::Case, "Case");
    s->value = ParseExpr();
    EndStatement();
    SkipSeparators();
    bool seen_else = false;
    while (!(IsKw(Kw::End) && Peek().kw == Kw::Select)) {
      if (Cur().kind == Tok::End)
        Fail("missing End Select for the Select Case on line " + std::to_string(line));
      if (!IsKw(Kw::Case)) Expected("'Case' or 'End Select'");
      if (seen_else) Fail("Case after Case Else");
      CaseClause clause;
      clause.line = Cur().line;
      Advance();
      if (AcceptKw(Kw::Else)) {
        seen_else = true;
      } else {
        do {
          CaseItem item;
          if (AcceptKw(Kw::Is)) {
            item.kind = CaseItemKind::Is;
            item.op = ParseComparisonOp();
            item.a = ParseConcat();
          } else {
            item.a = ParseExpr();
            if (AcceptKw(Kw::To)) {
              item.kind = CaseItemKind::Range;
              item.b = ParseExpr();
            }
          }
          clause.items.push_back(std::move(item));
        } while (AcceptOp(","));
      }
      clause.body = ParseBlockUntil(
          [&] { return IsKw(Kw::Case) || (IsKw(Kw::End) && Peek().kw == Kw::Select); },
          "End Select", line);
      s->cases.push_back(std::move(clause));
    }
    Advance();
    Advance();
    return s;
  }

  BinOp ParseComparisonOp() {
    static const std::pair<const char*, BinOp> kOps[] = {{"=", BinOp::Eq}, {"<>", BinOp::Ne},
                                                         {"<", BinOp::Lt}, {"<=", BinOp::Le},
                                                         {">", BinOp::Gt}, {">=", BinOp::Ge}};
    for (auto& [text, op] : kOps) {
      if (AcceptOp(text)) return op;
    }
    Expected("a comparison operator after Is");
  }

  StmtPtr ParseFor() {
    int line = Cur().line;
    Advance();
    if (AcceptKw(Kw::Each)) {
      auto s = NewStmt(StmtKind::ForEach);
      s->line = line;
      s->target = ParseHead();
      ExpectKw(Kw::In, "In");
      s->value = ParseExpr();
      EndStatement();
      s->body = ParseBlockUntil([&] { return IsKw(Kw::Next); }, "Next", line);
      CloseNext();
      return s;
    }
    auto s = NewStmt(StmtKind::For);
    s->line = line;
    s->target = ParseHead();
    ExpectOp("=");
    s->from = ParseExpr();
    ExpectKw(Kw::To, "To");
    s->to = ParseExpr();
    if (AcceptKw(Kw::Step)) s->step = ParseExpr();
    EndStatement();
    s->body = ParseBlockUntil([&] { return IsKw(Kw::Next); }, "Next", line);
    CloseNext();
    return s;
  }

  // "Next", "Next i", or "Next j, i", which also closes the enclosing loop.
  void CloseNext() {
    Advance();
    if (Cur().kind == Tok::Word && Cur().kw == Kw::None) {
      Advance();
      if (IsOp(",")) {
        Token& comma = t_[pos_];
        comma.kind = Tok::Word;
        comma.kw = Kw::Next;
        comma.text = "Next";
        comma.lower = "next";
      }
    }
  }

  StmtPtr ParseDo() {
    auto s = NewStmt(StmtKind::Do);
    int line = s->line;
    Advance();
    if (AcceptKw(Kw::While)) {
      s->pre = LoopTest::While;
      s->value = ParseExpr();
    } else if (AcceptKw(Kw::Until)) {
      s->pre = LoopTest::Until;
      s->value = ParseExpr();
    }
    EndStatement();
    s->body = ParseBlockUntil([&] { return IsKw(Kw::Loop); }, "Loop", line);
    Advance();
    if (AcceptKw(Kw::While)) {
      if (s->pre != LoopTest::None) Fail("a Do loop cannot test both at Do and at Loop");
      s->post = LoopTest::While;
      s->value = ParseExpr();
    } else if (AcceptKw(Kw::Until)) {
      if (s->pre != LoopTest::None) Fail("a Do loop cannot test both at Do and at Loop");
      s->post = LoopTest::Until;
      s->value = ParseExpr();
    }
    return s;
  }

  StmtPtr ParseOnError() {
    auto s = NewStmt(StmtKind::OnError);
    Advance();
    if (!AcceptWord("error")) Unsupported("On ... GoTo / On ... GoSub");
    if (AcceptKw(Kw::Resume)) {
      ExpectKw(Kw::Next, "Next");
      s->on_error = OnErrorKind::ResumeNext;
      return s;
    }
    ExpectKw(Kw::GoTo, "GoTo");
    if (Cur().kind == Tok::Number && Cur().value.int_value() == 0) {
      Advance();
      s->on_error = OnErrorKind::Zero;
      return s;
    }
    if (Cur().kind == Tok::Op && Cur().text == "-") Unsupported("On Error GoTo -1");
    if (Cur().kind == Tok::Number) Unsupported("a line number label");
    s->on_error = OnErrorKind::GoTo;
    s->label = Name();
    return s;
  }

  StmtPtr ParsePrint(bool debug) {
    auto s = NewStmt(StmtKind::Print);
    Advance();
    if (!debug && IsOp("#")) {
      s->value = ParseChannel(true);
      if (!AcceptOp(",")) {
        EndStatement();
        return s;
      }
    }
    while (!AtStatementEnd()) {
      PrintItem item;
      if (!IsOp(";") && !IsOp(",")) item.value = ParseExpr();
      if (AcceptOp(";")) {
        item.separator = ';';
      } else if (AcceptOp(",")) {
        item.separator = ',';
      }
      bool last = item.separator == 0;
      s->print_items.push_back(std::move(item));
      if (last) break;
    }
    return s;
  }

  ExprPtr ParseChannel(bool require_hash) {
    if (!AcceptOp("#") && require_hash) Expected("'#' and a file number");
    return ParseExpr();
  }

  StmtPtr ParseOpen() {
    auto s = NewStmt(StmtKind::Open);
    Advance();
    s->value = ParseExpr();
    ExpectKw(Kw::For, "For");
    if (AcceptWord("input")) {
      s->mode = FileMode::Input;
    } else if (AcceptWord("output")) {
      s->mode = FileMode::Output;
    } else if (AcceptWord("append")) {
      s->mode = FileMode::Append;
    } else if (IsWord("binary") || IsWord("random")) {
      Unsupported("Open ... For " + Cur().text);
    } else {
      Expected("'Input', 'Output' or 'Append'");
    }
    if (IsWord("access") || IsWord("shared") || IsWord("lock")) {
      Unsupported("Open with " + Cur().text);
    }
    ExpectKw(Kw::As, "As");
    s->target = ParseChannel(false);
    if (IsWord("len")) Unsupported("Open ... Len =");
    return s;
  }

  StmtPtr ParseClose() {
    auto s = NewStmt(StmtKind::Close);
    Advance();
    while (!AtStatementEnd()) {
      s->items.push_back(ParseChannel(false));
      if (!AcceptOp(",")) break;
    }
    return s;
  }

  // ---- expressions
  ExprPtr MakeExpr(ExprKind kind) {
    auto e = std::make_unique<Expr>();
    e->kind = kind;
    e->line = Cur().line;
    return e;
  }
  ExprPtr Binary(BinOp op, ExprPtr a, ExprPtr b) {
    auto e = std::make_unique<Expr>();
    e->kind = ExprKind::Binary;
    e->line = a->line;
    e->op = op;
    e->height = 1 + std::max(a->height, b->height);
    if (e->height > kMaxNesting)
      Fail("the expression is too long; split it into several statements");
    e->a = std::move(a);
    e->b = std::move(b);
    return e;
  }

  // Depth guard: a pathological script must not exhaust the host's stack.
  struct Nesting {
    Parser& p;
    explicit Nesting(Parser& parser) : p(parser) {
      if (++p.depth_ > kMaxNesting) p.Fail("the script is nested too deeply here");
    }
    ~Nesting() { --p.depth_; }
  };
  static constexpr int kMaxNesting = 400;

  ExprPtr ParseExpr() {
    Nesting guard(*this);
    return ParseImp();
  }

  ExprPtr ParseImp() {
    ExprPtr e = ParseEqv();
    while (AcceptKw(Kw::Imp))
      e = Binary(BinOp::Imp, std::move(e), ParseEqv());
    return e;
  }
  ExprPtr ParseEqv() {
    ExprPtr e = ParseXor();
    while (AcceptKw(Kw::Eqv))
      e = Binary(BinOp::Eqv, std::move(e), ParseXor());
    return e;
  }
  ExprPtr ParseXor() {
    ExprPtr e = ParseOr();
    while (AcceptKw(Kw::Xor))
      e = Binary(BinOp::Xor, std::move(e), ParseOr());
    return e;
  }
  ExprPtr ParseOr() {
    ExprPtr e = ParseAnd();
    while (AcceptKw(Kw::Or))
      e = Binary(BinOp::Or, std::move(e), ParseAnd());
    return e;
  }
  ExprPtr ParseAnd() {
    ExprPtr e = ParseNot();
    while (AcceptKw(Kw::And))
      e = Binary(BinOp::And, std::move(e), ParseNot());
    return e;
  }
  ExprPtr ParseNot() {
    Nesting guard(*this);
    if (IsKw(Kw::Not)) {
      auto e = MakeExpr(ExprKind::Unary);
      Advance();
      e->op = BinOp::Not;
      e->a = ParseNot();
      return e;
    }
    return ParseCompare();
  }
  ExprPtr ParseCompare() {
    ExprPtr e = ParseConcat();
    while (true) {
      BinOp op;
      if (IsOp("=")) {
        op = BinOp::Eq;
      } else if (IsOp("<>")) {
        op = BinOp::Ne;
      } else if (IsOp("<")) {
        op = BinOp::Lt;
      } else if (IsOp("<=")) {
        op = BinOp::Le;
      } else if (IsOp(">")) {
        op = BinOp::Gt;
      } else if (IsOp(">=")) {
        op = BinOp::Ge;
      } else if (IsKw(Kw::Like)) {
        op = BinOp::Like;
      } else if (IsKw(Kw::Is)) {
        op = BinOp::Is;
      } else {
        return e;
      }
      Advance();
      e = Binary(op, std::move(e), ParseConcat());
    }
  }
  ExprPtr ParseConcat() {
    ExprPtr e = ParseAdd();
    while (AcceptOp("&"))
      e = Binary(BinOp::Concat, std::move(e), ParseAdd());
    return e;
  }
  ExprPtr ParseAdd() {
    ExprPtr e = ParseMod();
    while (true) {
      if (AcceptOp("+")) {
        e = Binary(BinOp::Add, std::move(e), ParseMod());
      } else if (AcceptOp("-")) {
        e = Binary(BinOp::Sub, std::move(e), ParseMod());
      } else {
        return e;
      }
    }
  }
  ExprPtr ParseMod() {
    ExprPtr e = ParseIntDiv();
    while (AcceptKw(Kw::Mod))
      e = Binary(BinOp::Mod, std::move(e), ParseIntDiv());
    return e;
  }
  ExprPtr ParseIntDiv() {
    ExprPtr e = ParseMul();
    while (AcceptOp("\\"))
      e = Binary(BinOp::IntDiv, std::move(e), ParseMul());
    return e;
  }
  ExprPtr ParseMul() {
    ExprPtr e = ParseNeg();
    while (true) {
      if (AcceptOp("*")) {
        e = Binary(BinOp::Mul, std::move(e), ParseNeg());
      } else if (AcceptOp("/")) {
        e = Binary(BinOp::Div, std::move(e), ParseNeg());
      } else {
        return e;
      }
    }
  }
  ExprPtr ParseNeg() {
    Nesting guard(*this);
    if (IsOp("-") || IsOp("+")) {
      bool neg = IsOp("-");
      auto e = MakeExpr(ExprKind::Unary);
      Advance();
      ExprPtr operand = ParseNeg();
      if (!neg) return operand;
      e->op = BinOp::Neg;
      e->a = std::move(operand);
      return e;
    }
    return ParsePow();
  }
  ExprPtr ParsePow() {
    ExprPtr e = ParsePostfix(ParsePrimary(), false);
    while (AcceptOp("^")) {
      ExprPtr rhs;
      if (IsOp("-")) {
        rhs = MakeExpr(ExprKind::Unary);
        Advance();
        rhs->op = BinOp::Neg;
        rhs->a = ParsePostfix(ParsePrimary(), false);
      } else {
        rhs = ParsePostfix(ParsePrimary(), false);
      }
      e = Binary(BinOp::Pow, std::move(e), std::move(rhs));
    }
    return e;
  }

  ExprPtr ParsePrimary() {
    const Token& tok = Cur();
    switch (tok.kind) {
      case Tok::Number:
      case Tok::String:
      case Tok::Date: {
        auto e = MakeExpr(ExprKind::Const);
        e->value = tok.value;
        Advance();
        return e;
      }
      case Tok::Op:
        if (tok.text == "(") {
          Advance();
          ExprPtr e = ParseExpr();
          ExpectOp(")");
          e->parenthesized = true;
          return e;
        }
        if (tok.text == ".") return ParseHead();
        break;
      case Tok::Word: {
        auto e = MakeExpr(ExprKind::Const);
        switch (tok.kw) {
          case Kw::True:
            e->value = Variant::Bool(true);
            break;
          case Kw::False:
            e->value = Variant::Bool(false);
            break;
          case Kw::Empty:
            break;
          case Kw::Null:
            e->value = Variant::Null();
            break;
          case Kw::Nothing:
            e->value = Variant::Object(nullptr);
            break;
          case Kw::New:
            Unsupported("New (use CreateObject)");
          case Kw::None:
            if (tok.lower == "typeof") Unsupported("TypeOf ... Is");
            if (tok.lower == "addressof") Unsupported("AddressOf");
            return ParseHead();
          default:
            Expected("an expression");
        }
        Advance();
        return e;
      }
      default:
        break;
    }
    Expected("an expression");
  }

  // A name with its argument list, or ".member" inside With.
  ExprPtr ParseHead() {
    if (IsOp(".")) {
      auto e = MakeExpr(ExprKind::Member);
      Advance();
      if (Cur().kind != Tok::Word) Expected("a member name after '.'");
      e->name = Cur().lower;
      e->spelling = Cur().text;
      Advance();
      return e;
    }
    return ParsePrimaryName(true);
  }

  ExprPtr ParsePrimaryName(bool allow_keywordless) {
    (void)allow_keywordless;
    if (Cur().kind != Tok::Word || Cur().kw != Kw::None) Expected("a name");
    auto e = MakeExpr(ExprKind::Name);
    e->name = Cur().lower;
    e->spelling = Cur().text;
    if (Cur().suffix) e->decl_type = SuffixType(Cur().suffix);
    Advance();
    return e;
  }

  // Member accesses and argument lists after a head. At the start of a
  // statement, "Foo (x)" with a blank before the parenthesis passes (x) as
  // an argument rather than calling with parentheses.
  ExprPtr ParsePostfix(ExprPtr e, bool statement) {
    while (true) {
      if (IsOp("(")) {
        if (statement && Cur().space_before &&
            (e->kind == ExprKind::Name || e->kind == ExprKind::Member) && !e->has_parens) {
          // Decide by what follows the closing parenthesis: "=" makes it an
          // element assignment "a (1) = 2".
          size_t close = MatchingParen(pos_);
          if (close + 1 >= t_.size() ||
              !(t_[close + 1].kind == Tok::Op && t_[close + 1].text == "="))
            return e;
        }
        std::vector<ExprPtr> args = ParseArgs();
        if ((e->kind == ExprKind::Name || e->kind == ExprKind::Member) && !e->has_parens) {
          e->has_parens = true;
          e->args = std::move(args);
        } else {
          auto apply = MakeExpr(ExprKind::Apply);
          apply->a = std::move(e);
          apply->args = std::move(args);
          apply->has_parens = true;
          e = std::move(apply);
        }
        continue;
      }
      if (IsOp(".")) {
        Advance();
        if (Cur().kind != Tok::Word) Expected("a member name after '.'");
        auto m = MakeExpr(ExprKind::Member);
        m->name = Cur().lower;
        m->spelling = Cur().text;
        m->a = std::move(e);
        Advance();
        e = std::move(m);
        continue;
      }
      if (IsOp("!")) Unsupported("the ! member operator");
      return e;
    }
  }

  size_t MatchingParen(size_t open) const {
    int depth = 0;
    for (size_t p = open; p < t_.size(); ++p) {
      const Token& t = t_[p];
      if (t.kind == Tok::Newline || t.kind == Tok::End) return p;
      if (t.kind == Tok::Op && t.text == "(") ++depth;
      if (t.kind == Tok::Op && t.text == ")" && --depth == 0) return p;
    }
    return t_.size() - 1;
  }

  std::vector<ExprPtr> ParseArgs() {
    ExpectOp("(");
    std::vector<ExprPtr> args;
    if (AcceptOp(")")) return args;
    while (true) {
      if (IsOp(",")) {
        args.push_back(MakeExpr(ExprKind::Missing));
        Advance();
        continue;
      }
      if (IsOp(")")) {
        args.push_back(MakeExpr(ExprKind::Missing));
        break;
      }
      if (Cur().kind == Tok::Word && Peek().kind == Tok::Op && Peek().text == ":=")
        Unsupported("a named argument (name:=value)");
      if (IsKw(Kw::ByVal)) Advance();
      args.push_back(ParseExpr());
      if (!AcceptOp(",")) break;
    }
    ExpectOp(")");
    return args;
  }

  std::vector<Token> t_;
  size_t pos_ = 0;
  const std::string& file_;
  std::unique_ptr<Module> module_;
  int single_line_if_ = 0;
  int depth_ = 0;
};

}  // namespace

Result<std::unique_ptr<Module>> Parse(std::vector<Token> tokens, const std::string& file) {
  return Parser(std::move(tokens), file).Run();
}

}  // namespace rv::script
