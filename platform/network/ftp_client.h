#pragma once

// An FTP client shaped like the component the FTP steps were written for:
// set the properties, then run an action, which returns when the server has
// answered and throws NetworkError when it failed. One client is one control
// connection: after Logon, every action reuses it without logging in again,
// until Logoff or the client's end.
//
// RemoteHost is a host name ("ftp.example.org", plain FTP) or carries its
// protocol: "ftps://host" (FTP over TLS) or "sftp://host" (SSH file
// transfer). Remote names are relative to RemotePath unless they start
// with "/".

#include <cstdint>
#include <memory>
#include <string>

#include "platform/network/network_timeouts.h"
#include "platform/network/protocol_trace.h"

namespace rv {

class CurlSession;

// The action numbers of an FTP step.
enum class FtpAction {
  Logon = 2,
  Logoff = 3,
  Download = 4,
  Upload = 5,
  DeleteFile = 6,
  RenameFile = 7,
  MakeDirectory = 10,
  RemoveDirectory = 11,
};

// The transfer type numbers of an FTP step. Default transfers files
// unchanged, as Binary does; Ascii turns line ends into the network's CR LF
// on the way out and back into LF on the way in.
enum class FtpTransferMode {
  Default = 0,
  Ascii = 1,
  Binary = 2,
};

class FtpClient {
 public:
  explicit FtpClient(NetworkTimeouts timeouts = {});
  ~FtpClient();
  FtpClient(const FtpClient&) = delete;
  FtpClient& operator=(const FtpClient&) = delete;

  std::string User;
  std::string Password;
  std::string RemoteHost;
  int RemotePort = 0;  // 0: the protocol's own port
  std::string LocalFile;
  std::string RemoteFile;
  std::string AltFile;  // the new name of RenameFile
  FtpTransferMode TransferMode = FtpTransferMode::Default;

  // One call per protocol line sent or received, passwords masked.
  ProtocolTraceHandler OnPITrail;

  // The remote directory the names are taken relative to; "" is the
  // directory the server logs the user into.
  const std::string& RemotePath() const { return remote_path_; }
  // Changes the remote directory. While logged on the server changes to it
  // at once, and a directory that does not exist throws and leaves the path
  // as it was; otherwise the next action goes there.
  void ChangeRemotePath(const std::string& path);

  void Action(FtpAction action);
  bool LoggedOn() const { return logged_on_; }

 private:
  struct Endpoint;
  Endpoint ParseHost() const;
  std::string UrlFor(const std::string& remote_path, bool directory) const;
  std::string Resolve(const std::string& name) const;
  // The session's handle with the login and transfer settings.
  void* PrepareHandle();
  void RunCommands(const std::string& what, const std::string& ftp_first,
                   const std::string& ftp_second, const std::string& sftp_command);
  void Upload();
  void Download();

  std::string remote_path_;
  bool logged_on_ = false;
  std::unique_ptr<CurlSession> session_;
};

// A remote path with "." and empty segments dropped and ".." taken back
// where it can be; a leading "/" is kept.
std::string NormalizeRemotePath(const std::string& path);

}  // namespace rv
