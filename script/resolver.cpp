#include "script/resolver.h"

#include <algorithm>
#include <map>
#include <unordered_map>

#include "script/builtins.h"
#include "script/script_error.h"
#include "script/values.h"

namespace rv::script {

namespace {

struct ResolveError {
  std::string message;
};

struct GlobalName {
  enum Kind { Var, Const, ProcName } kind = Var;
  int slot = -1;
  VarType type = VarType::Variant;
  bool is_array = false;
  Variant value;
  Proc* proc = nullptr;
  const Module* module = nullptr;
};

struct LocalName {
  bool is_const = false;
  bool is_global = false;  // Static: the slot is a module slot
  int slot = -1;
  VarType type = VarType::Variant;
  bool is_array = false;
  Variant value;
};

struct LoopLabels {
  bool is_for;
  std::vector<int> exits;  // instructions to patch with the loop's end
};

class Resolver {
 public:
  Resolver(std::vector<std::unique_ptr<Module>> modules, const ResolveContext& context)
      : context_(context) {
    program_ = std::make_unique<Program>();
    program_->modules = std::move(modules);
  }

  Result<std::unique_ptr<Program>> Run() {
    try {
      DeclareGlobals();
      for (auto& module : program_->modules) {
        module_ = module.get();
        for (auto& proc : module->procs) {
          // A hidden-code procedure the script redefines is never called.
          auto found = globals_.find(proc->name);
          if (found != globals_.end() && found->second.proc != proc.get()) continue;
          CompileProc(*proc);
        }
      }
    } catch (const ResolveError& e) {
      return MakeError(e.message);
    }
    auto main = globals_.find("main");
    if (main == globals_.end() || main->second.kind != GlobalName::ProcName ||
        main->second.proc->is_function) {
      const Module& script = *program_->modules.back();
      return MakeError(script.file + ":1: the script has no Sub Main");
    }
    program_->main = main->second.proc;
    return std::move(program_);
  }

 private:
  [[noreturn]] void Fail(int line, const std::string& message) const {
    throw ResolveError{module_->file + ":" + std::to_string(line) + ": " + message};
  }

  // ---- module level
  void DeclareGlobals() {
    for (auto& module : program_->modules) {
      module_ = module.get();
      bool script = module.get() == program_->modules.back().get();
      std::map<std::string, int> seen;
      auto check_duplicate = [&](const std::string& name, const std::string& spelling, int line) {
        if (!seen.emplace(name, line).second)
          Fail(line, "duplicate definition of " + spelling + " (first defined on line " +
                         std::to_string(seen[name]) + ")");
      };
      for (VarDecl& d : module->globals) {
        check_duplicate(d.name, d.spelling, d.line);
        GlobalName g;
        g.module = module.get();
        if (d.is_const) {
          g.kind = GlobalName::Const;
          g.value = ConstValue(d, nullptr);
        } else {
          g.kind = GlobalName::Var;
          g.slot = static_cast<int>(program_->globals.size());
          g.type = d.type;
          g.is_array = d.is_array;
          program_->globals.push_back(MakeSlotInit(d, nullptr, module->option_base));
        }
        Define(d.name, std::move(g), script);
      }
      for (auto& proc : module->procs) {
        check_duplicate(proc->name, proc->spelling, proc->line);
        GlobalName g;
        g.kind = GlobalName::ProcName;
        g.proc = proc.get();
        g.module = module.get();
        Define(proc->name, std::move(g), script);
      }
    }
  }

  void Define(const std::string& name, GlobalName g, bool script) {
    (void)script;
    globals_[name] = std::move(g);  // later modules (the script) win
  }

  Variant ConstValue(VarDecl& d, Proc* proc) {
    ResolveExpr(d.value, proc);
    if (d.value->kind != ExprKind::Const)
      Fail(d.line, "the value of constant " + d.spelling + " must be a constant expression");
    try {
      return ConvertTo(d.value->value, d.type);
    } catch (const ScriptError& e) {
      Fail(d.line, "constant " + d.spelling + ": " + e.description);
    }
  }

