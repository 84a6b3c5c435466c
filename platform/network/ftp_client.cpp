#include "platform/network/ftp_client.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/network/curl_session.h"
#include "platform/network/network_error.h"

namespace rv {
namespace {

struct SlistFree {
  void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using Slist = std::unique_ptr<curl_slist, SlistFree>;

void Append(Slist& list, const std::string& line) {
  curl_slist* grown = curl_slist_append(list.get(), line.c_str());
  if (grown == nullptr) throw NetworkError(CURLE_OUT_OF_MEMORY, "out of memory");
  (void)list.release();
  list.reset(grown);
}

std::vector<std::string> Segments(const std::string& path) {
  std::vector<std::string> segments;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    if (end > start) segments.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return segments;
}

std::string SystemError(const std::string& what, const std::string& file) {
  return what + ": cannot use local file '" + file + "': " + std::strerror(errno);
}

// Reads the local file for an upload. In ASCII mode libcurl sends every LF
// as CR LF, so a local CR LF is handed over as a bare LF: the network sees
// one CR LF per line whichever line ends the file has.
struct UploadSource {
  std::FILE* file = nullptr;
  bool ascii = false;
  bool pending_cr = false;

  static size_t Read(char* buffer, size_t size, size_t count, void* self) {
    auto* source = static_cast<UploadSource*>(self);
    const size_t room = size * count;
    if (!source->ascii) return std::fread(buffer, 1, room, source->file);
    // One byte is kept free for a CR held back from the last call.
    std::vector<char> raw(room > 1 ? room - 1 : 1);
    const size_t got = std::fread(raw.data(), 1, raw.size(), source->file);
    if (got == 0 && std::ferror(source->file)) return CURL_READFUNC_ABORT;
    size_t out = 0;
    for (size_t i = 0; i < got; ++i) {
      if (source->pending_cr && raw[i] != '\n') buffer[out++] = '\r';
      source->pending_cr = raw[i] == '\r';
      if (!source->pending_cr) buffer[out++] = raw[i];
    }
    if (got == 0 && source->pending_cr) {
      buffer[out++] = '\r';
      source->pending_cr = false;
    }
    return out;
  }
};

size_t WriteToFile(char* data, size_t size, size_t count, void* file) {
  return std::fwrite(data, size, count, static_cast<std::FILE*>(file)) * size;
}

size_t Discard(char*, size_t size, size_t count, void*) {
  return size * count;
}

std::string QuotedForSftp(const std::string& path) {
  return "\"" + path + "\"";
}

}  // namespace

struct FtpClient::Endpoint {
  std::string scheme;  // "ftp", "ftps" or "sftp"
  std::string host;
};

std::string NormalizeRemotePath(const std::string& path) {
  const bool absolute = !path.empty() && path[0] == '/';
  std::vector<std::string> kept;
  for (const std::string& segment : Segments(path)) {
    if (segment == ".") continue;
    if (segment == ".." && !kept.empty() && kept.back() != "..") {
      kept.pop_back();
    } else if (segment == ".." && absolute) {
      continue;  // above the root is the root
    } else {
      kept.push_back(segment);
    }
  }
  std::string result = absolute ? "/" : "";
  for (std::size_t i = 0; i < kept.size(); ++i)
    result += (i > 0 ? "/" : "") + kept[i];
  return result;
}

FtpClient::FtpClient(NetworkTimeouts timeouts)
    : session_(std::make_unique<CurlSession>(timeouts, OnPITrail)) {}

FtpClient::~FtpClient() = default;

FtpClient::Endpoint FtpClient::ParseHost() const {
  Endpoint endpoint{"ftp", RemoteHost};
  const std::size_t scheme_end = RemoteHost.find("://");
  if (scheme_end != std::string::npos) {
    endpoint.scheme = RemoteHost.substr(0, scheme_end);
    for (char& c : endpoint.scheme)
      c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    endpoint.host = RemoteHost.substr(scheme_end + 3);
  }
  while (!endpoint.host.empty() && endpoint.host.back() == '/')
    endpoint.host.pop_back();
  if (endpoint.scheme != "ftp" && endpoint.scheme != "ftps" && endpoint.scheme != "sftp") {
    throw NetworkError(
        CURLE_UNSUPPORTED_PROTOCOL,
        "'" + RemoteHost + "': only ftp://, ftps:// and sftp:// hosts are supported");
  }
  if (endpoint.host.empty()) throw NetworkError(CURLE_URL_MALFORMAT, "no FTP host given");
  return endpoint;
}

std::string FtpClient::UrlFor(const std::string& remote_path, bool directory) const {
  const Endpoint endpoint = ParseHost();
  std::string url = endpoint.scheme + "://" + endpoint.host + "/";
  const bool absolute = !remote_path.empty() && remote_path[0] == '/';
  if (endpoint.scheme == "sftp") {
    // SSH paths are absolute; the home directory stands for the login one.
    if (!absolute) url += "~/";
  } else if (absolute) {
    // An FTP URL's path is relative to the login directory unless its
    // first segment is an escaped "/".
    url += "%2F";
  }
  const std::vector<std::string> segments = Segments(remote_path);
  for (std::size_t i = 0; i < segments.size(); ++i)
    url += (i > 0 ? "/" : "") + CurlSession::Escape(segments[i]);
  if (directory && !segments.empty()) url += "/";
  return url;
}

std::string FtpClient::Resolve(const std::string& name) const {
  if (!name.empty() && name[0] == '/') return NormalizeRemotePath(name);
  if (remote_path_.empty()) return NormalizeRemotePath(name);
  return NormalizeRemotePath(remote_path_ + "/" + name);
}

CURL* FtpClient::PrepareHandle() {
  CURL* handle = session_->Handle();
  curl_easy_setopt(handle, CURLOPT_USERNAME, User.empty() ? "anonymous" : User.c_str());
  curl_easy_setopt(handle, CURLOPT_PASSWORD, Password.c_str());
  if (RemotePort > 0) curl_easy_setopt(handle, CURLOPT_PORT, static_cast<long>(RemotePort));
  // One CWD to the whole directory: fewer round trips than one per segment.
  curl_easy_setopt(handle, CURLOPT_FTP_FILEMETHOD, static_cast<long>(CURLFTPMETHOD_SINGLECWD));
  curl_easy_setopt(handle, CURLOPT_TRANSFERTEXT, TransferMode == FtpTransferMode::Ascii ? 1L : 0L);
  return handle;
}

void FtpClient::ChangeRemotePath(const std::string& path) {
  const std::string target = Resolve(path);
  if (logged_on_) {
    CURL* handle = PrepareHandle();
    curl_easy_setopt(handle, CURLOPT_URL, UrlFor(target, true).c_str());
    if (ParseHost().scheme == "sftp") {
      // SSH has no current directory to change: listing it proves it is there.
      curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &Discard);
    } else {
      curl_easy_setopt(handle, CURLOPT_NOBODY, 1L);
    }
    session_->Perform("Changing to remote directory '" + path + "'");
  }
  remote_path_ = target;
}

void FtpClient::Action(FtpAction action) {
  const std::string what_remote = "'" + RemoteFile + "'";
  switch (action) {
    case FtpAction::Logon: {
      CURL* handle = PrepareHandle();
      curl_easy_setopt(handle, CURLOPT_URL, UrlFor(remote_path_, true).c_str());
      curl_easy_setopt(handle, CURLOPT_NOBODY, 1L);
      if (ParseHost().scheme == "sftp") {
        curl_easy_setopt(handle, CURLOPT_NOBODY, 0L);
        curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &Discard);
      }
      session_->Perform("Logon to " + RemoteHost);
      logged_on_ = true;
      return;
    }
    case FtpAction::Logoff:
      session_->Close();
      logged_on_ = false;
      return;
    case FtpAction::Download:
      Download();
      return;
    case FtpAction::Upload:
      Upload();
      return;
    case FtpAction::DeleteFile:
      RunCommands("Deleting " + what_remote, "DELE " + RemoteFile, "",
                  "rm " + QuotedForSftp(Resolve(RemoteFile)));
      return;
    case FtpAction::RenameFile:
      RunCommands(
          "Renaming " + what_remote + " to '" + AltFile + "'", "RNFR " + RemoteFile,
          "RNTO " + AltFile,
          "rename " + QuotedForSftp(Resolve(RemoteFile)) + " " + QuotedForSftp(Resolve(AltFile)));
      return;
    case FtpAction::MakeDirectory:
      RunCommands("Making directory " + what_remote, "MKD " + RemoteFile, "",
                  "mkdir " + QuotedForSftp(Resolve(RemoteFile)));
      return;
    case FtpAction::RemoveDirectory:
      RunCommands("Removing directory " + what_remote, "RMD " + RemoteFile, "",
                  "rmdir " + QuotedForSftp(Resolve(RemoteFile)));
      return;
  }
  throw NetworkError(CURLE_BAD_FUNCTION_ARGUMENT,
                     "unknown FTP action " + std::to_string(static_cast<int>(action)));
}

