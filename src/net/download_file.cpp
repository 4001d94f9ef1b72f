// DownloadFile: a GET into a local file that only ever appears complete.
// The bytes go to a temporary file beside the target, which replaces the
// target by a rename once the transfer is known to be whole; on any failure
// the temporary file is removed and the previous target stays as it was.
#include <algorithm>
#include <vector>

#include "log/activity_log.h"
#include "net/debug_channel.h"
#include "net/http_client.h"
#include "runtime/environment.h"
#include "runtime/file_system.h"
#include "runtime/temporary_file.h"

namespace corvane {
namespace {

// Copies without progress go in blocks of this size.
constexpr std::size_t kPlainBlock = 4096;
// A caller's chunk size beyond this is read in several passes of the buffer.
constexpr std::size_t kLargestChunkBuffer = std::size_t{1} << 16;

// The program folder + "/download/" + the last element of the stream URL;
// empty when that element names no file.
std::string DefaultTarget(const std::string& stream_url) {
  std::string name = stream_url.substr(stream_url.rfind('/') + 1);
  if (name.empty() || name == "." || name == ".." || name.find('\\') != std::string::npos) return "";
  std::string folder = runtime::ProgramFolder();
  if (folder.empty()) folder = runtime::Fs().CurrentFolder();
  return folder + "/download/" + name;
}

// A new temporary file of our own beside the target ("" when none can be
// made): no name a server chooses can meet it, however long.
std::string TemporaryName(const std::string& target) {
  return runtime::CreateTemporaryBeside(runtime::Fs(), target);
}

// Drops the temporary file and answers the failure result.
int Abandon(const std::string& temporary, const std::string& why) {
  runtime::Fs().DeleteFile(temporary);
  DebugText("DownloadFile---" + why);
  return 0;
}

// The local side failed: the only failure worth the user's attention.
int LocalFailure(const std::string& temporary, const std::string& target) {
  LogLine("Download failed - cannot write <" + target + ">");
  return Abandon(temporary, "cannot write " + temporary);
}

int Commit(const std::string& temporary, const std::string& target) {
  if (!runtime::Fs().Rename(temporary, target)) return Abandon(temporary, "cannot replace " + target);
  return 1;
}

// The GET answer positioned at the file's bytes, or null when there is no
// answer or it is not the file: an error page or a redirect is never stored
// in its place.  A status the user can act on goes to the activity log.
std::unique_ptr<HttpStream> OpenFileBody(const std::string& web_url, const std::string& stream_url) {
  auto stream = OpenGetStream(stream_url);
  if (!stream) {
    DebugText("DownloadFile---no stream for " + stream_url);
    return nullptr;
  }
  const int status = stream->StatusCode();
  if (!IsSuccessStatus(status)) {
    if (status != 0)
      LogLine("Download failed - the server answered " + std::to_string(status) + " for <" + web_url + ">");
    DebugText("DownloadFile---status " + std::to_string(status) + " for " + stream_url);
    return nullptr;
  }
  return stream;
}

int PlainCopy(const std::string& web_url, const std::string& stream_url, const std::string& target) {
  auto stream = OpenFileBody(web_url, stream_url);
  if (!stream) return 0;
  std::string temporary = TemporaryName(target);
  auto out = runtime::Fs().OpenWrite(temporary);
  if (!out) return LocalFailure(temporary, target);
  char block[kPlainBlock];
  long long copied = 0;
  bool written = true;
  const long long announced = stream->HasAnnouncedLength() ? stream->AnnouncedLength() : -1;
  while (!stream->AtEnd()) {
    long long n = stream->Read(block, sizeof block);
    if (n <= 0) break;
    if (!out->Write(block, static_cast<std::size_t>(n))) {
      written = false;
      break;
    }
    copied += n;
    if (announced >= 0 && copied > announced) break;  // cannot come out right
    HttpStream::KeepWindowAlive();
  }
  written = out->Close() && written;
  out.reset();
  stream->Close();
  if (!written) return LocalFailure(temporary, target);
  if (stream->Failed()) return Abandon(temporary, stream->FailureReason());
  if (!stream->HeadersComplete()) return Abandon(temporary, "response ended inside its headers");
  if (stream->HasAnnouncedLength() && copied != stream->AnnouncedLength())
    return Abandon(temporary, "body of " + std::to_string(copied) + " bytes, announced " +
                                  std::to_string(stream->AnnouncedLength()));
  return Commit(temporary, target);
}

int CopyWithProgress(const std::string& web_url, const std::string& stream_url, const std::string& target,
                     const ProgressCallback& progress, int chunk_size) {
  long long total = FileSizeRemote(web_url);
  if (total < 0) return 0;
  std::string temporary = TemporaryName(target);
  auto out = runtime::Fs().OpenWrite(temporary);
  if (!out) return LocalFailure(temporary, target);
  auto stream = OpenFileBody(web_url, stream_url);
  if (!stream) {
    out.reset();
    return Abandon(temporary, "no file body");
  }
  const long long chunk = std::max(chunk_size, 1);
  std::vector<char> buffer(std::min<std::size_t>(static_cast<std::size_t>(chunk), kLargestChunkBuffer));
  long long received = 0;
  long long arrived = 0;
  bool written = true;
  while (!stream->AtEnd()) {
    long long n = stream->Read(buffer.data(), buffer.size());
    if (n <= 0) break;
    if (!out->Write(buffer.data(), static_cast<std::size_t>(n))) {
      written = false;
      break;
    }
    arrived += n;
    if (arrived > total) break;  // more than the file has: it cannot come out right
    received += chunk;
    // An empty announced size with a body: the fraction has no meaning
    // beyond "past the end".
    progress(total > 0 ? static_cast<float>(static_cast<double>(received) / static_cast<double>(total)) : 1.0f);
    HttpStream::KeepWindowAlive();
  }
  stream->Close();
  written = out->Close() && written;
  out.reset();
  // A failed write can leave a file of the right size with wrong bytes, so
  // it fails whatever the size says.
  if (!written) return LocalFailure(temporary, target);
  if (stream->Failed()) return Abandon(temporary, stream->FailureReason());
  // An answer cut off inside its headers has no body at all; an empty file
  // must not pass for a file announced empty.
  if (!stream->HeadersComplete()) return Abandon(temporary, "response ended inside its headers");
  long long size = runtime::Fs().FileSize(temporary);
  if (size != total)
    return Abandon(temporary, "size " + std::to_string(size) + " instead of " + std::to_string(total));
  return Commit(temporary, target);
}

}  // namespace

int DownloadFile(const std::string& web_url, const std::string& local_path, const ProgressCallback& progress,
                 int chunk_size) {
  if (web_url.empty()) return 0;
  if (FileSizeRemote(web_url) < 0) return -1;
  std::string stream_url = StreamUrl(web_url);
  std::string target = local_path.empty() ? DefaultTarget(stream_url) : local_path;
  if (target.empty()) {
    DebugText("DownloadFile---no file name in " + stream_url);
    return 0;
  }
  return progress ? CopyWithProgress(web_url, stream_url, target, progress, chunk_size)
                  : PlainCopy(web_url, stream_url, target);
}

}  // namespace corvane
