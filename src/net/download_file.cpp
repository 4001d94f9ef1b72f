// DownloadFile: a GET into a local file that only ever appears complete.
// The bytes go to a temporary file beside the target (or, for a resumable
// download, to the target's ".part"), which replaces the target by a rename
// once the transfer is known to be whole; on any failure the temporary file
// is removed (a part is kept when the network failed) and the previous
// target stays as it was.
#include <algorithm>
#include <vector>

#include "log/activity_log.h"
#include "net/debug_channel.h"
#include "net/http_client.h"
#include "net/partial_download.h"
#include "runtime/environment.h"
#include "runtime/file_system.h"
#include "runtime/temporary_file.h"
#include "trust/sha256.h"

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

// Where a transfer's bytes go: a temporary file of our own, or the part of a
// resumable download (which has a note beside it).
struct Sink {
  std::string path;
  std::string target;
  bool partial = false;
};

Sink TemporarySink(const std::string& target) { return {TemporaryName(target), target, false}; }
Sink PartSink(const std::string& target) { return {PartPath(target), target, true}; }

// Drops what the transfer wrote and answers the failure result.
int Abandon(const Sink& sink, const std::string& why) {
  if (sink.partial) DiscardPartial(sink.target);
  else runtime::Fs().DeleteFile(sink.path);
  DebugText("DownloadFile---" + why);
  return 0;
}

// The local side failed: the only failure worth the user's attention.
int LocalFailure(const Sink& sink) {
  LogLine("Download failed - cannot write <" + sink.target + ">");
  return Abandon(sink, "cannot write " + sink.path);
}

// Keeps the bytes of a cut-off transfer for the next try.
int KeepPart(const Sink& sink, long long size, long long total, const std::string& why) {
  LogLine("Download interrupted at " + std::to_string(size) + " of " + std::to_string(total) + " bytes - <" +
          sink.path + "> kept to resume");
  DebugText("DownloadFile---" + why);
  return 0;
}

// Hashes the body as it is written, when the caller asked for a check.
class BodyHash {
 public:
  explicit BodyHash(BodyCheck* check) : check_(check && !check->expected_sha256.empty() ? check : nullptr) {}
  bool Active() const { return check_ != nullptr; }
  void Add(const char* data, long long size) {
    if (check_) hash_.Update(data, static_cast<std::size_t>(size));
  }
  // True when nothing was asked or the whole body hashed to what was asked.
  bool Matches(const std::string& web_url) {
    if (!check_) return true;
    check_->received_sha256 = hash_.HexDigest();
    if (check_->received_sha256 == check_->expected_sha256) return true;
    check_->mismatch = true;
    LogLine("Checksum mismatch <" + web_url + "> expected " + check_->expected_sha256 + " received " +
            check_->received_sha256);
    return false;
  }

 private:
  BodyCheck* check_;
  trust::Sha256 hash_;
};

int Commit(const Sink& sink, BodyHash& hash, const std::string& web_url) {
  if (!hash.Matches(web_url)) return Abandon(sink, "checksum mismatch");
  if (!runtime::Fs().Rename(sink.path, sink.target)) return Abandon(sink, "cannot replace " + sink.target);
  if (sink.partial) runtime::Fs().DeleteFile(NotePath(sink.target));
  return 1;
}

// The GET answer positioned at the file's bytes, or null when there is no
// answer or it is not the file: an error page or a redirect is never stored
// in its place.  A status the user can act on goes to the activity log.
bool UsableAnswer(const std::unique_ptr<HttpStream>& stream, const std::string& web_url,
                  const std::string& stream_url) {
  if (!stream) {
    DebugText("DownloadFile---no stream for " + stream_url);
    return false;
  }
  const int status = stream->StatusCode();
  if (IsSuccessStatus(status)) return true;
  if (status != 0)
    LogLine("Download failed - the server answered " + std::to_string(status) + " for <" + web_url + ">");
  DebugText("DownloadFile---status " + std::to_string(status) + " for " + stream_url);
  return false;
}

std::unique_ptr<HttpStream> OpenFileBody(const std::string& web_url, const std::string& stream_url) {
  auto stream = OpenGetStream(stream_url);
  return UsableAnswer(stream, web_url, stream_url) ? std::move(stream) : nullptr;
}

// The kept part of target that a transfer of total bytes can go on from: its
// size, with its note in *note; 0 after discarding what cannot be resumed.
long long UsablePart(const std::string& target, long long total, PartialNote* note) {
  runtime::FileSystem& fs = runtime::Fs();
  const std::string part = PartPath(target);
  const std::optional<PartialNote> read = ReadPartialNote(target);
  if (fs.Kind(part) == runtime::kNone && !fs.IsLink(part)) {
    if (read) DiscardPartial(target);
    return 0;
  }
  const long long size = fs.FileSize(part);
  std::string why;
  if (fs.IsLink(part) || fs.Kind(part) != runtime::kFile) why = "it is not a plain file";
  else if (!read) why = "its note is missing or damaged";
  else if (read->size != total)
    why = "the file's size changed from " + std::to_string(read->size) + " to " + std::to_string(total);
  else if (size <= 0 || size >= total)
    why = "it holds " + std::to_string(size) + " of " + std::to_string(total) + " bytes";
  if (!why.empty()) {
    LogLine("Partial download discarded <" + part + ">: " + why);
    DiscardPartial(target);
    return 0;
  }
  *note = *read;
  return size;
}