  SlotInit MakeSlotInit(VarDecl& d, Proc* proc, int option_base) {
    SlotInit init;
    init.type = d.type;
    init.is_array = d.is_array;
    init.initial = DefaultValue(d.type);
    for (Bound& b : d.bounds) {
      int64_t lower = option_base;
      if (b.lower) lower = ConstInt(b.lower, proc, d);
      int64_t upper = ConstInt(b.upper, proc, d);
      if (upper < lower)
        Fail(d.line, "array " + d.spelling + " has an upper bound below its lower bound");
      if (upper - lower + 1 > 100000000) Fail(d.line, "array " + d.spelling + " is too large");
      init.bounds.push_back(
          ArrayBound{static_cast<int32_t>(lower), static_cast<int32_t>(upper - lower + 1)});
    }
    return init;
  }

  int64_t ConstInt(ExprPtr& e, Proc* proc, const VarDecl& d) {
    ResolveExpr(e, proc);
    if (e->kind != ExprKind::Const)
      Fail(d.line, "the bounds of array " + d.spelling +
                       " must be constants (use ReDim for computed sizes)");
    try {
      return ToLong(e->value);
    } catch (const ScriptError& err) {
      Fail(d.line, "array " + d.spelling + ": " + err.description);
    }
  }

  // ---- procedures
  void CompileProc(Proc& proc) {
    proc_ = &proc;
    proc.compare_text = module_->compare_text;
    proc.option_base = module_->option_base;
    locals_.clear();
    withs_.clear();
    loops_.clear();
    labels_.clear();
    gotos_.clear();
    code_.clear();
    proc.slots.clear();
    for (Param& p : proc.params) {
      if (locals_.count(p.name)) Fail(proc.line, "duplicate parameter " + p.spelling);
      LocalName l;
      l.slot = NewSlot(p.type, p.is_array);
      l.type = p.type;
      l.is_array = p.is_array || p.param_array;
      locals_[p.name] = l;
      if (p.default_value) {
        ResolveExpr(p.default_value, &proc);
        if (p.default_value->kind != ExprKind::Const)
          Fail(proc.line, "the default of parameter " + p.spelling + " must be a constant");
      }
      if (!p.optional) ++proc.required_params;
    }
    if (proc.is_function) {
      proc.result_slot = NewSlot(proc.return_type, false);
      LocalName l;
      l.slot = proc.result_slot;
      l.type = proc.return_type;
      locals_[proc.name] = l;
    }
    CompileBlock(proc.body);
    Emit(Op::Return, proc.end_line);
    for (auto& [index, label] : gotos_) {
      auto found = labels_.find(label.first);
      if (found == labels_.end())
        Fail(label.second, "label " + label.first + " is not defined in " + proc.spelling);
      code_[static_cast<size_t>(index)].target = found->second;
    }
    proc.code = std::move(code_);
    code_.clear();
  }

  int NewSlot(VarType type, bool is_array) {
    SlotInit init;
    init.type = type;
    init.is_array = is_array;
    init.initial = DefaultValue(type);
    proc_->slots.push_back(std::move(init));
    return static_cast<int>(proc_->slots.size()) - 1;
  }

  int Emit(Op op, int line) {
    Instr in;
    in.op = op;
    in.line = line;
    code_.push_back(in);
    return static_cast<int>(code_.size()) - 1;
  }
  int Here() const { return static_cast<int>(code_.size()); }

  Expr* HiddenLocal(int slot, int line) {
    auto e = std::make_unique<Expr>();
    e->kind = ExprKind::Local;
    e->slot = slot;
    e->line = line;
    Expr* raw = e.get();
    proc_->synthetic.push_back(std::move(e));
    return raw;
  }

  void CompileBlock(Block& block) {
    for (StmtPtr& s : block)
      CompileStmt(*s);
  }

