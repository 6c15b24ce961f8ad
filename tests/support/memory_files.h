#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "system/interrupts.h"
#include "system/platform.h"

namespace morvit::testing {

// A file system held in memory, put in the place of the system's (platform::ReplacedFiles)
// by tests that need the system to refuse, fail, or show owners, permission bits and links,
// the same on every platform and without privileges. It answers as POSIX does: permission
// bits for the owner, a group the user is in, or the others; root may do anything. Paths are
// absolute with '/' (a backslash is taken as '/'); the working directory is /w.
class MemoryFiles : public platform::FileSystem {
 public:
  enum Error { denied = 1, no_space, name_taken, not_found, not_permitted };

  struct Node {
    platform::PathKind kind = platform::PathKind::regular;
    std::string content;  // a device keeps what was written to it
    std::uint32_t mode = 0644;
    std::int64_t owner = 1000;
    std::int64_t group = 1000;
    std::string link{};      // where a link leads
    std::int64_t size = -1;  // a size told without content; -1: the content's
    std::uint64_t index = 0;
  };

  std::map<std::string, Node> nodes;
  std::int64_t user = 1000;
  std::set<std::int64_t> groups{1000};  // the first is the user's own
  // Faults: writes into this folder find the disk full; renames are refused once this many
  // have been made (-1: never); every new name in this folder is taken already.
  std::string full_folder;
  int renames_left = -1;
  std::string taken_folder;
  // What was done to names, in order: "create PATH", "rename FROM -> TO", "remove PATH",
  // each with " (held)" when interruptions were held back.
  std::vector<std::string> log;

  MemoryFiles() {
    folder("/", 0755, 0);
    folder("/w", 0755, 1000);
  }

  void folder(const std::string& path, std::uint32_t mode, std::int64_t owner) {
    add(path, {platform::PathKind::directory, {}, mode, owner, owner});
  }
  void file(const std::string& path, const std::string& content, std::uint32_t mode = 0644, std::int64_t owner = 1000,
            std::int64_t group = 1000) {
    add(path, {platform::PathKind::regular, content, mode, owner, group});
  }
  void symlink(const std::string& path, const std::string& target, std::int64_t owner) {
    Node node{platform::PathKind::link, {}, 0777, owner, owner};
    node.link = target;
    add(path, node);
  }
  void device(const std::string& path) { add(path, {platform::PathKind::other, {}, 0666, 0, 0}); }

  bool exists(const std::string& path) const { return nodes.count(key(path)) != 0; }
  const Node& at(const std::string& path) const { return nodes.at(key(path)); }
  // The names in a folder, for telling that no temporary file was left.
  std::vector<std::string> names_in(const std::string& folder_path) const {
    std::vector<std::string> names;
    const std::string prefix = key(folder_path) + "/";
    for (const auto& [path, node] : nodes) {
      if (path.starts_with(prefix) && path.find('/', prefix.size()) == std::string::npos) {
        names.push_back(path.substr(prefix.size()));
      }
    }
    return names;
  }

  // The file system's answers.
  std::string current_directory() override { return "/w"; }
  std::int64_t runner() override { return user; }
  platform::Handle standard_input() override { return platform::no_handle; }
  platform::Handle standard_output() override { return platform::no_handle; }

  platform::FileStatus status(const std::string& path, bool follow_links) override {
    const std::string found = follow_links ? followed(key(path)) : key(path);
    const auto node = nodes.find(found);
    return node == nodes.end() ? platform::FileStatus{} : status_of(node->second);
  }
  platform::FileStatus status(platform::Handle file) override { return status_of(nodes.at(open_.at(file).path)); }
  bool link_target(const std::string& path, std::string& target, int& error) override {
    const auto node = nodes.find(key(path));
    if (node == nodes.end() || node->second.kind != platform::PathKind::link) return fail(not_found, error);
    target = node->second.link;
    return true;
  }

  bool may_write_in_place(const std::string& path, int& error) override {
    const platform::Handle file = open_existing_for_writing(path, error);
    if (file == platform::no_handle) return false;
    close(file);
    return true;
  }
  platform::Handle open_existing_for_writing(const std::string& path, int& error) override {
    const std::string found = followed(key(path));
    const auto node = nodes.find(found);
    if (node == nodes.end()) return refuse(not_found, error);
    if (!may(node->second, 2)) return refuse(denied, error);
    return open(found);
  }
  platform::Handle open_for_reading(const std::string& path, int& error) override {
    const std::string found = followed(key(path));
    if (nodes.count(found) == 0) return refuse(not_found, error);
    return open(found);
  }
  platform::Handle create_new_file(const std::string& path, int& error) override {
    const std::string name = key(path);
    const auto folder_node = nodes.find(parent(name));
    if (folder_node == nodes.end() || folder_node->second.kind != platform::PathKind::directory) {
      return refuse(not_found, error);
    }
    if (!may(folder_node->second, 2)) return refuse(denied, error);
    const bool taken = nodes.count(name) != 0 || (!taken_folder.empty() && parent(name) == key(taken_folder));
    if (taken) return refuse(name_taken, error);
    file(name, {}, 0644, user, *groups.begin());
    record("create " + name);
    return open(name);
  }
  void close(platform::Handle file) noexcept override { open_.erase(file); }

