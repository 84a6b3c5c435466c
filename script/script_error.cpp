#include "script/script_error.h"

namespace rv::script {

std::string ErrorText(int number) {
  switch (number) {
    case 3:
      return "Return without GoSub";
    case 5:
      return "Invalid procedure call or argument";
    case 6:
      return "Overflow";
    case 7:
      return "Out of memory";
    case 9:
      return "Subscript out of range";
    case 10:
      return "This array is fixed or temporarily locked";
    case 11:
      return "Division by zero";
    case 13:
      return "Type mismatch";
    case 14:
      return "Out of string space";
    case 20:
      return "Resume without error";
    case 28:
      return "Out of stack space";
    case 35:
      return "Sub or Function not defined";
    case 52:
      return "Bad file name or number";
    case 53:
      return "File not found";
    case 54:
      return "Bad file mode";
    case 55:
      return "File already open";
    case 57:
      return "Device I/O error";
    case 58:
      return "File already exists";
    case 62:
      return "Input past end of file";
    case 67:
      return "Too many files";
    case 70:
      return "Permission denied";
    case 75:
      return "Path/File access error";
    case 76:
      return "Path not found";
    case 91:
      return "Object variable or With block variable not set";
    case 94:
      return "Invalid use of Null";
    case 424:
      return "Object required";
    case 429:
      return "Cannot create object";
    case 438:
      return "Object doesn't support this property or method";
    case 440:
      return "Automation error";
    case 449:
      return "Argument not optional";
    case 450:
      return "Wrong number of arguments or invalid property assignment";
    default:
      return "Application-defined or object-defined error";
  }
}

void Raise(int number) {
  throw ScriptError{number, ErrorText(number), "", 0, ""};
}

void Raise(int number, std::string description) {
  throw ScriptError{number, description.empty() ? ErrorText(number) : std::move(description), "", 0,
                    ""};
}

}  // namespace rv::script