// Why a 206 answer is not the rest of the kept part's file; empty when it is.
std::string RangeProblem(HttpStream& stream, long long kept, long long total, const PartialNote& note) {
  const std::string value = stream.HeaderField("Content-Range");
  const auto range = ParseContentRange(value);
  if (!range || range->first != kept || range->last != total - 1 || range->total != total)
    return "Content-Range <" + value + "> is not bytes " + std::to_string(kept) + "-" + std::to_string(total - 1) +
           "/" + std::to_string(total);
  if (stream.HasAnnouncedLength() && stream.AnnouncedLength() != total - kept)
    return "Content-Length " + std::to_string(stream.AnnouncedLength()) + " does not match the range";
  if (!note.etag.empty() && stream.HeaderField("ETag") != note.etag) return "the ETag changed";
  if (!note.last_modified.empty() && stream.HeaderField("Last-Modified") != note.last_modified)
    return "Last-Modified changed";
  return "";
}

// Asks for the rest of the kept part.  The rest, or the whole file when the
// server sends it instead (*kept becomes 0); null when there is no usable
// answer (the part stays for a later try unless the answer proved it stale:
// then it goes, *kept becomes 0 and a plain GET follows).
std::unique_ptr<HttpStream> OpenRest(const std::string& web_url, const std::string& stream_url,
                                     const PartialNote& note, long long total, const std::string& target,
                                     long long* kept) {
  auto stream = OpenRangeStream(stream_url, *kept);
  const int status = stream ? stream->StatusCode() : 0;
  std::string why;
  if (status == 206) {
    why = RangeProblem(*stream, *kept, total, note);
    if (why.empty()) {
      LogLine("Download resumed at " + std::to_string(*kept) + " of " + std::to_string(total) + " bytes <" +
              web_url + ">");
      return stream;
    }
  } else if (status == 416) {
    why = "the server cannot send the rest (416)";
  } else if (!UsableAnswer(stream, web_url, stream_url)) {
    return nullptr;
  } else {
    LogLine("Download restarted from zero - <" + web_url + "> sends the whole file");
    DiscardPartial(target);
    *kept = 0;
    return stream;
  }
  LogLine("Resume refused - " + why + " <" + web_url + ">: starting again from zero");
  stream.reset();
  DiscardPartial(target);
  *kept = 0;
  return OpenFileBody(web_url, stream_url);
}

// Begins a new part for target: the old part and note go first, and the new
// note is written before the first byte.  Null when either cannot be made
// (a name too long, say): the transfer then keeps nothing.
std::unique_ptr<runtime::WriteStream> StartPart(const std::string& web_url, const std::string& target,
                                                long long total, HttpStream& stream) {
  runtime::FileSystem& fs = runtime::Fs();
  DiscardPartial(target);
  // Created afresh: nothing that stood there (a link) is written through.
  std::unique_ptr<runtime::WriteStream> out;
  if (fs.CreateExclusive(PartPath(target))) out = fs.OpenWrite(PartPath(target));
  const PartialNote note{web_url, total, stream.HeaderField("ETag"), stream.HeaderField("Last-Modified")};
  if (out && WritePartialNote(target, note)) return out;
  out.reset();
  DiscardPartial(target);
  return nullptr;
}

// Feeds the kept bytes to the hash, so that it covers the whole file.
bool HashKept(const std::string& part, long long kept, BodyHash& hash) {
  if (!hash.Active()) return true;
  auto in = runtime::Fs().OpenRead(part);
  if (!in) return false;
  std::vector<char> block(kLargestChunkBuffer);
  long long left = kept;
  while (left > 0) {
    long long n = in->Read(block.data(), static_cast<std::size_t>(std::min<long long>(left, block.size())));
    if (n <= 0) return false;
    hash.Add(block.data(), n);
    left -= n;
  }
  return true;
}

int PlainCopy(const std::string& web_url, const std::string& stream_url, const std::string& target,
              BodyHash& hash) {
  auto stream = OpenFileBody(web_url, stream_url);
  if (!stream) return 0;
  const Sink sink = TemporarySink(target);
  auto out = runtime::Fs().OpenWrite(sink.path);
  if (!out) return LocalFailure(sink);
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
    hash.Add(block, n);
    copied += n;
    if (announced >= 0 && copied > announced) break;  // cannot come out right
    HttpStream::KeepWindowAlive();
  }
  written = out->Close() && written;
  out.reset();
  stream->Close();
  if (!written) return LocalFailure(sink);
  if (stream->Failed()) return Abandon(sink, stream->FailureReason());
  if (!stream->HeadersComplete()) return Abandon(sink, "response ended inside its headers");
  if (stream->HasAnnouncedLength() && copied != stream->AnnouncedLength())
    return Abandon(sink, "body of " + std::to_string(copied) + " bytes, announced " +
                             std::to_string(stream->AnnouncedLength()));
  return Commit(sink, hash, web_url);
}

