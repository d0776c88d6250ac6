#include "platform/instance.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>

namespace fs = std::filesystem;

namespace korrin {

namespace {
constexpr const char* kMagic = "KORRIN-OPEN\n";
constexpr size_t kMaxPaths = 64;
constexpr size_t kMaxPathBytes = 4096;

uint64_t Fnv1a(const std::string& text) {
  uint64_t h = 1469598103934665603ull;
  for (unsigned char c : text) {
    h ^= c;
    h *= 1099511628211ull;
  }
  return h;
}

// Reads a decimal field ended by a line feed at `pos`.
enum class TField { fOk, fMore, fBad };
TField ReadNumber(const std::string& bytes, size_t& pos, size_t& value) {
  size_t end = bytes.find('\n', pos);
  if (end == std::string::npos) return bytes.size() - pos > 10 ? TField::fBad : TField::fMore;
  if (end == pos || end - pos > 10) return TField::fBad;
  value = 0;
  for (size_t i = pos; i < end; ++i) {
    if (bytes[i] < '0' || bytes[i] > '9') return TField::fBad;
    value = value * 10 + static_cast<size_t>(bytes[i] - '0');
  }
  pos = end + 1;
  return TField::fOk;
}
}  // namespace

std::string InstanceName(const std::string& programFolder, unsigned userId) {
  std::string folder = fs::path(programFolder).lexically_normal().string();
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  char buf[64];
  std::snprintf(buf, sizeof buf, "korrin-%u-%016llx", userId, static_cast<unsigned long long>(Fnv1a(folder)));
  return buf;
}

std::string EncodeOpenRequest(const std::vector<std::string>& paths) {
  std::string out = kMagic + std::to_string(paths.size()) + "\n";
  for (const auto& p : paths) out += std::to_string(p.size()) + "\n" + p + "\n";
  return out;
}

std::optional<std::vector<std::string>> DecodeOpenRequest(const std::string& bytes, bool& bad) {
  bad = false;
  const std::string magic = kMagic;
  if (bytes.size() < magic.size()) {
    bad = magic.compare(0, bytes.size(), bytes) != 0;
    return std::nullopt;
  }
  if (bytes.compare(0, magic.size(), magic) != 0) {
    bad = true;
    return std::nullopt;
  }
  size_t pos = magic.size(), count = 0;
  switch (ReadNumber(bytes, pos, count)) {
    case TField::fBad: bad = true; [[fallthrough]];
    case TField::fMore: return std::nullopt;
    case TField::fOk: break;
  }
  if (count > kMaxPaths) {
    bad = true;
    return std::nullopt;
  }
  std::vector<std::string> paths;
  for (size_t i = 0; i < count; ++i) {
    size_t length = 0;
    switch (ReadNumber(bytes, pos, length)) {
      case TField::fBad: bad = true; [[fallthrough]];
      case TField::fMore: return std::nullopt;
      case TField::fOk: break;
    }
    if (length > kMaxPathBytes) {
      bad = true;
      return std::nullopt;
    }
    if (bytes.size() < pos + length + 1) return std::nullopt;
    if (bytes[pos + length] != '\n') {
      bad = true;
      return std::nullopt;
    }
    paths.push_back(bytes.substr(pos, length));
    pos += length + 1;
  }
  if (bytes.size() != pos) {
    bad = true;
    return std::nullopt;
  }
  return paths;
}

std::optional<std::string> CommandLineFile(const std::string& argument, const std::string& cwd) {
  if (argument.empty() || argument[0] == '-') return std::nullopt;
  fs::path p(argument);
  if (p.is_relative()) p = fs::path(cwd) / p;
  return p.lexically_normal().string();
}

}  // namespace korrin
