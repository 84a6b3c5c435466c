#include "automation/action_object.h"

#include "automation/variant_convert.h"

namespace rv {

namespace {

const MemberInfo kActionMembers[] = {
    {"PlayRecording",
     1,
     kMethod,
     {"FileName"},
     "Play file contains recorded mouse and keyboard events"},
    {"Focus", 2, kMethod, {"WindowTitle"}, "Give a window the input focus"},
    {"DDE", 3, kMethod, {"Service", "Topic", "Item"}, "Send a DDE command"},
    {"Start", 4, kMethod, {"FileName", "Parameters", "ShowFlag", "DefaultDir"}, "Start a program"},
    {"OSCommand", 5, kMethod, {"Command"}, "Perform an OS command"},
    {"SendKeys", 6, kMethod, {"PauseTime", "Keystrokes"}, "Send keystrokes to the active window"},
    {"PlaySound", 7, kMethod, {"FileName", "Wait"}, "Play a sound file"},
    {"RunScript", 8, kMethod, {"FileName"}, "Run an Runvane script file"},
    {"OpenFile", 9, kMethod, {"FileName"}, "Open a document file"},
    {"PrintFile", 10, kMethod, {"FileName"}, "Print a document file"},
    {"MoveFile", 11, kMethod, {"Source", "Destination"}, "Move a file"},
    {"RenameFile", 12, kMethod, {"OldName", "NewName"}, "Rename a file"},
    {"CopyFile", 13, kMethod, {"Source", "Destination"}, "Copy a file"},
    {"FTPUpload",
     14,
     kMethod,
     {"Server", "Username", "Password", "Port", "SourceFile", "DestinationFile", "Logfile",
      "AppendLog"},
     "Upload a file to an FTP site"},
    {"FTPDownload",
     15,
     kMethod,
     {"Server", "Username", "Password", "Port", "SourceFile", "DestinationFile", "Logfile",
      "AppendLog"},
     "Download a file from an FTP site"},
    {"FTPLogin",
     16,
     kMethod,
     {"Server", "Username", "Password", "Port", "Logfile", "AppendLog"},
     "Establishes a session with an FTP server"},
    {"FTPLogout", 17, kMethod, {}, "Ends the current FTP session"},
    {"FTPUploadEx",
     18,
     kMethod,
     {"SourceFile", "DestinationFile", "TransferType", "CheckType", "CheckTime"},
     "Uploads a file using the current FTP session"},
    {"FTPDownloadEx",
     19,
     kMethod,
     {"SourceFile", "DestinationFile", "TransferType", "CheckType", "CheckTime"},
     "Downloads a file using the current FTP session"},
    {"FTPDelete", 20, kMethod, {"FileName"}, "Deletes a file using the current FTP session"},
    {"FTPRemDir", 21, kMethod, {"Directory"}, "Remove a directory using the current FTP session"},
    {"FTPMakeDir", 22, kMethod, {"Directory"}, "Make a directory using the current FTP session"},
    {"DeleteFile", 23, kMethod, {"FileName"}, "Delete a file"},
    {"MakeDir", 24, kMethod, {"Directory"}, "Make a directory"},
    {"RemDir", 25, kMethod, {"Directory"}, "Remove a directory"},
    {"FTPChDir",
     26,
     kMethod,
     {"Directory"},
     "Change the current directory using the current FTP session"},
    {"ChDir", 27, kMethod, {"Directory"}, "Change the current directory"},
    {"FTPRename",
     28,
     kMethod,
     {"OldName", "NewName"},
     "Rename a file using the current FTP session"},
    {"SendMail",
     29,
     kMethod,
     {"Server", "Sender", "Recipient", "CCRecipient", "Subject", "FileName"},
     "Send mail through an SMTP server"},
};

const InterfaceInfo kActionInterface{"IRVAction", "Dispatch interface for RVAction Object",
                                     kActionMembers};

// One line layout: the keyword and, per parameter, the argument index and
// whether it goes in quoted ('q') or bare ('b').
struct Layout {
  const char* keyword;
  const char* fields;  // pairs: index digit, 'q' or 'b'
};

const Layout kLayouts[] = {
    {"RECORD", "0q"},
    {"FOCUS", "0b"},
    {"DDE", "0q1q2q"},
    {"START", "0q1q2b3q"},
    {"OS", "0b"},
    {"SEND", ""},  // built by hand below
    {"SOUND", "0q1b"},
    {"SCRIPT", "0q"},
    {"OPEN", "0q"},
    {"PRINT", "0q"},
    {"MOVE", "0q1q"},
    {"RENAME", "0q1q"},
    {"COPY", "0q1q"},
    {"FTPUPLOAD", "0q1q2q3q4q5q6q7b"},
    // The local target goes first, where the interpreter reads the local file.
    {"FTPDOWNLOAD", "0q1q2q3q5q4q6q7b"},
    {"FTPLOGIN", "0q1q2q3q4q5b"},
    {"FTPLOGOUT", ""},
    {"FTPUPLOADEX", "0q1q2b3b4q"},
    {"FTPDNLOADEX", "0q1q2b3b4q"},
    {"FTPDELETE", "0q"},
    {"FTPREMDIR", "0q"},
    {"FTPMAKEDIR", "0q"},
    {"DELETE", "0q"},
    {"MAKEDIR", "0q"},
    {"REMDIR", "0q"},
    {"FTPCD", "0q"},
    {"CD", "0q"},
    {"FTPRENAME", "0q1q"},
    {"SMTP", "0q1q2q3q4q5q"},
};

Result<void> AppendQuoted(std::string& line, const Variant& v) {
  Result<std::string> text = VariantToText(v);
  if (!text) return MakeError(text.error());
  line += '"' + *text + '"';
  return {};
}

}  // namespace

const InterfaceInfo& ActionInterface() {
  return kActionInterface;
}

TRVAction::TRVAction(std::shared_ptr<dde::Client> client)
    : MemberObject(kActionInterface), client_(std::move(client)) {
  if (!client_) client_ = std::make_shared<dde::SocketClient>();
}

Result<std::string> TRVAction::BuildLine(DISPID id, std::span<Variant> args) {
  if (id < 1 || id > 29) return MakeError("Member not found");
  const Layout& layout = kLayouts[id - 1];
  std::string line = std::string(layout.keyword) + ": ";
  if (id == 17) return line + "\"current\"";
  if (id == 6) {
    // SEND reads a pause flag, a pause and then the keystrokes: PauseTime
    // above 0 turns the pause on with that many milliseconds.
    Result<int32_t> pause = VariantToLong(args[0]);
    if (!pause) return MakeError(pause.error());
    line += *pause > 0 ? "1," + std::to_string(*pause) + "," : std::string("0,0,");
    Result<void> keys = AppendBare(line, args[1]);
    if (!keys) return MakeError(keys.error());
    return line;
  }
  for (const char* f = layout.fields; *f; f += 2) {
    if (f != layout.fields) line += ',';
    const Variant& arg = args[static_cast<size_t>(f[0] - '0')];
    Result<void> added = f[1] == 'q' ? AppendQuoted(line, arg) : AppendBare(line, arg);
    if (!added) return MakeError(added.error());
  }
  return line;
}

Result<Variant> TRVAction::Call(DISPID id, MemberKind, std::span<Variant> args) {
  Result<std::string> line = BuildLine(id, args);
  if (!line) return MakeError(line.error());
  // The launcher closed or refusing is not the script's failure: the
  // launcher logs the steps it plays, and nothing is reported back.
  (void)client_->Execute("RunVane", "System", "PLAYSTEPS: " + *line + "\r", dde::Wait::Yes);
  return Variant();
}

}  // namespace rv