void FtpClient::RunCommands(const std::string& what, const std::string& ftp_first,
                            const std::string& ftp_second, const std::string& sftp_command) {
  for (const std::string* line : {&ftp_first, &ftp_second}) {
    // A line break would smuggle a second command past the first.
    if (line->find_first_of("\r\n") != std::string::npos)
      throw NetworkError(CURLE_BAD_FUNCTION_ARGUMENT, what + ": a name holds a line break");
  }
  CURL* handle = PrepareHandle();
  Slist commands;
  if (ParseHost().scheme == "sftp") {
    Append(commands, sftp_command);
  } else {
    Append(commands, ftp_first);
    if (!ftp_second.empty()) Append(commands, ftp_second);
  }
  // After the CWD to the remote path, so relative names mean what they say.
  curl_easy_setopt(handle, CURLOPT_URL, UrlFor(remote_path_, true).c_str());
  curl_easy_setopt(handle, CURLOPT_NOBODY, 1L);
  curl_easy_setopt(handle, CURLOPT_POSTQUOTE, commands.get());
  session_->Perform(what);
}

void FtpClient::Upload() {
  const std::string what = "Upload of '" + LocalFile + "' to '" + RemoteFile + "'";
  std::FILE* file = std::fopen(LocalFile.c_str(), "rb");
  if (file == nullptr) throw NetworkError(CURLE_READ_ERROR, SystemError(what, LocalFile));
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> closer(file, &std::fclose);
  UploadSource source{file, TransferMode == FtpTransferMode::Ascii};

  CURL* handle = PrepareHandle();
  curl_easy_setopt(handle, CURLOPT_URL, UrlFor(Resolve(RemoteFile), false).c_str());
  curl_easy_setopt(handle, CURLOPT_UPLOAD, 1L);
  curl_easy_setopt(handle, CURLOPT_READFUNCTION, &UploadSource::Read);
  curl_easy_setopt(handle, CURLOPT_READDATA, &source);
  if (!source.ascii) {
    std::fseek(file, 0, SEEK_END);
    const long size = std::ftell(file);
    std::fseek(file, 0, SEEK_SET);
    if (size >= 0)
      curl_easy_setopt(handle, CURLOPT_INFILESIZE_LARGE, static_cast<curl_off_t>(size));
  }
  session_->Perform(what);
}

