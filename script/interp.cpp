#include "script/interp.h"

#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>
#include <stdexcept>
#include <thread>

#include "script/builtins.h"
#include "script/dates.h"
#include "script/values.h"

namespace rv::script {

namespace {

constexpr int kMaxDepth = 100000;
// Stack kept free below the deepest script call for the library and the host.
constexpr size_t kStackReserve = 256 * 1024;

// How much of this thread's stack a run may use.
size_t UsableStack() {
  pthread_attr_t attr;
  size_t size = 0;
  if (pthread_getattr_np(pthread_self(), &attr) == 0) {
    pthread_attr_getstacksize(&attr, &size);
    pthread_attr_destroy(&attr);
  }
  if (size == 0) size = 1024 * 1024;
  return size > 2 * kStackReserve ? size - kStackReserve : size / 2;
}
constexpr int kBudget = 4096;
constexpr size_t kChunk = 8192;

bool FitsTag(VarType t, int64_t v) {
  switch (t) {
    case VarType::Integer:
      return v >= -32768 && v <= 32767;
    case VarType::Long:
      return v >= INT32_MIN && v <= INT32_MAX;
    default:
      return true;
  }
}

[[noreturn]] void RaiseFromHResult(HRESULT hr, const ExcepInfo& ex, const std::string& member) {
  if (hr == DISP_E_EXCEPTION) {
    int number = ex.code != 0 ? ex.code : err::kAutomation;
    std::string text = ex.description.empty() ? ErrorText(number) : ex.description;
    throw ScriptError{number, text, "", 0, ex.source};
  }
  if (hr == DISP_E_MEMBERNOTFOUND || hr == DISP_E_UNKNOWNNAME)
    Raise(err::kNoSuchMember, ErrorText(err::kNoSuchMember) + ": " + member);
  if (hr == DISP_E_BADPARAMCOUNT)
    Raise(err::kArgumentCount, ErrorText(err::kArgumentCount) + ": " + member);
  if (hr == DISP_E_TYPEMISMATCH) Raise(err::kTypeMismatch);
  if (hr == E_INVALIDARG) Raise(err::kInvalidCall);
  char code[16];
  std::snprintf(code, sizeof code, "%08X", static_cast<unsigned>(hr));
  Raise(err::kAutomation, "Automation error " + std::string(code) + " in " + member);
}

std::string PrintText(const Variant& v) {
  if (v.is_null()) return "Null";
  if (v.is_object()) Raise(err::kTypeMismatch);
  return ToStr(v);
}

}  // namespace

// Frames' slots come from chunks that never move, so a ByRef pointer into a
// caller's frame stays valid while the callee runs.
class Interp::SlotStack {
 public:
  struct Mark {
    size_t chunk;
    size_t top;
  };
  Slot* Push(size_t n, Mark* mark) {
    *mark = Mark{chunk_, top_};
    if (n > kChunk) Raise(err::kOutOfMemory);
    if (chunks_.empty() || top_ + n > kChunk) {
      if (!chunks_.empty()) ++chunk_;
      if (chunk_ >= chunks_.size()) chunks_.push_back(std::make_unique<Slot[]>(kChunk));
      top_ = 0;
    }
    Slot* s = &chunks_[chunk_][top_];
    top_ += n;
    return s;
  }
  void Pop(const Mark& mark) {
    chunk_ = mark.chunk;
    top_ = mark.top;
  }

