#pragma once

// Runs a resolved program: a loop over each procedure's instructions with
// expression trees evaluated in place. Holds all state of one run (module
// variables, the frame stack, open files, the random sequence, the
// current directory), so runs in different threads share nothing.

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "automation/dispatch.h"
#include "script/ast.h"
#include "script/err_object.h"
#include "script/file_table.h"
#include "script/resolver.h"
#include "script/script_error.h"

namespace rv::script {

// What a run asks of its host. Every callback may be empty.
struct HostCallbacks {
  // One line of Print / Debug.Print output, without the line end.
  std::function<void(const std::string& line)> print;
  // MsgBox: returns the button pressed (vbOK = 1 ... vbNo = 7).
  std::function<int(const std::string& prompt, int buttons, const std::string& title)> message_box;
  // InputBox: the text entered, or nothing when cancelled.
  std::function<std::optional<std::string>(const std::string& prompt, const std::string& title,
                                           const std::string& default_text)>
      input_box;
  // Raised regularly while the script runs, on the script's thread.
  std::function<void()> do_events;
  // CreateObject(progid): the new object, or null with *error set.
  std::function<ComPtr<IDispatch>(const std::string& progid, std::string* error)> create_object;
};

class Interp {
 public:
  Interp(Program& program, HostCallbacks& host, std::atomic<bool>& run, ErrObject& err,
         std::string current_dir);
  ~Interp();
  Interp(const Interp&) = delete;
  Interp& operator=(const Interp&) = delete;

  // Runs Sub Main to its end, to End, or until the run flag is cleared.
  // Throws ScriptError with file and line for an error the script did not trap.
  void RunMain();

  // ---- for the library
  HostCallbacks& host() { return host_; }
  FileTable& files() { return files_; }
  ErrObject& err() { return err_; }
  void PrintLine(const std::string& text);
  // Checks the run flag and raises do-events; throws StopScript when stopped.
  void Poll();
  // Waits, staying stoppable and raising do-events.
  void Pause(double seconds);
  // A path relative to the run's current directory made absolute.
  std::string FullPath(const std::string& path) const;
  std::string& current_dir() { return current_dir_; }
  double NextRandom(std::optional<double> arg);
  void Randomize(std::optional<double> seed);
  // Dir() state: the matches still to give out.
  std::vector<std::string>& dir_matches() { return dir_matches_; }

 private:
  struct Slot {
    Variant value;
    Variant* ref;  // &value, or the caller's variable for ByRef parameters
  };
  struct Frame {
    const Proc* proc = nullptr;
    Slot* slots = nullptr;
    OnErrorKind on_error = OnErrorKind::Zero;
    int handler = -1;
    bool in_handler = false;
    int error_pc = -1;
  };
  class SlotStack;

  void Execute(Frame& f);
  // Returns the instruction to go on with after a trapped error, or -1.
  int Trap(Frame& f, int pc, ScriptError& e);

  Variant Eval(Expr* e, Frame& f);
  Variant EvalBinary(Expr* e, Frame& f);
  const Variant& Operand(Expr* e, Frame& f, Variant& scratch);
  bool FastInt(const Expr* e, Frame& f, int64_t& value, VarType& type);
  Variant* RefOf(Expr* e, Frame& f);
  void Store(Expr* target, Variant value, Frame& f, bool is_set);
  void StoreVar(Variant* slot, VarType type, Variant value);
  Variant CallProc(Proc* p, std::vector<ExprPtr>& args, Frame& caller);
  Variant CallLibrary(Expr* e, Frame& f);
  Variant IndexGet(const Variant& base, Expr* e, Frame& f);
  Variant* Element(Variant& base, Expr* e, Frame& f, bool for_write);
  Variant InvokeMember(Expr* e, Frame& f, InvokeKind kind, Variant* put);
  Variant InvokeDispatch(IDispatch* object, DISPID id, const std::string& name, InvokeKind kind,
                         std::vector<ExprPtr>& args, Frame& f, Variant* put);

  void ForInit(const Instr& in, Frame& f, int& pc);
  void ForNext(const Instr& in, Frame& f, int& pc);
  void ForEachInit(const Instr& in, Frame& f, int& pc);
  void ForEachNext(const Instr& in, Frame& f, int& pc);
  bool CaseMatches(const CaseClause& clause, const Variant& subject, Frame& f);
  void ReDim(const Stmt& s, Frame& f);
  void Erase(const Stmt& s, Frame& f);
  void PrintStmt(const Stmt& s, Frame& f);
  void WriteStmt(const Stmt& s, Frame& f);
  void OpenStmt(const Stmt& s, Frame& f);
  void CloseStmt(const Stmt& s, Frame& f);
  void InputStmt(const Stmt& s, Frame& f, bool line);
  void NameStmt(const Stmt& s, Frame& f);

  Variant NewSlotValue(const SlotInit& init) const;

  Program& program_;
  HostCallbacks& host_;
  std::atomic<bool>& run_;
  ErrObject& err_;
  std::string current_dir_;
  std::vector<Variant> globals_;
  std::unique_ptr<SlotStack> stack_;
  int depth_ = 0;
  const char* stack_top_ = nullptr;
  size_t stack_limit_ = 0;
  int budget_ = 4096;
  std::chrono::steady_clock::time_point last_events_;
  FileTable files_;
  std::string pending_output_;  // Print ending in ';' or ','
  std::vector<std::string> dir_matches_;
  uint32_t rnd_state_ = 0x50000;
  double last_rnd_ = 0;
};

}  // namespace rv::script
