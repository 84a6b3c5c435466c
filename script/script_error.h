#pragma once

// A run-time error of a script: the error number a script sees in
// Err.Number and its text. Thrown inside the evaluator only; the engine
// turns it into the host's error callback or an On Error jump.

#include <string>

namespace rv::script {

struct ScriptError {
  int number = 0;
  std::string description;
  std::string file;  // where it happened, filled in as it leaves the failing statement
  int line = 0;
  std::string source;  // Err.Source
};

// Thrown by the End statement and by a cleared run flag: ends the run and
// is not an error a script can trap.
struct StopScript {};

// The standard text of a run-time error number ("Type mismatch" for 13).
std::string ErrorText(int number);

[[noreturn]] void Raise(int number);
[[noreturn]] void Raise(int number, std::string description);

namespace err {
inline constexpr int kReturnWithoutGoSub = 3;
inline constexpr int kInvalidCall = 5;
inline constexpr int kOverflow = 6;
inline constexpr int kOutOfMemory = 7;
inline constexpr int kSubscript = 9;
inline constexpr int kFixedArray = 10;
inline constexpr int kDivisionByZero = 11;
inline constexpr int kTypeMismatch = 13;
inline constexpr int kStringTooLong = 14;
inline constexpr int kResumeWithoutError = 20;
inline constexpr int kOutOfStack = 28;
inline constexpr int kSubNotDefined = 35;
inline constexpr int kBadFileNumber = 52;
inline constexpr int kFileNotFound = 53;
inline constexpr int kBadFileMode = 54;
inline constexpr int kFileAlreadyOpen = 55;
inline constexpr int kFileExists = 58;
inline constexpr int kInputPastEnd = 62;
inline constexpr int kTooManyFiles = 67;
inline constexpr int kPermissionDenied = 70;
inline constexpr int kPathFileAccess = 75;
inline constexpr int kPathNotFound = 76;
inline constexpr int kObjectNotSet = 91;
inline constexpr int kInvalidNull = 94;
inline constexpr int kObjectRequired = 424;
inline constexpr int kCantCreateObject = 429;
inline constexpr int kNoSuchMember = 438;
inline constexpr int kAutomation = 440;
inline constexpr int kArgumentCount = 450;
inline constexpr int kArgumentNotOptional = 449;
}  // namespace err

}  // namespace rv::script