  void CompileStmt(Stmt& s) {
    switch (s.kind) {
      case StmtKind::Assign: {
        ResolveTarget(s.target, s.line);
        if (s.is_set) ErrAsObject(s.value);
        ResolveExpr(s.value, proc_);
        Expr* t = s.target.get();
        Expr* v = s.value.get();
        bool appendable = (t->kind == ExprKind::Local || t->kind == ExprKind::Global) &&
                          (t->decl_type == VarType::String || t->decl_type == VarType::Variant) &&
                          !s.is_set && v->kind == ExprKind::Binary && v->op == BinOp::Concat &&
                          v->a->kind == t->kind && v->a->slot == t->slot;
        int i = Emit(appendable ? Op::Append : Op::Assign, s.line);
        code_[i].stmt = &s;
        code_[i].a = t;
        code_[i].b = appendable ? v->b.get() : v;
        return;
      }
      case StmtKind::Call: {
        ResolveCall(s.value, s.line);
        int i = Emit(Op::Eval, s.line);
        code_[i].a = s.value.get();
        code_[i].stmt = &s;
        return;
      }
      case StmtKind::If: {
        std::vector<int> ends;
        for (size_t k = 0; k < s.conditions.size(); ++k) {
          ResolveExpr(s.conditions[k], proc_);
          int test = Emit(Op::JumpIfNot, s.conditions[k]->line);
          code_[test].a = s.conditions[k].get();
          CompileBlock(s.blocks[k]);
          if (k + 1 < s.conditions.size() || !s.else_body.empty())
            ends.push_back(Emit(Op::Jump, s.line));
          code_[test].target = Here();
        }
        CompileBlock(s.else_body);
        for (int e : ends)
          code_[e].target = Here();
        return;
      }
      case StmtKind::Select: {
        ResolveExpr(s.value, proc_);
        int subject = NewSlot(VarType::Variant, false);
        int set = Emit(Op::Assign, s.line);
        code_[set].a = HiddenLocal(subject, s.line);
        code_[set].b = s.value.get();
        std::vector<int> ends;
        for (CaseClause& c : s.cases) {
          for (CaseItem& item : c.items) {
            ResolveExpr(item.a, proc_);
            if (item.b) ResolveExpr(item.b, proc_);
          }
          int test = -1;
          if (!c.items.empty()) {
            test = Emit(Op::CaseTest, c.line);
            code_[test].slot = subject;
            code_[test].clause = &c;
            code_[test].stmt = &s;
          }
          CompileBlock(c.body);
          ends.push_back(Emit(Op::Jump, c.line));
          if (test >= 0) code_[test].target = Here();
        }
        for (int e : ends)
          code_[e].target = Here();
        return;
      }
      case StmtKind::For: {
        ResolveLoopVar(s.target, s.line);
        ResolveExpr(s.from, proc_);
        ResolveExpr(s.to, proc_);
        if (s.step) ResolveExpr(s.step, proc_);
        int hidden = NewSlot(VarType::Variant, false);
        NewSlot(VarType::Variant, false);  // the step
        int init = Emit(Op::ForInit, s.line);
        code_[init].a = s.target.get();
        code_[init].stmt = &s;
        code_[init].slot = hidden;
        int body = Here();
        loops_.push_back(LoopLabels{true, {}});
        CompileBlock(s.body);
        int next = Emit(Op::ForNext, s.line);
        code_[next].a = s.target.get();
        code_[next].slot = hidden;
        code_[next].target = body;
        code_[next].stmt = &s;
        code_[init].target = Here();
        for (int e : loops_.back().exits)
          code_[e].target = Here();
        loops_.pop_back();
        return;
      }
      case StmtKind::ForEach: {
        ResolveLoopVar(s.target, s.line);
        ResolveExpr(s.value, proc_);
        int hidden = NewSlot(VarType::Variant, false);
        NewSlot(VarType::Variant, false);  // the position
        int init = Emit(Op::ForEachInit, s.line);
        code_[init].a = s.target.get();
        code_[init].b = s.value.get();
        code_[init].slot = hidden;
        int body = Here();
        loops_.push_back(LoopLabels{true, {}});
        CompileBlock(s.body);
        int next = Emit(Op::ForEachNext, s.line);
        code_[next].a = s.target.get();
        code_[next].slot = hidden;
        code_[next].target = body;
        code_[init].target = Here();
        for (int e : loops_.back().exits)
          code_[e].target = Here();
        loops_.pop_back();
        return;
      }
      case StmtKind::Do:
      case StmtKind::While: {
        if (s.value) ResolveExpr(s.value, proc_);
        LoopTest pre = s.kind == StmtKind::While ? LoopTest::While : s.pre;
        int top = Here();
        int pre_test = -1;
        if (pre != LoopTest::None) {
          pre_test = Emit(Op::JumpIfNot, s.value->line);
          code_[pre_test].a = s.value.get();
          code_[pre_test].negate = pre == LoopTest::Until;
        }
        loops_.push_back(LoopLabels{false, {}});
        CompileBlock(s.body);
        if (s.post != LoopTest::None) {
          int post = Emit(Op::JumpIfNot, s.value->line);
          code_[post].a = s.value.get();
          code_[post].negate = s.post == LoopTest::While;
          code_[post].target = top;
        } else {
          code_[Emit(Op::Jump, s.line)].target = top;
        }
        if (pre_test >= 0) code_[pre_test].target = Here();
        for (int e : loops_.back().exits)
          code_[e].target = Here();
        loops_.pop_back();
        return;
      }
      case StmtKind::Exit: {
        if (s.exit == ExitKind::Sub || s.exit == ExitKind::Function) {
          if ((s.exit == ExitKind::Function) != proc_->is_function)
            Fail(s.line, std::string("Exit ") + (s.exit == ExitKind::Sub ? "Sub" : "Function") +
                             " inside a " + (proc_->is_function ? "Function" : "Sub"));
          Emit(Op::Return, s.line);
          return;
        }
        bool want_for = s.exit == ExitKind::For;
        for (auto it = loops_.rbegin(); it != loops_.rend(); ++it) {
          if (it->is_for == want_for) {
            it->exits.push_back(Emit(Op::Jump, s.line));
            return;
          }
        }
        Fail(s.line, want_for ? "Exit For outside a For loop" : "Exit Do outside a Do loop");
      }
      case StmtKind::GoTo: {
        int j = Emit(Op::Jump, s.line);
        gotos_.push_back({j, {s.label, s.line}});
        return;
      }
      case StmtKind::Label:
        if (!labels_.emplace(s.label, Here()).second)
          Fail(s.line, "label " + s.label + " is defined twice");
        return;
      case StmtKind::With: {
        ErrAsObject(s.target);
        ResolveExpr(s.target, proc_);
        int slot = NewSlot(VarType::Variant, false);
        int set = Emit(Op::Assign, s.line);
        code_[set].a = HiddenLocal(slot, s.line);
        code_[set].b = s.target.get();
        withs_.push_back(slot);
        CompileBlock(s.body);
        withs_.pop_back();
        return;
      }
      case StmtKind::OnError: {
        int i = Emit(Op::OnError, s.line);
        code_[i].stmt = &s;
        if (s.on_error == OnErrorKind::GoTo) gotos_.push_back({i, {s.label, s.line}});
        return;
      }
      case StmtKind::Resume: {
        int i = Emit(Op::Resume, s.line);
        code_[i].stmt = &s;
        if (s.resume == ResumeKind::Label) gotos_.push_back({i, {s.label, s.line}});
        return;
      }
      case StmtKind::Dim:
        for (VarDecl& d : s.decls)
          DeclareLocal(d);
        return;
      case StmtKind::ReDim: {
        for (VarDecl& d : s.decls) {
          for (Bound& b : d.bounds) {
            if (b.lower) ResolveExpr(b.lower, proc_);
            ResolveExpr(b.upper, proc_);
          }
          auto var = std::make_unique<Expr>();
          var->kind = ExprKind::Name;
          var->name = d.name;
          var->spelling = d.spelling;
          var->line = d.line;
          if (!Lookup(var->name)) {
            // ReDim declares a dynamic array when the name is new.
            VarDecl decl;
            decl.name = d.name;
            decl.spelling = d.spelling;
            decl.type = d.type;
            decl.is_array = true;
            decl.line = d.line;
            DeclareLocal(decl);
          }
          ResolveExpr(var, proc_);
          if (var->kind != ExprKind::Local && var->kind != ExprKind::Global)
            Fail(d.line, "ReDim needs an array variable, not " + d.spelling);
          s.targets.push_back(std::move(var));
        }
        int i = Emit(Op::ReDim, s.line);
        code_[i].stmt = &s;
        return;
      }
      case StmtKind::Erase: {
        for (ExprPtr& e : s.items) {
          ResolveExpr(e, proc_);
          if (e->kind != ExprKind::Local && e->kind != ExprKind::Global)
            Fail(s.line, "Erase needs an array variable");
        }
        code_[Emit(Op::Erase, s.line)].stmt = &s;
        return;
      }
      case StmtKind::Print:
      case StmtKind::Write:
      case StmtKind::Close: {
        if (s.value) ResolveExpr(s.value, proc_);
        for (PrintItem& item : s.print_items) {
          if (item.value) ResolveExpr(item.value, proc_);
        }
        for (ExprPtr& e : s.items)
          ResolveExpr(e, proc_);
        Op op = s.kind == StmtKind::Print ? Op::Print
                                          : (s.kind == StmtKind::Write ? Op::Write : Op::Close);
        code_[Emit(op, s.line)].stmt = &s;
        return;
      }
      case StmtKind::Open: {
        ResolveExpr(s.value, proc_);
        ResolveExpr(s.target, proc_);
        code_[Emit(Op::Open, s.line)].stmt = &s;
        return;
      }
      case StmtKind::LineInput:
      case StmtKind::Input: {
        ResolveExpr(s.value, proc_);
        if (s.target) ResolveTarget(s.target, s.line);
        for (ExprPtr& e : s.items)
          ResolveTarget(e, s.line);
        code_[Emit(s.kind == StmtKind::LineInput ? Op::LineInput : Op::Input, s.line)].stmt = &s;
        return;
      }
      case StmtKind::Name: {
        ResolveExpr(s.from, proc_);
        ResolveExpr(s.to, proc_);
        code_[Emit(Op::Name, s.line)].stmt = &s;
        return;
      }
      case StmtKind::End:
        Emit(Op::End, s.line);
        return;
    }
  }

