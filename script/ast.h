#pragma once

// The syntax tree the parser builds and the resolver annotates: names are
// bound to slots, calls to procedures or library functions, and each
// procedure's statements are flattened into a list of instructions.

#include <memory>
#include <string>
#include <vector>

#include "automation/dispatch.h"
#include "automation/variant.h"

namespace rv::script {

struct Builtin;
struct Proc;

enum class BinOp {
  Pow,
  Mul,
  Div,
  IntDiv,
  Mod,
  Add,
  Sub,
  Concat,
  Eq,
  Ne,
  Lt,
  Le,
  Gt,
  Ge,
  Like,
  Is,
  And,
  Or,
  Xor,
  Eqv,
  Imp,
  Neg,
  Not,  // unary
};

enum class ExprKind {
  Const,    // value
  Missing,  // an argument left out: "Foo 1, , 3"
  Name,     // a word before resolution: name, args when has_parens
  Member,   // a.b(args); a null base means the innermost With object
  Binary,   // op, a, b
  Unary,    // op, a
  // Resolved forms:
  Local,    // slot in the frame
  Global,   // slot in the module
  Index,    // element of the array variable a (Local or Global) by args
  Call,     // user procedure proc with args
  Library,  // library function builtin with args
  Apply,    // args applied to the value of a: an array element or the default member
};

struct Expr;
using ExprPtr = std::unique_ptr<Expr>;

struct Expr {
  ExprKind kind = ExprKind::Const;
  int line = 0;
  BinOp op = BinOp::Add;
  std::string name;      // lower case
  std::string spelling;  // as written, for messages
  Variant value;
  ExprPtr a, b;
  std::vector<ExprPtr> args;
  bool has_parens = false;
  bool parenthesized = false;
  int height = 1;  // of the operator tree below, bounded by the parser  // written in parentheses:
                   // "Foo (x)" passes x by value

  // Resolved.
  int slot = -1;
  VarType decl_type = VarType::Variant;  // of a Local/Global variable
  Proc* proc = nullptr;
  const Builtin* builtin = nullptr;

  // Whole-number arithmetic on variables and constants only: may be tried
  // on the integer fast path and evaluated again if that gives up.
  bool pure_integer = false;

  // Member call site: the dispatch id found for the last object seen here.
  ComPtr<IDispatch> cached_object;
  DISPID cached_id = 0;
};

struct Stmt;
using StmtPtr = std::unique_ptr<Stmt>;
using Block = std::vector<StmtPtr>;

enum class StmtKind {
  Assign,
  Call,
  If,
  Select,
  For,
  ForEach,
  Do,
  While,
  Exit,
  GoTo,
  Label,
  With,
  OnError,
  Resume,
  Dim,
  ReDim,
  Erase,
  Print,
  Open,
  Close,
  LineInput,
  Input,
  Write,
  Name,
  End,
};

enum class ExitKind { For, Do, Sub, Function };
enum class LoopTest { None, While, Until };
enum class OnErrorKind { GoTo, ResumeNext, Zero };
enum class ResumeKind { Same, Next, Label };
enum class FileMode { Input, Output, Append };
enum class CaseItemKind { Value, Range, Is };

struct CaseItem {
  CaseItemKind kind = CaseItemKind::Value;
  BinOp op = BinOp::Eq;  // for Is
  ExprPtr a, b;
};

struct CaseClause {
  std::vector<CaseItem> items;  // empty for Case Else
  Block body;
  int line = 0;
};

struct Bound {
  ExprPtr lower;  // null: Option Base
  ExprPtr upper;
};

struct VarDecl {
  std::string name;  // lower case
  std::string spelling;
  VarType type = VarType::Variant;
  bool is_array = false;
  std::vector<Bound> bounds;  // empty with is_array: dynamic array
  bool is_const = false;
  bool is_static = false;  // keeps its value between calls
  ExprPtr value;           // Const
  int line = 0;
};

struct PrintItem {
  ExprPtr value;       // may be null (bare separator)
  char separator = 0;  // ';', ',' or 0 after the item
};

struct Stmt {
  StmtKind kind = StmtKind::Call;
  int line = 0;

