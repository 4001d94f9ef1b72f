#include "runtime/registry_store.h"

#include <memory>

#include "runtime/environment.h"
#include "runtime/file_system.h"
#include "runtime/text.h"

namespace corvane::runtime {

struct RegistryStore::Node {
  std::string name;
  std::vector<std::pair<std::string, RegValue>> values;
  std::vector<std::unique_ptr<Node>> keys;

  Node* Child(const std::string& wanted) {
    for (auto& k : keys) {
      if (EqualsIgnoreCase(k->name, wanted)) return k.get();
    }
    return nullptr;
  }
  std::pair<std::string, RegValue>* Value(const std::string& wanted) {
    for (auto& v : values) {
      if (EqualsIgnoreCase(v.first, wanted)) return &v;
    }
    return nullptr;
  }
};

struct RegistryStore::Snapshot {
  std::string path;
  Node roots[4];
  bool damaged = false;
  std::string damaged_bytes;
};

namespace {

using Node = RegistryStore::Node;

constexpr std::size_t kMaxKeyName = 255;  // as Windows, so a 255-byte buffer always fits
// Windows nests keys at most 512 levels deep.  The bound also keeps the
// recursive walks over the tree (writing it, freeing it) off the end of the
// stack when a damaged file names a key thousands of levels down.
constexpr std::size_t kMaxKeyDepth = 512;
constexpr std::size_t kMaxValueName = 16383;
constexpr const char* kHeader = "corvane-registry 1";
constexpr const char* kTrailer = "end";

int RootIndex(RegHandle root) { return static_cast<int>(root - kHkeyClassesRoot); }
RegHandle RootOfIndex(int index) { return kHkeyClassesRoot + static_cast<RegHandle>(index); }

bool NeedsEscape(unsigned char c) { return c < 32 || c == 127 || c == '%' || c == '=' || c == '[' || c == ']'; }

std::string Escape(const std::string& bytes) {
  static const char* hex = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : bytes) {
    if (NeedsEscape(c)) {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool Unescape(const std::string& text, std::string* out) {
  out->clear();
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      *out += text[i];
      continue;
    }
    int hi = i + 1 < text.size() ? HexDigit(text[i + 1]) : -1;
    int lo = i + 2 < text.size() ? HexDigit(text[i + 2]) : -1;
    if (hi < 0 || lo < 0) return false;
    *out += static_cast<char>(hi * 16 + lo);
    i += 2;
  }
  return true;
}

// Sub-path segments; false for an empty segment or one longer than Windows allows.
bool SplitSubPath(const std::string& sub_path, std::vector<std::string>* segments) {
  if (sub_path.empty()) return true;
  for (std::string& s : Split(sub_path, "\\")) {
    if (s.empty() || s.size() > kMaxKeyName) return false;
    segments->push_back(std::move(s));
  }
  return true;
}

Node* Walk(Node& root, const std::vector<std::string>& segments, bool create, bool* created = nullptr) {
  Node* node = &root;
  for (const std::string& s : segments) {
    Node* child = node->Child(s);
    if (!child) {
      if (!create) return nullptr;
      node->keys.push_back(std::make_unique<Node>());
      child = node->keys.back().get();
      child->name = s;
      if (created) *created = true;
    }
    node = child;
  }
  return node;
}

bool Parse(const std::string& bytes, RegistryStore::Snapshot* snapshot, std::string* error) {
  if (bytes.empty() || bytes.back() != '\n') {
    *error = "it is cut short";
    return false;
  }
  std::vector<std::string> lines = Split(std::string_view(bytes).substr(0, bytes.size() - 1), "\n");
  for (std::string& l : lines) {
    if (!l.empty() && l.back() == '\r') l.pop_back();
  }
  if (lines.front() != kHeader) {
    *error = "line 1 is not \"" + std::string(kHeader) + "\"";
    return false;
  }
  if (lines.size() < 2 || lines.back() != kTrailer) {
    *error = "it is cut short";
    return false;
  }
  Node* current = nullptr;
  for (std::size_t i = 1; i + 1 < lines.size(); ++i) {
    const std::string& line = lines[i];
    std::string where = "line " + std::to_string(i + 1);
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
      std::string path;
      if (!Unescape(line.substr(1, line.size() - 2), &path)) {
        *error = where + ": bad escape";
        return false;
      }
      std::vector<std::string> segments = Split(path, "\\");
      RegHandle root = RootFromName(segments.front());
      if (root == 0 || RootName(root) != segments.front()) {
        *error = where + ": unknown root";
        return false;
      }
      segments.erase(segments.begin());
      if (segments.size() > kMaxKeyDepth) {
        *error = where + ": key nested too deep";
        return false;
      }
      for (const std::string& s : segments) {
        if (s.empty() || s.size() > kMaxKeyName) {
          *error = where + ": bad key name";
          return false;
        }
      }
      current = Walk(snapshot->roots[RootIndex(root)], segments, true);
      continue;
    }
    std::size_t eq = line.find('=');
    std::size_t colon = eq == std::string::npos ? std::string::npos : line.find(':', eq);
    std::uint32_t type = 0;
    std::string name, data;
    if (!current || colon == std::string::npos || !ParseRegType(line.substr(eq + 1, colon - eq - 1), &type) ||
        !Unescape(line.substr(0, eq), &name) || !Unescape(line.substr(colon + 1), &data)) {
      *error = where + ": not a key or value line";
      return false;
    }
    if (auto* existing = current->Value(name)) {
      existing->second = RegValue{type, data};
    } else {
      current->values.emplace_back(name, RegValue{type, data});
    }
  }
  return true;
}

void SerializeNode(const Node& node, const std::string& path, bool is_root, std::string* out) {
  if (!is_root || !node.values.empty()) {
    *out += "[" + Escape(path) + "]\n";
    for (const auto& [name, value] : node.values) {
      *out += Escape(name) + "=" + RegTypeName(value.type) + ":" + Escape(value.data) + "\n";
    }
  }
  for (const auto& k : node.keys) SerializeNode(*k, path + "\\" + k->name, false, out);
}

std::string Serialize(const RegistryStore::Snapshot& snapshot) {
  std::string out = std::string(kHeader) + "\n";
  for (int i = 0; i < 4; ++i) SerializeNode(snapshot.roots[i], RootName(RootOfIndex(i)), true, &out);
  out += std::string(kTrailer) + "\n";
  return out;
}

std::string FolderOf(const std::string& path) {
  std::size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos || slash == 0 ? "" : path.substr(0, slash);
}

}  // namespace