  void DeclareLocal(VarDecl& d) {
    if (locals_.count(d.name)) {
      Fail(d.line, "duplicate declaration of " + d.spelling + " in " + proc_->spelling);
    }
    LocalName l;
    if (d.is_const) {
      l.is_const = true;
      l.value = ConstValue(d, proc_);
    } else if (d.is_static) {
      // A Static variable lives in a module slot of its own.
      program_->globals.push_back(MakeSlotInit(d, proc_, module_->option_base));
      l.slot = static_cast<int>(program_->globals.size()) - 1;
      l.is_global = true;
      l.type = d.type;
      l.is_array = d.is_array;
    } else {
      SlotInit init = MakeSlotInit(d, proc_, module_->option_base);
      proc_->slots.push_back(std::move(init));
      l.slot = static_cast<int>(proc_->slots.size()) - 1;
      l.type = d.type;
      l.is_array = d.is_array;
    }
    locals_[d.name] = std::move(l);
  }

  bool Lookup(const std::string& name) { return locals_.count(name) || globals_.count(name); }

  // ---- expressions
  void ResolveLoopVar(ExprPtr& e, int line) {
    ResolveExpr(e, proc_, /*implicit_ok=*/true);
    if (e->kind != ExprKind::Local && e->kind != ExprKind::Global)
      Fail(line, "the loop variable must be a simple variable");
  }