std::string NameOf(const std::string& path) {
  const std::size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

int CopyWithProgress(const std::string& web_url, const std::string& stream_url, const std::string& target,
                     const ProgressCallback& progress, int chunk_size, BodyHash& hash, Resume* resume) {
  long long total = FileSizeRemote(web_url);
  if (total < 0) return 0;
  const bool keep = resume && !IsPartialName(NameOf(target));
  PartialNote note;
  long long kept = keep ? UsablePart(target, total, &note) : 0;
  auto stream = kept > 0 ? OpenRest(web_url, stream_url, note, total, target, &kept)
                         : OpenFileBody(web_url, stream_url);
  if (!stream) return 0;
  Sink sink;
  std::unique_ptr<runtime::WriteStream> out;
  if (kept > 0) {
    sink = PartSink(target);
    if (HashKept(sink.path, kept, hash)) out = runtime::Fs().OpenAppend(sink.path);
  } else if (keep && (out = StartPart(web_url, target, total, *stream))) {
    sink = PartSink(target);
  } else {
    sink = TemporarySink(target);
    out = runtime::Fs().OpenWrite(sink.path);
  }
  if (!out) return LocalFailure(sink);
  if (resume) {
    resume->kept = kept;
    if (resume->started) resume->started(kept, total);
  }
  // Should the progress callback throw (the command line's Ctrl-C), the
  // stream's destructor closes the part with every byte written so far, and
  // its note stays: the next try resumes.
  const long long chunk = std::max(chunk_size, 1);
  std::vector<char> buffer(std::min<std::size_t>(static_cast<std::size_t>(chunk), kLargestChunkBuffer));
  long long received = kept;
  long long arrived = kept;
  bool written = true;
  while (!stream->AtEnd()) {
    long long n = stream->Read(buffer.data(), buffer.size());
    if (n <= 0) break;
    if (!out->Write(buffer.data(), static_cast<std::size_t>(n))) {
      written = false;
      break;
    }
    hash.Add(buffer.data(), n);
    arrived += n;
    if (arrived > total) break;  // more than the file has: it cannot come out right
    received += chunk;
    // An empty announced size with a body: the fraction has no meaning
    // beyond "past the end".
    // The window gets its turn from the stream at every receive; reading the
    // clock here, on every chunk, cost more than the chunk itself.
    progress(total > 0 ? static_cast<float>(static_cast<double>(received) / static_cast<double>(total)) : 1.0f);
  }
  stream->Close();
  written = out->Close() && written;
  out.reset();
  // A failed write can leave a file of the right size with wrong bytes, so
  // it fails whatever the size says, and a part is not kept.
  if (!written) return LocalFailure(sink);
  // An answer cut off inside its headers has no body at all; an empty file
  // must not pass for a file announced empty.
  const std::string failure = stream->Failed()            ? stream->FailureReason()
                              : !stream->HeadersComplete() ? "response ended inside its headers"
                                                           : "";
  const long long size = runtime::Fs().FileSize(sink.path);
  if (failure.empty() && size == total) return Commit(sink, hash, web_url);
  const std::string why =
      !failure.empty() ? failure : "size " + std::to_string(size) + " instead of " + std::to_string(total);
  if (sink.partial && size > 0 && size < total) return KeepPart(sink, size, total, why);
  return Abandon(sink, why);
}

}  // namespace

int DownloadFile(const std::string& web_url, const std::string& local_path, const ProgressCallback& progress,
                 int chunk_size) {
  return DownloadFile(web_url, local_path, progress, chunk_size, nullptr);
}

int DownloadFile(const std::string& web_url, const std::string& local_path, const ProgressCallback& progress,
                 int chunk_size, BodyCheck* check) {
  return DownloadFile(web_url, local_path, progress, chunk_size, check, nullptr);
}

int DownloadFile(const std::string& web_url, const std::string& local_path, const ProgressCallback& progress,
                 int chunk_size, BodyCheck* check, Resume* resume) {
  if (web_url.empty()) return 0;
  if (FileSizeRemote(web_url) < 0) return -1;
  std::string stream_url = StreamUrl(web_url);
  std::string target = local_path.empty() ? DefaultTarget(stream_url) : local_path;
  if (target.empty()) {
    DebugText("DownloadFile---no file name in " + stream_url);
    return 0;
  }
  BodyHash hash(check);
  return progress ? CopyWithProgress(web_url, stream_url, target, progress, chunk_size, hash, resume)
                  : PlainCopy(web_url, stream_url, target, hash);
}

}  // namespace corvane