void FtpClient::Download() {
  const std::string what = "Download of '" + RemoteFile + "' to '" + LocalFile + "'";
  // Into a file of its own beside the target, renamed over it only once the
  // transfer is whole: a failed download never destroys the file it replaces.
  static std::atomic<unsigned> counter{0};
  const std::string part =
      LocalFile + ".part" + std::to_string(::getpid()) + "-" + std::to_string(counter.fetch_add(1));
  const int fd = ::open(part.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) throw NetworkError(CURLE_WRITE_ERROR, SystemError(what, LocalFile));
  std::FILE* file = ::fdopen(fd, "wb");
  if (file == nullptr) {
    ::close(fd);
    ::unlink(part.c_str());
    throw NetworkError(CURLE_WRITE_ERROR, SystemError(what, LocalFile));
  }
  try {
    CURL* handle = PrepareHandle();
    curl_easy_setopt(handle, CURLOPT_URL, UrlFor(Resolve(RemoteFile), false).c_str());
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &WriteToFile);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, file);
    session_->Perform(what);
  } catch (...) {
    std::fclose(file);
    ::unlink(part.c_str());
    throw;
  }
  const bool written = std::fclose(file) == 0;
  if (!written || std::rename(part.c_str(), LocalFile.c_str()) != 0) {
    const std::string message = SystemError(what, LocalFile);
    ::unlink(part.c_str());
    throw NetworkError(CURLE_WRITE_ERROR, message);
  }
}

}  // namespace rv