  void ResolveTarget(ExprPtr& e, int line) {
    if (e->kind == ExprKind::Name) {
      auto local = locals_.find(e->name);
      if (local != locals_.end() && local->second.is_const)
        Fail(line, "cannot assign to constant " + e->spelling);
      if (local == locals_.end()) {
        auto global = globals_.find(e->name);
        if (global != globals_.end() && global->second.kind == GlobalName::Const)
          Fail(line, "cannot assign to constant " + e->spelling);
        if (global != globals_.end() && global->second.kind == GlobalName::ProcName)
          Fail(line, "cannot assign to " +
                         std::string(global->second.proc->is_function ? "Function " : "Sub ") +
                         e->spelling + " outside its own body");
        if (global == globals_.end() && FindBuiltin(e->name))
          Fail(line, "cannot assign to the library function " + e->spelling);
        Variant constant;
        if (global == globals_.end() && FindConstant(e->name, &constant))
          Fail(line, "cannot assign to constant " + e->spelling);
      }
    }
    ResolveExpr(e, proc_, /*implicit_ok=*/true);
    switch (e->kind) {
      case ExprKind::Local:
      case ExprKind::Global:
      case ExprKind::Index:
      case ExprKind::Member:
        return;
      case ExprKind::Apply:
        return;
      default:
        Fail(line, "cannot assign to this expression");
    }
  }