  long read(platform::Handle file, char* dest, std::size_t size, int& /*error*/) override {
    OpenFile& opened = open_.at(file);
    const std::string& content = nodes.at(opened.path).content;
    const std::size_t n = std::min(size, content.size() - std::min(content.size(), opened.position));
    std::memcpy(dest, content.data() + opened.position, n);
    opened.position += n;
    return static_cast<long>(n);
  }
  platform::WriteResult write(platform::Handle file, const char* data, std::size_t size) noexcept override {
    const std::string& path = open_.at(file).path;
    if (!full_folder.empty() && parent(path) == key(full_folder)) {
      return {0, platform::WriteResult::Stop::failed, no_space};
    }
    nodes.at(path).content.append(data, size);
    return {size, platform::WriteResult::Stop::none, 0};
  }
  bool flush_to_disk(platform::Handle /*file*/, int& /*error*/) override { return true; }

  bool set_owner(platform::Handle file, std::int64_t owner, std::int64_t group) override {
    Node& node = nodes.at(open_.at(file).path);
    const bool owner_ok = owner < 0 || owner == node.owner || user == 0;
    const bool group_ok = group < 0 || user == 0 || (node.owner == user && groups.count(group) != 0);
    if (!owner_ok || !group_ok) return false;
    if (owner >= 0) node.owner = owner;
    if (group >= 0) node.group = group;
    return true;
  }
  bool set_mode(platform::Handle file, std::uint32_t mode) override {
    Node& node = nodes.at(open_.at(file).path);
    if (user != 0 && node.owner != user) return false;
    node.mode = mode;
    return true;
  }

  bool rename_replacing(const std::string& from, const std::string& to, int& error) override {
    record("rename " + key(from) + " -> " + key(to));
    const Node& folder_node = nodes.at(parent(key(to)));
    if (renames_left == 0) return fail(not_permitted, error);
    if (renames_left > 0) --renames_left;
    if (!may(folder_node, 2)) return fail(denied, error);
    const auto old = nodes.find(key(to));
    const bool sticky = (folder_node.mode & platform::sticky_bit) != 0;
    if (sticky && old != nodes.end() && user != 0 && old->second.owner != user && folder_node.owner != user) {
      return fail(not_permitted, error);
    }
    nodes[key(to)] = nodes.at(key(from));
    nodes.erase(key(from));
    return true;
  }
  void remove_file(const char* path) noexcept override {
    record(std::string("remove ") + key(path));
    nodes.erase(key(path));
  }

  std::string error_text(int error) override {
    switch (error) {
      case denied: return "Permission denied";
      case no_space: return "No space left on device";
      case name_taken: return "File exists";
      case not_found: return "No such file or directory";
      case not_permitted: return "Operation not permitted";
    }
    return "error " + std::to_string(error);
  }
  bool is_name_taken(int error) override { return error == name_taken; }
  bool is_file_size_limit(int /*error*/) override { return false; }

  // The name as a key of `nodes`: absolute (a relative one taken in /w), '/' between names.
  static std::string key(std::string path) {
    std::replace(path.begin(), path.end(), '\\', '/');
    if (!path.starts_with('/')) path = "/w/" + path;
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
  }

 private:
  struct OpenFile {
    std::string path;
    std::size_t position = 0;
  };

  void add(const std::string& path, Node node) {
    node.index = ++last_index_;
    nodes[key(path)] = node;
  }
  static std::string parent(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == 0 ? std::string("/") : path.substr(0, slash);
  }
  void record(const std::string& what) { log.push_back(what + (interruptions_held() ? " (held)" : "")); }
  bool fail(int code, int& error) {
    error = code;
    return false;
  }
  platform::Handle refuse(int code, int& error) {
    error = code;
    return platform::no_handle;
  }
  platform::Handle open(const std::string& path) {
    open_[++last_handle_] = {path};
    return last_handle_;
  }
  // Permission for the user: 4 read, 2 write.
  bool may(const Node& node, std::uint32_t want) const {
    if (user == 0) return true;
    const std::uint32_t bits = node.owner == user              ? node.mode >> 6
                               : groups.count(node.group) != 0 ? node.mode >> 3
                                                               : node.mode;
    return (bits & want) != 0;
  }
  // The name with its links followed (a link's relative target is taken in its folder).
  std::string followed(std::string path) const {
    for (int links = 0; links < 40; ++links) {
      const auto node = nodes.find(path);
      if (node == nodes.end() || node->second.kind != platform::PathKind::link) return path;
      const std::string& target = node->second.link;
      path = target.starts_with('/') ? key(target) : key(parent(path) + "/" + target);
    }
    return path;
  }
  static platform::FileStatus status_of(const Node& node) {
    platform::FileStatus status;
    status.kind = node.kind;
    status.identity = {1, node.index};
    status.mode = node.mode;
    status.owner = node.owner;
    status.group = node.group;
    status.size = node.size >= 0 ? node.size : static_cast<std::int64_t>(node.content.size());
    return status;
  }

  std::map<platform::Handle, OpenFile> open_;
  platform::Handle last_handle_ = 100;
  std::uint64_t last_index_ = 0;
};

}  // namespace morvit::testing