 private:
  std::vector<std::unique_ptr<Slot[]>> chunks_;
  size_t chunk_ = 0;
  size_t top_ = 0;
};

Interp::Interp(Program& program, HostCallbacks& host, std::atomic<bool>& run, ErrObject& err,
               std::string current_dir)
    : program_(program),
      host_(host),
      run_(run),
      err_(err),
      current_dir_(std::move(current_dir)),
      stack_(std::make_unique<SlotStack>()),
      last_events_(std::chrono::steady_clock::now()) {
  globals_.reserve(program.globals.size());
  for (const SlotInit& init : program.globals)
    globals_.push_back(NewSlotValue(init));
}

Interp::~Interp() = default;

Variant Interp::NewSlotValue(const SlotInit& init) const {
  if (!init.is_array) return DefaultValue(init.type);
  auto array = std::make_shared<VariantArray>(init.bounds, init.type, DefaultValue(init.type));
  array->fixed = !init.bounds.empty();
  return Variant::Array(std::move(array));
}

void Interp::RunMain() {
  char here;
  stack_top_ = &here;
  stack_limit_ = UsableStack();
  std::vector<ExprPtr> no_args;
  Frame top;
  try {
    CallProc(program_.main, no_args, top);
  } catch (const StopScript&) {
  }
  if (!pending_output_.empty()) PrintLine("");
  files_.CloseAll();
}

void Interp::PrintLine(const std::string& text) {
  std::string line = std::move(pending_output_);
  pending_output_.clear();
  line += text;
  if (host_.print) host_.print(line);
}

void Interp::Poll() {
  if (!run_.load(std::memory_order_relaxed)) throw StopScript{};
  if (host_.do_events) {
    auto now = std::chrono::steady_clock::now();
    if (now - last_events_ >= std::chrono::milliseconds(20)) {
      last_events_ = now;
      host_.do_events();
      if (!run_.load(std::memory_order_relaxed)) throw StopScript{};
    }
  }
}

void Interp::Pause(double seconds) {
  using namespace std::chrono;
  auto end = steady_clock::now() + duration_cast<steady_clock::duration>(duration<double>(seconds));
  while (true) {
    Poll();
    auto now = steady_clock::now();
    if (now >= end) return;
    std::this_thread::sleep_for(std::min<steady_clock::duration>(end - now, milliseconds(10)));
  }
}

std::string Interp::FullPath(const std::string& path) const {
  if (path.empty() || path[0] == '/') return path;
  if (!current_dir_.empty() && current_dir_.back() == '/') return current_dir_ + path;
  return current_dir_ + "/" + path;
}

void Interp::Randomize(std::optional<double> seed) {
  double s = seed
                 ? *seed
                 : static_cast<double>(std::chrono::steady_clock::now().time_since_epoch().count());
  uint64_t bits;
  std::memcpy(&bits, &s, sizeof bits);
  rnd_state_ = static_cast<uint32_t>((bits ^ (bits >> 32)) & 0xFFFFFF);
}

double Interp::NextRandom(std::optional<double> arg) {
  if (arg && *arg == 0) return last_rnd_;
  if (arg && *arg < 0) {
    uint64_t bits;
    double a = *arg;
    std::memcpy(&bits, &a, sizeof bits);
    rnd_state_ = static_cast<uint32_t>((bits ^ (bits >> 32)) & 0xFFFFFF);
  }
  // The classic 24-bit linear congruential sequence.
  rnd_state_ = (rnd_state_ * 1140671485u + 12820163u) & 0xFFFFFFu;
  last_rnd_ = static_cast<double>(rnd_state_) / 16777216.0;
  return last_rnd_;
}

// ---- procedures

Variant Interp::CallProc(Proc* p, std::vector<ExprPtr>& args, Frame& caller) {
  char here;
  // Deep recursion ends in a script error, not in a crash of the host.
  if (depth_ >= kMaxDepth || static_cast<size_t>(stack_top_ - &here) > stack_limit_)
    Raise(err::kOutOfStack);
  size_t n = p->slots.size();
  SlotStack::Mark mark;
  Slot* slots = stack_->Push(n, &mark);
  struct Guard {
    Interp* self;
    Slot* slots;
    size_t n;
    SlotStack::Mark mark;
    ~Guard() {
      for (size_t i = 0; i < n; ++i)
        slots[i].value.reset();
      self->stack_->Pop(mark);
      --self->depth_;
    }
  } guard{this, slots, n, mark};
  ++depth_;
  for (size_t i = 0; i < n; ++i)
    slots[i].ref = &slots[i].value;

  size_t given = args.size();
  constexpr int kMaxCopyBacks = 16;
  int copy_back[kMaxCopyBacks];
  int copy_backs = 0;
  for (size_t i = 0; i < p->params.size(); ++i) {
    const Param& param = p->params[i];
    Slot& s = slots[i];
    Expr* arg = i < given ? args[i].get() : nullptr;
    if (param.param_array) {
      auto rest = std::make_shared<VariantArray>();
      size_t count = given > i ? given - i : 0;
      rest->bounds = {ArrayBound{0, static_cast<int32_t>(count)}};
      for (size_t k = i; k < given; ++k) {
        Expr* a = args[k].get();
        rest->items.push_back(a->kind == ExprKind::Missing ? MissingArg() : Eval(a, caller));
      }
      s.value = Variant::Array(std::move(rest));
      break;
    }
    if (!arg || arg->kind == ExprKind::Missing) {
      if (param.default_value) {
        s.value = ConvertTo(param.default_value->value, param.type);
      } else if (param.type == VarType::Variant && !param.is_array) {
        s.value = MissingArg();
      } else {
        s.value = DefaultValue(param.type);
      }
      continue;
    }
    bool variable =
        (arg->kind == ExprKind::Local || arg->kind == ExprKind::Global) && !arg->parenthesized;
    if (param.by_ref && variable && (param.type == arg->decl_type || param.is_array)) {
      s.ref = RefOf(arg, caller);
      if (param.is_array && !s.ref->is_array()) Raise(err::kTypeMismatch);
      continue;
    }
    if (param.by_ref && variable) {
      // Types differ: the callee works on a converted copy that goes back,
      // converted again, when it returns, so neither side sees a value its
      // declaration forbids.
      if (copy_backs == kMaxCopyBacks) Raise(err::kInvalidCall, "too many ByRef arguments");
      copy_back[copy_backs++] = static_cast<int>(i);
    }
    Variant v = Eval(arg, caller);
    if (param.is_array) {
      if (!v.is_array()) Raise(err::kTypeMismatch);
      s.value = std::move(v);
    } else if (param.type == VarType::Variant) {
      s.value = std::move(v);
    } else {
      s.value = ConvertTo(v, param.type);
    }
  }
  for (size_t i = p->params.size(); i < n; ++i) {
    const SlotInit& init = p->slots[i];
    if (init.is_array) {
      slots[i].value = NewSlotValue(init);
    } else if (init.type != VarType::Variant) {
      slots[i].value = init.initial;
    }
  }
  Frame f;
  f.proc = p;
  f.slots = slots;
  Execute(f);
  for (int k = 0; k < copy_backs; ++k) {
    size_t i = static_cast<size_t>(copy_back[k]);
    Expr* arg = args[i].get();
    StoreVar(RefOf(arg, caller), arg->decl_type, std::move(slots[i].value));
  }
  if (f.in_handler) err_.Clear();
  if (p->result_slot >= 0) return std::move(slots[p->result_slot].value);
  return Variant();
}

int Interp::Trap(Frame& f, int pc, ScriptError& e) {
  if (e.line == 0) {
    e.line = f.proc->code[static_cast<size_t>(pc)].line;
    e.file = f.proc->file;
  }
  err_.Set(e.number, e.description, e.line);
  err_.source = e.source;
  if (f.on_error == OnErrorKind::ResumeNext) return pc + 1;
  if (f.on_error == OnErrorKind::GoTo && !f.in_handler) {
    f.in_handler = true;
    f.error_pc = pc;
    return f.handler;
  }
  return -1;
}

void Interp::Execute(Frame& f) {
  const std::vector<Instr>& code = f.proc->code;
  int pc = 0;
  while (true) {
    try {
      while (true) {
        const Instr& in = code[static_cast<size_t>(pc)];
        if (--budget_ <= 0) {
          budget_ = kBudget;
          Poll();
        }
        switch (in.op) {
          case Op::Eval:
            Eval(in.a, f);
            ++pc;
            break;
          case Op::Assign: {
            if (in.b->pure_integer && in.a->kind == ExprKind::Local && in.b->op < BinOp::Eq) {
              int64_t r;
              VarType t;
              Variant* slot = f.slots[in.a->slot].ref;
              VarType want = in.a->decl_type;
              if (!slot->owns_storage() && FastInt(in.b, f, r, t)) {
                if (want == VarType::Variant) {
                  *slot = Variant::Integral(t, r);
                  ++pc;
                  break;
                }
                if (want == VarType::Integer || want == VarType::Long ||
                    want == VarType::LongLong) {
                  if (!FitsTag(want, r)) Raise(err::kOverflow);
                  *slot = Variant::Integral(want, r);
                  ++pc;
                  break;
                }
              }
            }
            Variant value = Eval(in.b, f);
            if (in.a->kind == ExprKind::Local && !value.owns_storage()) {
              Variant* slot = f.slots[in.a->slot].ref;
              // A plain number into a variable of its own type or a Variant.
              if ((in.a->decl_type == VarType::Variant || in.a->decl_type == value.type()) &&
                  !slot->is_array() && !(in.stmt && in.stmt->is_set)) {
                *slot = value;
                ++pc;
                break;
              }
            }
            Store(in.a, std::move(value), f, in.stmt && in.stmt->is_set);
            ++pc;
            break;
          }
          case Op::Append: {
            Variant tail = Eval(in.b, f);
            Variant* v = RefOf(in.a, f);
            if (v->is_string() && !tail.is_null()) {
              AppendStr(v->str(), tail);
            } else {
              StoreVar(v, in.a->decl_type, BinaryOperation(BinOp::Concat, *v, tail, false));
            }
            ++pc;
            break;
          }
          case Op::Jump:
            pc = in.target;
            break;
          case Op::JumpIfNot: {
            if (in.a->pure_integer && in.a->op >= BinOp::Eq) {
              int64_t x, y;
              VarType tx, ty;
              if (FastInt(in.a->a.get(), f, x, tx) && FastInt(in.a->b.get(), f, y, ty)) {
                bool truth;
                switch (in.a->op) {
                  case BinOp::Eq:
                    truth = x == y;
                    break;
                  case BinOp::Ne:
                    truth = x != y;
                    break;
                  case BinOp::Lt:
                    truth = x < y;
                    break;
                  case BinOp::Le:
                    truth = x <= y;
                    break;
                  case BinOp::Gt:
                    truth = x > y;
                    break;
                  default:
                    truth = x >= y;
                    break;
                }
                pc = truth != in.negate ? pc + 1 : in.target;
                break;
              }
            }
            Variant c = Eval(in.a, f);
            bool truth =
                c.type() == VarType::Boolean ? c.bool_value() : (!c.is_null() && ToBool(c));
            pc = truth != in.negate ? pc + 1 : in.target;
            break;
          }
          case Op::ForInit:
            ForInit(in, f, pc);
            break;
          case Op::ForNext:
            ForNext(in, f, pc);
            break;
          case Op::ForEachInit:
            ForEachInit(in, f, pc);
            break;
          case Op::ForEachNext:
            ForEachNext(in, f, pc);
            break;
          case Op::CaseTest:
            pc = CaseMatches(*in.clause, f.slots[in.slot].value, f) ? pc + 1 : in.target;
            break;
          case Op::Return:
            return;
          case Op::End:
            throw StopScript{};
          case Op::OnError:
            err_.Clear();
            f.on_error = in.stmt->on_error;
            f.handler = in.target;
            ++pc;
            break;
          case Op::Resume: {
            if (!f.in_handler) Raise(err::kResumeWithoutError);
            f.in_handler = false;
            err_.Clear();
            switch (in.stmt->resume) {
              case ResumeKind::Same:
                pc = f.error_pc;
                break;
              case ResumeKind::Next:
                pc = f.error_pc + 1;
                break;
              case ResumeKind::Label:
                pc = in.target;
                break;
            }
            break;
          }
          case Op::ReDim:
            ReDim(*in.stmt, f);
            ++pc;
            break;
          case Op::Erase:
            Erase(*in.stmt, f);
            ++pc;
            break;
          case Op::Print:
            PrintStmt(*in.stmt, f);
            ++pc;
            break;
          case Op::Write:
            WriteStmt(*in.stmt, f);
            ++pc;
            break;
          case Op::Open:
            OpenStmt(*in.stmt, f);
            ++pc;
            break;
          case Op::Close:
            CloseStmt(*in.stmt, f);
            ++pc;
            break;
          case Op::LineInput:
            InputStmt(*in.stmt, f, true);
            ++pc;
            break;
          case Op::Input:
            InputStmt(*in.stmt, f, false);
            ++pc;
            break;
          case Op::Name:
            NameStmt(*in.stmt, f);
            ++pc;
            break;
        }
      }
    } catch (ScriptError& e) {
      int next = Trap(f, pc, e);
      if (next < 0) throw;
      pc = next;
    } catch (const std::bad_alloc&) {
      // A huge String, Space or ReDim: an error of the script, not of the host.
      ScriptError e{err::kOutOfMemory, ErrorText(err::kOutOfMemory), "", 0, ""};
      int next = Trap(f, pc, e);
      if (next < 0) throw e;
      pc = next;
    } catch (const std::length_error&) {
      ScriptError e{err::kOutOfMemory, ErrorText(err::kOutOfMemory), "", 0, ""};
      int next = Trap(f, pc, e);
      if (next < 0) throw e;
      pc = next;
    }
  }
}

// ---- expressions

Variant* Interp::RefOf(Expr* e, Frame& f) {
  if (e->kind == ExprKind::Local) return f.slots[e->slot].ref;
  return &globals_[static_cast<size_t>(e->slot)];
}

Variant Interp::Eval(Expr* e, Frame& f) {
  switch (e->kind) {
    case ExprKind::Const:
      return e->value;
    case ExprKind::Local:
      return *f.slots[e->slot].ref;
    case ExprKind::Global:
      return globals_[static_cast<size_t>(e->slot)];
    case ExprKind::Binary:
      return EvalBinary(e, f);
    case ExprKind::Unary:
      return UnaryOperation(e->op, Eval(e->a.get(), f));
    case ExprKind::Call:
      return CallProc(e->proc, e->args, f);
    case ExprKind::Library:
      return CallLibrary(e, f);
    case ExprKind::Index: {
      Variant* base = RefOf(e->a.get(), f);
      if (base->is_array()) return *Element(*base, e, f, false);
      return IndexGet(*base, e, f);
    }
    case ExprKind::Apply: {
      Variant base = Eval(e->a.get(), f);
      return IndexGet(base, e, f);
    }
    case ExprKind::Member:
      return InvokeMember(e, f, InvokeKind::Method | InvokeKind::PropertyGet, nullptr);
    case ExprKind::Missing:
      return MissingArg();
    default:
      Raise(err::kInvalidCall);
  }
}

// The type Integer, Long and LongLong results take: the wider operand's,
// widened further when the value does not fit.
inline VarType IntegerResultType(VarType a, VarType b, int64_t v) {
  VarType t = a > b ? a : b;
  if (t == VarType::Integer && (v < -32768 || v > 32767)) t = VarType::Long;
  if (t == VarType::Long && (v < INT32_MIN || v > INT32_MAX)) t = VarType::LongLong;
  return t;
}

// Whole-number arithmetic without building values. Gives up (false) on a
// value that is not a whole number, on a 64-bit overflow and on division by
// zero; the caller then evaluates the expression the general way, which is
// safe because such expressions read variables and constants only.
bool Interp::FastInt(const Expr* e, Frame& f, int64_t& value, VarType& type) {
  const Variant* v;
  switch (e->kind) {
    case ExprKind::Local:
      v = f.slots[e->slot].ref;
      break;
    case ExprKind::Global:
      v = &globals_[static_cast<size_t>(e->slot)];
      break;
    case ExprKind::Const:
      v = &e->value;
      break;
    case ExprKind::Binary: {
      int64_t x, y, r;
      VarType tx, ty;
      if (!FastInt(e->a.get(), f, x, tx) || !FastInt(e->b.get(), f, y, ty)) return false;
      switch (e->op) {
        case BinOp::Add:
          if (__builtin_add_overflow(x, y, &r)) return false;
          break;
        case BinOp::Sub:
          if (__builtin_sub_overflow(x, y, &r)) return false;
          break;
        case BinOp::Mul:
          if (__builtin_mul_overflow(x, y, &r)) return false;
          break;
        case BinOp::Mod:
          if (y == 0 || (x == INT64_MIN && y == -1)) return false;
          r = x % y;
          break;
        case BinOp::IntDiv:
          if (y == 0 || (x == INT64_MIN && y == -1)) return false;
          r = x / y;
          break;
        default:
          return false;
      }
      value = r;
      type = IntegerResultType(tx, ty, r);
      return true;
    }
    default:
      return false;
  }
  if (!v->is_integral()) return false;
  value = v->int_value();
  type = v->type();
  return true;
}

// Operands that are variables or constants are read in place.
const Variant& Interp::Operand(Expr* e, Frame& f, Variant& scratch) {
  switch (e->kind) {
    case ExprKind::Local:
      return *f.slots[e->slot].ref;
    case ExprKind::Const:
      return e->value;
    case ExprKind::Global:
      return globals_[static_cast<size_t>(e->slot)];
    default:
      scratch = Eval(e, f);
      return scratch;
  }
}

Variant Interp::EvalBinary(Expr* e, Frame& f) {
  if (e->pure_integer) {
    int64_t x, y;
    VarType tx, ty;
    if (e->op >= BinOp::Eq) {
      if (FastInt(e->a.get(), f, x, tx) && FastInt(e->b.get(), f, y, ty)) {
        switch (e->op) {
          case BinOp::Eq:
            return Variant::Bool(x == y);
          case BinOp::Ne:
            return Variant::Bool(x != y);
          case BinOp::Lt:
            return Variant::Bool(x < y);
          case BinOp::Le:
            return Variant::Bool(x <= y);
          case BinOp::Gt:
            return Variant::Bool(x > y);
          default:
            return Variant::Bool(x >= y);
        }
      }
    } else if (FastInt(e, f, x, tx)) {
      return Variant::Integral(tx, x);
    }
  }
  Variant scratch_a, scratch_b;
  const Variant& a = Operand(e->a.get(), f, scratch_a);
  const Variant& b = Operand(e->b.get(), f, scratch_b);
  // The common case of two whole numbers, without the general rules.
  if (a.is_integral() && b.is_integral()) {
    int64_t x = a.int_value(), y = b.int_value(), r = 0;
    VarType wide = a.type() > b.type() ? a.type() : b.type();  // Integer < Long < LongLong
    bool ok = false;
    switch (e->op) {
      case BinOp::Add:
        ok = !__builtin_add_overflow(x, y, &r);
        break;
      case BinOp::Sub:
        ok = !__builtin_sub_overflow(x, y, &r);
        break;
      case BinOp::Mul:
        ok = !__builtin_mul_overflow(x, y, &r);
        break;
      case BinOp::Mod:
        ok = y != 0 && !(x == INT64_MIN && y == -1);
        if (ok) r = x % y;
        break;
      default:
        break;
    }
    if (ok && FitsTag(wide, r)) {
      Variant result = a.type() == wide ? a : b;
      result.set_int_value(r);
      return result;
    }
    switch (e->op) {
      case BinOp::Eq:
        return Variant::Bool(x == y);
      case BinOp::Ne:
        return Variant::Bool(x != y);
      case BinOp::Lt:
        return Variant::Bool(x < y);
      case BinOp::Le:
        return Variant::Bool(x <= y);
      case BinOp::Gt:
        return Variant::Bool(x > y);
      case BinOp::Ge:
        return Variant::Bool(x >= y);
      default:
        break;
    }
  }
  return BinaryOperation(e->op, a, b, f.proc->compare_text);
}

Variant Interp::CallLibrary(Expr* e, Frame& f) {
  size_t n = e->args.size();
  Variant small[6];
  std::vector<Variant> large;
  Variant* values = small;
  if (n > 6) {
    large.resize(n);
    values = large.data();
  }
  for (size_t i = 0; i < n; ++i)
    values[i] = Eval(e->args[i].get(), f);
  return e->builtin->fn(*this, std::span<Variant>(values, n));
}

Variant* Interp::Element(Variant& base, Expr* e, Frame& f, bool for_write) {
  VariantArray* array = for_write ? base.MutableArray() : base.array();
  size_t n = e->args.size();
  int64_t subscripts[8];
  if (n > 8 || static_cast<int>(n) != array->dims()) Raise(err::kSubscript);
  for (size_t i = 0; i < n; ++i) {
    Expr* arg = e->args[i].get();
    if (arg->kind == ExprKind::Missing) Raise(err::kSubscript);
    Variant v = Eval(arg, f);
    subscripts[i] = v.is_integral() ? v.int_value() : ToLong(v);
  }
  // The subscripts may have run code that changed the array.
  if (!base.is_array()) Raise(err::kTypeMismatch);
  array = for_write ? base.MutableArray() : base.array();
  int64_t offset = array->Offset(subscripts, static_cast<int>(n));
  if (offset < 0) Raise(err::kSubscript);
  return &array->items[static_cast<size_t>(offset)];
}

Variant Interp::IndexGet(const Variant& base, Expr* e, Frame& f) {
  if (base.is_array()) {
    Variant copy = base;
    return *Element(copy, e, f, false);
  }
  if (base.is_object()) {
    if (!base.object()) Raise(err::kObjectNotSet);
    return InvokeDispatch(base.object(), DISPID_VALUE, "default member",
                          InvokeKind::Method | InvokeKind::PropertyGet, e->args, f, nullptr);
  }
  if (base.is_string() && e->args.empty()) return base;
  Raise(err::kTypeMismatch);
}

Variant Interp::InvokeMember(Expr* e, Frame& f, InvokeKind kind, Variant* put) {
  Variant base = Eval(e->a.get(), f);
  if (!base.is_object())
    Raise(err::kObjectRequired, ErrorText(err::kObjectRequired) + ": ." + e->spelling);
  IDispatch* object = base.object();
  if (!object) Raise(err::kObjectNotSet);
  if (e->cached_object.get() != object) {
    DISPID id;
    if (Failed(object->GetIDsOfNames(e->spelling.empty() ? e->name : e->spelling, &id)))
      Raise(err::kNoSuchMember, ErrorText(err::kNoSuchMember) + ": " + e->spelling);
    e->cached_object = ComPtr<IDispatch>(object);
    e->cached_id = id;
  }
  return InvokeDispatch(object, e->cached_id, e->spelling, kind, e->args, f, put);
}

Variant Interp::InvokeDispatch(IDispatch* object, DISPID id, const std::string& name,
                               InvokeKind kind, std::vector<ExprPtr>& args, Frame& f,
                               Variant* put) {
  ComPtr<IDispatch> keep(object);
  std::vector<Variant> values;
  values.reserve(args.size() + (put ? 1 : 0));
  for (ExprPtr& a : args)
    values.push_back(a->kind == ExprKind::Missing ? MissingArg() : Eval(a.get(), f));
  if (put) values.push_back(*put);
  Variant result;
  ExcepInfo ex;
  HRESULT hr = object->Invoke(id, kind, values, &result, &ex);
  if (Failed(hr)) RaiseFromHResult(hr, ex, name);
  return result;
}

void Interp::StoreVar(Variant* slot, VarType type, Variant value) {
  if (slot->is_array() && slot->array()->fixed) Raise(err::kFixedArray);
  if (type == VarType::Variant || value.is_array()) {
    *slot = std::move(value);
  } else {
    *slot = ConvertTo(value, type);
  }
}

void Interp::Store(Expr* target, Variant value, Frame& f, bool is_set) {
  if (is_set && !value.is_object()) Raise(err::kObjectRequired);
  switch (target->kind) {
    case ExprKind::Local:
    case ExprKind::Global:
      StoreVar(RefOf(target, f), target->decl_type, std::move(value));
      return;
    case ExprKind::Index: {
      Variant* base = RefOf(target->a.get(), f);
      if (base->is_array()) {
        Variant* element = Element(*base, target, f, true);
        VarType type = base->array()->element_type;
        *element = type == VarType::Variant ? std::move(value) : ConvertTo(value, type);
        return;
      }
      if (base->is_object()) {
        if (!base->object()) Raise(err::kObjectNotSet);
        Variant keep = *base;
        InvokeDispatch(keep.object(), DISPID_VALUE, "default member",
                       is_set ? InvokeKind::PropertyPutRef : InvokeKind::PropertyPut, target->args,
                       f, &value);
        return;
      }
      Raise(err::kTypeMismatch);
    }
    case ExprKind::Apply: {
      Variant base = Eval(target->a.get(), f);
      if (base.is_object() && base.object()) {
        InvokeDispatch(base.object(), DISPID_VALUE, "default member",
                       is_set ? InvokeKind::PropertyPutRef : InvokeKind::PropertyPut, target->args,
                       f, &value);
        return;
      }
      Raise(err::kObjectRequired);
    }
    case ExprKind::Member:
      InvokeMember(target, f, is_set ? InvokeKind::PropertyPutRef : InvokeKind::PropertyPut,
                   &value);
      return;
    default:
      Raise(err::kInvalidCall);
  }
}

// ---- loops and Select

namespace {
bool ForDone(const Variant& v, const Variant& end, const Variant& step) {
  if (v.is_integral() && end.is_integral() && step.is_integral()) {
    return step.int_value() >= 0 ? v.int_value() > end.int_value()
                                 : v.int_value() < end.int_value();
  }
  double x = ToDouble(v), e = ToDouble(end), s = ToDouble(step);
  return s >= 0 ? x > e : x < e;
}

Variant Numeric(Variant v) {
  if (IsNumber(v)) return v;
  double d = ToDouble(v);
  return Variant::Double(d);
}
}  // namespace

void Interp::ForInit(const Instr& in, Frame& f, int& pc) {
  const Stmt& s = *in.stmt;
  Variant start = Numeric(Eval(s.from.get(), f));
  Variant end = Numeric(Eval(s.to.get(), f));
  Variant step = s.step ? Numeric(Eval(s.step.get(), f)) : Variant::Integer(1);
  f.slots[in.slot].value = std::move(end);
  f.slots[in.slot + 1].value = std::move(step);
  Store(in.a, std::move(start), f, false);
  Variant* v = RefOf(in.a, f);
  pc = ForDone(*v, f.slots[in.slot].value, f.slots[in.slot + 1].value) ? in.target : pc + 1;
}

void Interp::ForNext(const Instr& in, Frame& f, int& pc) {
  Variant* v = RefOf(in.a, f);
  const Variant& end = f.slots[in.slot].value;
  const Variant& step = f.slots[in.slot + 1].value;
  int64_t next;
  if (v->is_integral() && step.is_integral() && end.is_integral() &&
      !__builtin_add_overflow(v->int_value(), step.int_value(), &next) &&
      FitsTag(v->type(), next)) {
    v->set_int_value(next);
    bool done = step.int_value() >= 0 ? next > end.int_value() : next < end.int_value();
    pc = done ? pc + 1 : in.target;
    return;
  }
  StoreVar(v, in.a->decl_type, BinaryOperation(BinOp::Add, *v, step, false));
  pc = ForDone(*v, end, step) ? pc + 1 : in.target;
}

void Interp::ForEachInit(const Instr& in, Frame& f, int& pc) {
  Variant collection = Eval(in.b, f);
  if (collection.is_object())
    Raise(err::kNoSuchMember, "For Each over an object is not supported (only arrays)");
  if (!collection.is_array()) Raise(err::kTypeMismatch, "For Each needs an array");
  f.slots[in.slot].value = collection;
  f.slots[in.slot + 1].value = Variant::Long(0);
  const VariantArray* array = collection.array();
  if (array->items.empty()) {
    pc = in.target;
    return;
  }
  Store(in.a, array->items[0], f, false);
  ++pc;
}

void Interp::ForEachNext(const Instr& in, Frame& f, int& pc) {
  Variant& position = f.slots[in.slot + 1].value;
  int64_t next = position.int_value() + 1;
  const VariantArray* array = f.slots[in.slot].value.array();
  if (next >= static_cast<int64_t>(array->items.size())) {
    f.slots[in.slot].value.reset();
    ++pc;
    return;
  }
  position.set_int_value(next);
  Store(in.a, array->items[static_cast<size_t>(next)], f, false);
  pc = in.target;
}

bool Interp::CaseMatches(const CaseClause& clause, const Variant& subject, Frame& f) {
  if (subject.is_null()) return false;
  bool text = f.proc->compare_text;
  for (const CaseItem& item : clause.items) {
    Variant a = Eval(item.a.get(), f);
    if (a.is_null()) continue;
    switch (item.kind) {
      case CaseItemKind::Value:
        if (CompareValues(subject, a, text) == 0) return true;
        break;
      case CaseItemKind::Range: {
        Variant b = Eval(item.b.get(), f);
        if (b.is_null()) break;
        if (CompareValues(subject, a, text) >= 0 && CompareValues(subject, b, text) <= 0)
          return true;
        break;
      }
      case CaseItemKind::Is: {
        Variant r = BinaryOperation(item.op, subject, a, text);
        if (r.type() == VarType::Boolean && r.bool_value()) return true;
        break;
      }
    }
  }
  return false;
}

// ---- arrays

void Interp::ReDim(const Stmt& s, Frame& f) {
  for (size_t k = 0; k < s.decls.size(); ++k) {
    const VarDecl& d = s.decls[k];
    Expr* var = s.targets[k].get();
    Variant* slot = RefOf(var, f);
    if (slot->is_array() && slot->array()->fixed) Raise(err::kFixedArray);
    std::vector<ArrayBound> bounds;
    for (const Bound& b : d.bounds) {
      int64_t lower = b.lower ? ToLong(Eval(b.lower.get(), f)) : f.proc->option_base;
      int64_t upper = ToLong(Eval(b.upper.get(), f));
      if (upper < lower - 1) Raise(err::kSubscript);
      if (upper - lower + 1 > 100000000) Raise(err::kOutOfMemory);
      bounds.push_back(
          ArrayBound{static_cast<int32_t>(lower), static_cast<int32_t>(upper - lower + 1)});
    }
    VarType type = d.type;
    if (type == VarType::Variant) {
      type = slot->is_array() ? slot->array()->element_type : var->decl_type;
    }
    auto array = std::make_shared<VariantArray>(bounds, type, DefaultValue(type));
    if (s.preserve && slot->is_array() && slot->array()->dims() > 0) {
      const VariantArray& old = *slot->array();
      if (old.dims() != array->dims()) Raise(err::kSubscript);
      std::vector<int64_t> index(static_cast<size_t>(old.dims()));
      for (size_t pos = 0; pos < old.items.size(); ++pos) {
        size_t rest = pos;
        for (int dim = 0; dim < old.dims(); ++dim) {
          index[static_cast<size_t>(dim)] =
              old.bounds[static_cast<size_t>(dim)].lower +
              static_cast<int64_t>(rest %
                                   static_cast<size_t>(old.bounds[static_cast<size_t>(dim)].count));
          rest /= static_cast<size_t>(old.bounds[static_cast<size_t>(dim)].count);
        }
        int64_t offset = array->Offset(index.data(), old.dims());
        if (offset >= 0) array->items[static_cast<size_t>(offset)] = old.items[pos];
      }
    }
    *slot = Variant::Array(std::move(array));
  }
}

void Interp::Erase(const Stmt& s, Frame& f) {
  for (const ExprPtr& e : s.items) {
    Variant* slot = RefOf(e.get(), f);
    if (!slot->is_array()) Raise(err::kTypeMismatch);
    VariantArray* array = slot->MutableArray();
    if (array->fixed) {
      Variant fill = DefaultValue(array->element_type);
      for (Variant& item : array->items)
        item = fill;
    } else {
      *slot = Variant::Array(std::make_shared<VariantArray>(std::vector<ArrayBound>{},
                                                            array->element_type, Variant()));
    }
  }
}

// ---- Print and files

void Interp::PrintStmt(const Stmt& s, Frame& f) {
  std::string text;
  bool newline = true;
  // Tab(n) moves to column n of the line being printed (Print #n lines count
  // from their own start).
  size_t line_start = s.value ? 0 : pending_output_.size();
  std::vector<std::string> done_lines;
  for (const PrintItem& item : s.print_items) {
    const Expr* e = item.value.get();
    if (e && e->kind == ExprKind::Library && std::string_view(e->builtin->name) == "tab") {
      size_t column = line_start + text.size() + 1;
      int64_t want = e->args.empty() ? static_cast<int64_t>((column - 1) / 14 + 1) * 14 + 1
                                     : ToLong(Eval(e->args[0].get(), f));
      if (want < 1) want = 1;
      if (static_cast<size_t>(want) < column) {
        done_lines.push_back(std::move(text));
        text.clear();
        line_start = 0;
        column = 1;
      }
      text.append(static_cast<size_t>(want) - column, ' ');
    } else if (e) {
      text += PrintText(Eval(item.value.get(), f));
    }
    if (item.separator == ',') text += '\t';
    newline = item.separator == 0;
  }
  if (s.value) {
    int number = ToLong(Eval(s.value.get(), f));
    for (const std::string& line : done_lines)
      files_.Write(number, line + "\n");
    if (newline) text += "\n";
    files_.Write(number, text);
    return;
  }
  for (const std::string& line : done_lines)
    PrintLine(line);
  if (newline) {
    PrintLine(text);
  } else {
    pending_output_ += text;
  }
}

void Interp::WriteStmt(const Stmt& s, Frame& f) {
  int number = ToLong(Eval(s.value.get(), f));
  std::string text;
  for (size_t i = 0; i < s.items.size(); ++i) {
    if (i > 0) text += ',';
    Variant v = Eval(s.items[i].get(), f);
    switch (v.type()) {
      case VarType::String:
        text += '"' + v.str() + '"';
        break;
      case VarType::Boolean:
        text += v.bool_value() ? "#TRUE#" : "#FALSE#";
        break;
      case VarType::Null:
        text += "#NULL#";
        break;
      case VarType::Empty:
        break;
      case VarType::Date: {
        DateParts p = SplitDate(v.real_value());
        char buffer[40];
        std::snprintf(buffer, sizeof buffer, "#%04d-%02d-%02d %02d:%02d:%02d#", p.year, p.month,
                      p.day, p.hour, p.minute, p.second);
        text += buffer;
        break;
      }
      default:
        text += ToStr(v);
    }
  }
  files_.Write(number, text + "\n");
}

void Interp::OpenStmt(const Stmt& s, Frame& f) {
  std::string path = FullPath(ToStr(Eval(s.value.get(), f)));
  int number = ToLong(Eval(s.target.get(), f));
  files_.Open(number, path, s.mode);
}

void Interp::CloseStmt(const Stmt& s, Frame& f) {
  if (s.items.empty()) {
    files_.CloseAll();
    return;
  }
  for (const ExprPtr& e : s.items)
    files_.Close(ToLong(Eval(e.get(), f)));
}

void Interp::InputStmt(const Stmt& s, Frame& f, bool line) {
  int number = ToLong(Eval(s.value.get(), f));
  if (line) {
    Store(s.target.get(), Variant::Str(files_.ReadLine(number)), f, false);
    return;
  }
  for (const ExprPtr& target : s.items) {
    std::string field = files_.ReadField(number);
    double d;
    Variant v = Variant::Str(field);
    if (target->decl_type == VarType::Variant && (field == "#TRUE#" || field == "#FALSE#")) {
      v = Variant::Bool(field == "#TRUE#");
    } else if (target->decl_type == VarType::Variant && field == "#NULL#") {
      v = Variant::Null();
    } else if (target->decl_type == VarType::Variant && ParseNumber(field, &d)) {
      v = d == std::floor(d) && std::fabs(d) < 2147483648.0
              ? Variant::FittingInt(static_cast<int64_t>(d))
              : Variant::Double(d);
    }
    Store(target.get(), std::move(v), f, false);
  }
}

void Interp::NameStmt(const Stmt& s, Frame& f) {
  std::string from = FullPath(ToStr(Eval(s.from.get(), f)));
  std::string to = FullPath(ToStr(Eval(s.to.get(), f)));
  struct stat st {};
  if (stat(from.c_str(), &st) != 0) Raise(err::kFileNotFound, "File not found: " + from);
  if (stat(to.c_str(), &st) == 0) Raise(err::kFileExists, "File already exists: " + to);
  if (std::rename(from.c_str(), to.c_str()) != 0)
    Raise(err::kPathFileAccess, "Path/File access error: " + to);
}

}  // namespace rv::script