  // A statement call: a Sub, a Function whose result is dropped, a library
  // procedure or a member of an object.
  void ResolveCall(ExprPtr& e, int line) {
    if (e->kind == ExprKind::Name) {
      auto local = locals_.find(e->name);
      if (local != locals_.end() && !(proc_->is_function && e->name == proc_->name))
        Fail(line, "expected a Sub or Function, found variable " + e->spelling);
      if (local == locals_.end()) {
        auto global = globals_.find(e->name);
        if (global != globals_.end() && global->second.kind != GlobalName::ProcName)
          Fail(line, "expected a Sub or Function, found variable " + e->spelling);
      }
    }
    if (e->kind == ExprKind::Name && proc_->is_function && e->name == proc_->name) {
      // A call of the enclosing function from its own body.
      ResolveArgs(e->args);
      BindProc(e, proc_, line);
      return;
    }
    ResolveExpr(e, proc_, false, /*statement=*/true);
    if (e->kind == ExprKind::Const && e->value.is_object()) {
      Fail(line, "expected a procedure call, found the object " + e->spelling);
    }
  }

  void ResolveArgs(std::vector<ExprPtr>& args) {
    for (ExprPtr& a : args) {
      if (a->kind != ExprKind::Missing) ResolveExpr(a, proc_);
    }
  }

  void BindProc(ExprPtr& e, Proc* target, int line) {
    int given = static_cast<int>(e->args.size());
    int most = static_cast<int>(target->params.size());
    bool rest = !target->params.empty() && target->params.back().param_array;
    if ((given > most && !rest) || given < target->required_params) {
      std::string expects =
          target->required_params == most
              ? std::to_string(most)
              : std::to_string(target->required_params) + " to " + std::to_string(most);
      Fail(line, "wrong number of arguments to " + target->spelling + ": expects " + expects +
                     ", given " + std::to_string(given));
    }
    for (int k = 0; k < std::min(given, most); ++k) {
      if (e->args[static_cast<size_t>(k)]->kind == ExprKind::Missing &&
          !target->params[static_cast<size_t>(k)].optional)
        Fail(line, "argument " + target->params[static_cast<size_t>(k)].spelling + " of " +
                       target->spelling + " is not optional");
    }
    e->kind = ExprKind::Call;
    e->proc = target;
  }

  void ResolveExpr(ExprPtr& e, Proc* proc, bool implicit_ok = false, bool statement = false) {
    switch (e->kind) {
      case ExprKind::Const:
      case ExprKind::Missing:
      case ExprKind::Local:
      case ExprKind::Global:
        return;
      case ExprKind::Unary:
        ResolveExpr(e->a, proc);
        if (e->a->kind == ExprKind::Const) Fold(e);
        return;
      case ExprKind::Binary:
        if (e->op == BinOp::Is) {
          ErrAsObject(e->a);
          ErrAsObject(e->b);
        }
        ResolveExpr(e->a, proc);
        ResolveExpr(e->b, proc);
        if (e->a->kind == ExprKind::Const && e->b->kind == ExprKind::Const && e->op != BinOp::Is)
          Fold(e);
        if (e->kind == ExprKind::Binary) MarkPureInteger(*e);
        return;
      case ExprKind::Member:
        if (!e->a) {
          if (withs_.empty()) Fail(e->line, "." + e->spelling + " outside a With block");
          e->a = std::make_unique<Expr>();
          e->a->kind = ExprKind::Local;
          e->a->slot = withs_.back();
          e->a->line = e->line;
        } else {
          if (ResolveEnumMember(e)) return;
          ErrAsObject(e->a);
          ResolveExpr(e->a, proc, false, false);
          if (e->a->kind == ExprKind::Call && e->a->proc && !e->a->proc->is_function)
            Fail(e->line,
                 "Sub " + e->a->proc->spelling + " has no value to take ." + e->spelling + " of");
        }
        ResolveArgs(e->args);
        return;
      case ExprKind::Apply:
        ResolveExpr(e->a, proc);
        ResolveArgs(e->args);
        return;
      case ExprKind::Name:
        ResolveName(e, proc, implicit_ok, statement);
        return;
      default:
        return;
    }
  }