  ExprPtr target;  // Assign, For, ForEach, LineInput; With object
  ExprPtr value;   // Assign; If/Do/While condition; Select subject; Open path; Print channel
  ExprPtr from, to, step;  // For; Name uses from/to
  bool is_set = false;
  Block body;
  std::vector<ExprPtr> targets;  // resolved variables of ReDim decls

  // If: conditions[i] guards blocks[i]; else_body when none holds.
  std::vector<ExprPtr> conditions;
  std::vector<Block> blocks;
  Block else_body;

  std::vector<CaseClause> cases;                         // Select
  LoopTest pre = LoopTest::None, post = LoopTest::None;  // Do
  ExitKind exit = ExitKind::Sub;
  std::string label;  // GoTo, Label, On Error GoTo, Resume label
  OnErrorKind on_error = OnErrorKind::Zero;
  ResumeKind resume = ResumeKind::Same;
  FileMode mode = FileMode::Input;
  std::vector<VarDecl> decls;          // Dim, ReDim (bounds), Const
  bool preserve = false;               // ReDim Preserve
  std::vector<ExprPtr> items;          // Close channels, Input targets, Erase names, Write values
  std::vector<PrintItem> print_items;  // Print
};

struct Param {
  std::string name;
  std::string spelling;
  bool by_ref = true;
  bool optional = false;
  bool is_array = false;
  bool param_array = false;  // ParamArray: the rest of the arguments as an array
  VarType type = VarType::Variant;
  ExprPtr default_value;
};

// One flattened instruction of a procedure.
enum class Op {
  Eval,
  Assign,
  Append,
  Jump,
  JumpIfNot,
  ForInit,
  ForNext,
  ForEachInit,
  ForEachNext,
  CaseTest,
  Return,
  End,
  OnError,
  Resume,
  ReDim,
  Erase,
  Print,
  Open,
  Close,
  LineInput,
  Input,
  Write,
  Name,
};

struct Instr {
  Op op = Op::Eval;
  int line = 0;
  const Stmt* stmt = nullptr;
  Expr* a = nullptr;
  Expr* b = nullptr;
  int target = -1;      // jump destination
  bool negate = false;  // JumpIfNot: jump when the condition holds
  int slot = -1;        // hidden slot (loops, Select, With)
  const CaseClause* clause = nullptr;
};

// How a frame slot starts: its type, and for fixed arrays the bounds.
struct SlotInit {
  VarType type = VarType::Variant;
  Variant initial;  // the starting value of a slot that is not an array
  bool is_array = false;
  std::vector<ArrayBound> bounds;  // fixed array
};

struct Proc {
  std::string name;  // lower case
  std::string spelling;
  std::string file;
  bool is_function = false;
  bool is_private = false;
  std::vector<Param> params;
  VarType return_type = VarType::Variant;
  Block body;
  int line = 0;
  int end_line = 0;

  // Resolved.
  std::vector<Instr> code;
  std::vector<SlotInit> slots;  // parameters first, then the result, locals, hidden
  int result_slot = -1;
  int required_params = 0;
  bool compare_text = false;       // Option Compare Text of its module
  int option_base = 0;             // Option Base of its module
  std::vector<ExprPtr> synthetic;  // expressions the resolver made (hidden slots)
};

struct Module {
  std::string file;
  std::vector<std::unique_ptr<Proc>> procs;
  std::vector<VarDecl> globals;  // Dim/Public/Private/Const at module level
  bool option_explicit = false;
  bool compare_text = false;
  int option_base = 0;
  // Enum names with their member names (lower case), for "Color.Red".
  std::vector<std::pair<std::string, std::vector<std::string>>> enums;
};

}  // namespace rv::script