std::string DefaultRegistryPath() {
  std::string chosen = GetEnv("CORVANE_REGISTRY");
  if (!chosen.empty()) return chosen;
  std::string config = GetEnv("XDG_CONFIG_HOME");
  if (config.empty()) {
    std::string home = GetEnv("HOME");
    if (home.empty()) return "registry.txt";
    config = home + "/.config";
  }
  return config + "/corvane/registry.txt";
}

RegistryStore::RegistryStore(std::function<std::string()> path) : path_(std::move(path)) {}

void RegistryStore::SetProblemSink(std::function<void(const std::string&)> sink) { sink_ = std::move(sink); }

void RegistryStore::Report(const std::string& key, const std::string& message) {
  if (!key.empty()) {
    if (key == last_report_) return;
    last_report_ = key;
  }
  if (sink_) sink_(message);
}

bool RegistryStore::Load(Snapshot* snapshot) {
  FileSystem& fs = Fs();
  snapshot->path = path_();
  const std::string& path = snapshot->path;
  FileKind kind = fs.Kind(path);
  if (kind == kNone) return true;
  std::optional<std::string> bytes;
  if (kind == kFile) bytes = fs.ReadFile(path);
  if (!bytes) {
    Report("unreadable:" + path, "Registry file <" + path + "> cannot be read - registry unavailable");
    return false;
  }
  std::string error;
  if (!Parse(*bytes, snapshot, &error)) {
    for (Node& root : snapshot->roots) root = Node();
    snapshot->damaged = true;
    snapshot->damaged_bytes = *bytes;
    Report("damaged:" + path + ":" + std::to_string(std::hash<std::string>()(*bytes)),
           "Registry file <" + path + "> is damaged (" + error +
               ") - read as empty; it is kept aside at the next change");
  }
  return true;
}

bool RegistryStore::Save(Snapshot& snapshot) {
  FileSystem& fs = Fs();
  const std::string& path = snapshot.path;
  if (snapshot.damaged) {
    std::string aside = path + ".damaged";
    for (int n = 2; fs.Kind(aside) != kNone && n < 1000; ++n) aside = path + ".damaged." + std::to_string(n);
    if (fs.Kind(aside) != kNone || !WriteFileAtomic(aside, snapshot.damaged_bytes)) {
      Report("", "Registry file <" + path + "> is damaged and cannot be kept aside - change refused");
      return false;
    }
    Report("", "Damaged registry file kept as <" + aside + ">");
    snapshot.damaged = false;
  }
  std::string folder = FolderOf(path);
  if (!folder.empty() && fs.Kind(folder) != kFolder) fs.CreateFolderWithParents(folder);
  if (!WriteFileAtomic(path, Serialize(snapshot))) {
    Report("", "Registry file <" + path + "> cannot be written - change lost");
    return false;
  }
  return true;
}

bool RegistryStore::Locate(RegHandle parent, const std::string& sub_path, OpenKeyInfo* where) const {
  if (IsPredefinedKey(parent)) {
    *where = {parent, {}};
  } else {
    auto it = open_.find(parent);
    if (it == open_.end()) return false;
    *where = it->second;
  }
  return SplitSubPath(sub_path, &where->segments) && where->segments.size() <= kMaxKeyDepth;
}