  // "Color.Red" for a member of Enum Color, unless Color names something else.
  bool ResolveEnumMember(ExprPtr& e) {
    const Expr& base = *e->a;
    if (base.kind != ExprKind::Name || base.has_parens || locals_.count(base.name) ||
        globals_.count(base.name))
      return false;
    for (const auto& module : program_->modules) {
      for (const auto& [name, members] : module->enums) {
        if (name != base.name) continue;
        if (std::find(members.begin(), members.end(), e->name) == members.end())
          Fail(e->line, e->spelling + " is not a member of Enum " + base.spelling);
        auto found = globals_.find(e->name);
        if (found == globals_.end() || found->second.kind != GlobalName::Const) return false;
        if (e->has_parens) Fail(e->line, "constant " + e->spelling + " takes no arguments");
        e->kind = ExprKind::Const;
        e->value = found->second.value;
        e->a.reset();
        return true;
      }
    }
    return false;
  }

  // "Err" stands for Err.Number except where an object is wanted: before a
  // member, after Set, around Is.
  void ErrAsObject(ExprPtr& e) {
    if (e->kind == ExprKind::Name && e->name == "err" && !e->has_parens && e->args.empty() &&
        !locals_.count("err") && !globals_.count("err") && context_.err_object) {
      e->kind = ExprKind::Const;
      e->value = Variant::Object(context_.err_object);
    }
  }

  static bool IntegerOperand(const Expr& e) {
    switch (e.kind) {
      case ExprKind::Local:
      case ExprKind::Global:
        return true;
      case ExprKind::Const:
        return e.value.is_integral();
      case ExprKind::Binary:
        return e.pure_integer && !IsComparison(e.op);
      default:
        return false;
    }
  }

  static bool IsComparison(BinOp op) { return op >= BinOp::Eq && op <= BinOp::Ge; }

  // Marks whole-number arithmetic (and a comparison on top of it) for the
  // evaluator's integer fast path.
  static void MarkPureInteger(Expr& e) {
    switch (e.op) {
      case BinOp::Add:
      case BinOp::Sub:
      case BinOp::Mul:
      case BinOp::Mod:
      case BinOp::IntDiv:
      case BinOp::Eq:
      case BinOp::Ne:
      case BinOp::Lt:
      case BinOp::Le:
      case BinOp::Gt:
      case BinOp::Ge:
        e.pure_integer = IntegerOperand(*e.a) && IntegerOperand(*e.b);
        break;
      default:
        break;
    }
  }

  void Fold(ExprPtr& e) {
    try {
      Variant v = e->kind == ExprKind::Unary
                      ? UnaryOperation(e->op, e->a->value)
                      : BinaryOperation(e->op, e->a->value, e->b->value, module_->compare_text);
      e->kind = ExprKind::Const;
      e->value = std::move(v);
      e->a.reset();
      e->b.reset();
    } catch (const ScriptError&) {
      // Left for the run, where On Error can trap it.
    }
  }