RegHandle RegistryStore::NewHandle(OpenKeyInfo where) {
  while (next_handle_ == 0 || IsPredefinedKey(next_handle_) || open_.count(next_handle_)) ++next_handle_;
  RegHandle handle = next_handle_++;
  open_[handle] = std::move(where);
  return handle;
}

namespace {
// The node a located key stands for in a snapshot, or null.
Node* FindNode(RegistryStore::Snapshot& s, RegHandle root, const std::vector<std::string>& segments) {
  return Walk(s.roots[RootIndex(root)], segments, false);
}
}  // namespace

bool RegistryStore::OpenKey(RegHandle parent, const std::string& sub_path, RegHandle* key) {
  OpenKeyInfo where;
  Snapshot s;
  if (!Locate(parent, sub_path, &where) || !Load(&s)) return false;
  if (!FindNode(s, where.root, where.segments)) return false;
  *key = NewHandle(std::move(where));
  return true;
}

bool RegistryStore::CreateKey(RegHandle parent, const std::string& sub_path, RegHandle* key) {
  OpenKeyInfo where;
  Snapshot s;
  if (!Locate(parent, sub_path, &where) || !Load(&s)) return false;
  if (!IsPredefinedKey(parent) && !FindNode(s, where.root, open_.at(parent).segments)) {
    return false;  // the parent key itself was deleted meanwhile
  }
  bool created = false;
  Walk(s.roots[RootIndex(where.root)], where.segments, true, &created);
  if (created && !Save(s)) return false;
  *key = NewHandle(std::move(where));
  return true;
}

bool RegistryStore::QueryValue(RegHandle key, const std::string& name, RegValue* value) {
  OpenKeyInfo where;
  Snapshot s;
  if (!Locate(key, "", &where) || !Load(&s)) return false;
  Node* node = FindNode(s, where.root, where.segments);
  auto* found = node ? node->Value(name) : nullptr;
  if (!found) return false;
  *value = found->second;
  return true;
}

bool RegistryStore::SetValue(RegHandle key, const std::string& name, const RegValue& value) {
  if (RegTypeName(value.type).empty() || name.size() > kMaxValueName) return false;
  OpenKeyInfo where;
  Snapshot s;
  if (!Locate(key, "", &where) || !Load(&s)) return false;
  Node* node = FindNode(s, where.root, where.segments);
  if (!node) return false;
  if (auto* existing = node->Value(name)) {
    existing->second = value;
  } else {
    node->values.emplace_back(name, value);
  }
  return Save(s);
}

bool RegistryStore::DeleteValue(RegHandle key, const std::string& name) {
  OpenKeyInfo where;
  Snapshot s;
  if (!Locate(key, "", &where) || !Load(&s)) return false;
  Node* node = FindNode(s, where.root, where.segments);
  if (!node) return false;
  for (auto it = node->values.begin(); it != node->values.end(); ++it) {
    if (EqualsIgnoreCase(it->first, name)) {
      node->values.erase(it);
      return Save(s);
    }
  }
  return false;
}

bool RegistryStore::DeleteKey(RegHandle parent, const std::string& sub_path) {
  OpenKeyInfo where;
  Snapshot s;
  if (sub_path.empty() || !Locate(parent, sub_path, &where) || where.segments.empty() || !Load(&s)) return false;
  std::vector<std::string> up(where.segments.begin(), where.segments.end() - 1);
  Node* holder = FindNode(s, where.root, up);
  if (!holder) return false;
  for (auto it = holder->keys.begin(); it != holder->keys.end(); ++it) {
    if (!EqualsIgnoreCase((*it)->name, where.segments.back())) continue;
    if (!(*it)->keys.empty()) return false;
    holder->keys.erase(it);
    return Save(s);
  }
  return false;
}

bool RegistryStore::EnumKey(RegHandle key, std::uint32_t index, std::string* name) {
  OpenKeyInfo where;
  Snapshot s;
  if (!Locate(key, "", &where) || !Load(&s)) return false;
  Node* node = FindNode(s, where.root, where.segments);
  if (!node || index >= node->keys.size()) return false;
  *name = node->keys[index]->name;
  return true;
}

bool RegistryStore::EnumValue(RegHandle key, std::uint32_t index, std::string* name, RegValue* value) {
  OpenKeyInfo where;
  Snapshot s;
  if (!Locate(key, "", &where) || !Load(&s)) return false;
  Node* node = FindNode(s, where.root, where.segments);
  if (!node || index >= node->values.size()) return false;
  *name = node->values[index].first;
  *value = node->values[index].second;
  return true;
}

bool RegistryStore::CloseKey(RegHandle key) {
  if (IsPredefinedKey(key)) return true;
  return open_.erase(key) > 0;
}

}  // namespace corvane::runtime