  void ResolveName(ExprPtr& e, Proc* proc, bool implicit_ok, bool statement) {
    (void)implicit_ok;
    const std::string& name = e->name;
    ResolveArgs(e->args);
    if (proc) {
      auto local = locals_.find(name);
      if (local != locals_.end()) {
        const LocalName& l = local->second;
        if (l.is_const) {
          if (!e->args.empty() || e->has_parens)
            Fail(e->line, "constant " + e->spelling + " takes no arguments");
          e->kind = ExprKind::Const;
          e->value = l.value;
          return;
        }
        // A function's own name with arguments calls it again.
        if (proc->is_function && name == proc->name && (e->has_parens || !e->args.empty())) {
          BindProc(e, proc, e->line);
          return;
        }
        BindVariable(e, l.is_global ? ExprKind::Global : ExprKind::Local, l.slot, l.type,
                     statement);
        return;
      }
    }
    auto global = globals_.find(name);
    if (global != globals_.end()) {
      GlobalName& g = global->second;
      switch (g.kind) {
        case GlobalName::Const:
          if (!e->args.empty() || e->has_parens)
            Fail(e->line, "constant " + e->spelling + " takes no arguments");
          e->kind = ExprKind::Const;
          e->value = g.value;
          return;
        case GlobalName::Var:
          BindVariable(e, ExprKind::Global, g.slot, g.type, statement);
          return;
        case GlobalName::ProcName:
          if (!g.proc->is_function && !statement)
            Fail(e->line, "Sub " + g.proc->spelling +
                              " has no value; only a Function can be used in an expression");
          BindProc(e, g.proc, e->line);
          return;
      }
    }
    if (name == "err" && context_.err_object) {
      auto object = std::make_unique<Expr>();
      object->kind = ExprKind::Const;
      object->value = Variant::Object(context_.err_object);
      object->line = e->line;
      object->spelling = "Err";
      if (e->has_parens || !e->args.empty()) Fail(e->line, "Err takes no arguments");
      // Err alone means its number.
      e->kind = ExprKind::Member;
      e->a = std::move(object);
      e->name = "number";
      e->spelling = "Number";
      return;
    }
    if (context_.object_named) {
      if (IDispatch* object = context_.object_named(name)) {
        if (e->has_parens || !e->args.empty()) {
          auto base = std::make_unique<Expr>();
          base->kind = ExprKind::Const;
          base->value = Variant::Object(object);
          base->line = e->line;
          e->kind = ExprKind::Apply;
          e->a = std::move(base);
          return;
        }
        e->kind = ExprKind::Const;
        e->value = Variant::Object(object);
        return;
      }
    }
    if (const Builtin* b = FindBuiltin(name)) {
      int given = static_cast<int>(e->args.size());
      if (given < b->min_args || (b->max_args >= 0 && given > b->max_args)) {
        std::string expects =
            b->min_args == b->max_args ? std::to_string(b->min_args)
            : b->max_args < 0          ? "at least " + std::to_string(b->min_args)
                              : std::to_string(b->min_args) + " to " + std::to_string(b->max_args);
        Fail(e->line, std::string("wrong number of arguments to ") + b->spelling + ": expects " +
                          expects + ", given " + std::to_string(given));
      }
      e->kind = ExprKind::Library;
      e->builtin = b;
      return;
    }
    Variant constant;
    if (FindConstant(name, &constant)) {
      if (e->has_parens || !e->args.empty())
        Fail(e->line, "constant " + e->spelling + " takes no arguments");
      e->kind = ExprKind::Const;
      e->value = std::move(constant);
      return;
    }
    for (IDispatch* object : context_.global_objects) {
      DISPID id;
      if (Succeeded(object->GetIDsOfNames(name, &id))) {
        auto base = std::make_unique<Expr>();
        base->kind = ExprKind::Const;
        base->value = Variant::Object(object);
        base->line = e->line;
        e->kind = ExprKind::Member;
        e->a = std::move(base);
        return;
      }
    }
    if (e->has_parens || statement) Fail(e->line, "Sub or Function not defined: " + e->spelling);
    if (module_->option_explicit || !proc) Fail(e->line, "variable not defined: " + e->spelling);
    // Without Option Explicit an unknown name is a new Variant variable.
    LocalName l;
    l.slot = NewSlot(e->decl_type, false);
    l.type = e->decl_type;
    locals_[name] = l;
    BindVariable(e, ExprKind::Local, l.slot, l.type, statement);
  }

  void BindVariable(ExprPtr& e, ExprKind kind, int slot, VarType type, bool statement) {
    if (statement && !e->has_parens && e->args.empty())
      Fail(e->line, "expected a Sub or Function, found variable " + e->spelling);
    if (e->has_parens || !e->args.empty()) {
      auto var = std::make_unique<Expr>();
      var->kind = kind;
      var->slot = slot;
      var->decl_type = type;
      var->line = e->line;
      var->spelling = e->spelling;
      e->kind = ExprKind::Index;
      e->a = std::move(var);
      return;
    }
    e->kind = kind;
    e->slot = slot;
    e->decl_type = type;
  }

  const ResolveContext& context_;
  std::unique_ptr<Program> program_;
  std::unordered_map<std::string, GlobalName> globals_;
  Module* module_ = nullptr;
  Proc* proc_ = nullptr;
  std::unordered_map<std::string, LocalName> locals_;
  std::vector<int> withs_;
  std::vector<LoopLabels> loops_;
  std::unordered_map<std::string, int> labels_;
  std::vector<std::pair<int, std::pair<std::string, int>>> gotos_;
  std::vector<Instr> code_;
};

}  // namespace

Result<std::unique_ptr<Program>> Resolve(std::vector<std::unique_ptr<Module>> modules,
                                         const ResolveContext& context) {
  return Resolver(std::move(modules), context).Run();
}

}  // namespace rv::script
