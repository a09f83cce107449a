#include "runtime/path.h"

#include <string>

namespace {

bool IsDriveColon(char c) { return ColonEndsDrive && c == ':'; }

}  // namespace

bool IsPathSeparator(char c) { return c == '\\' || c == '/' || IsDriveColon(c); }

int LastSeparator(const String& path) {
  for (int i = path.Length() - 1; i >= 0; --i) {
    if (IsPathSeparator(path[i])) return i;
  }
  return -1;
}

String DirectoryPart(const String& path) {
  int separator = LastSeparator(path);
  if (separator < 0) return {};
  return path.Substring(0, separator);
}

String FileNamePart(const String& path) {
  int separator = LastSeparator(path);
  if (separator <= 0) return path;
  return path.Substring(separator + 1, path.Length());
}

namespace {

// The index of the extension's '.', or -1.
int ExtensionDot(const String& path) {
  int separator = LastSeparator(path);
  for (int i = path.Length() - 1; i > separator; --i) {
    if (path[i] == '.') return i;
  }
  return -1;
}

}  // namespace

String Extension(const String& path) {
  int dot = ExtensionDot(path);
  if (dot < 0) return {};
  return path.Substring(dot + 1, path.Length());
}

String StripExtension(const String& path) {
  int dot = ExtensionDot(path);
  if (dot < 0) return path;
  return path.Substring(0, dot);
}

String ChangeExtension(const String& path, const String& extension) {
  String result = StripExtension(path);
  result.Append('.');
  result.Append(extension.View());
  return result;
}

String AddSeparator(const String& path) {
  if (path.Length() > 0 && IsPathSeparator(path[path.Length() - 1])) return path;
  String result = path;
  result.Append('/');
  return result;
}

namespace {

bool IsSlash(char c) { return c == '\\' || c == '/'; }

// A path is used as it is when it starts with a separator or with a drive ("C:"
// before the first slash); anything else is relative to the working folder.
bool IsAbsolute(std::string_view path) {
  for (size_t i = 0; i < path.size(); ++i) {
    if (IsDriveColon(path[i])) return true;
    if (IsSlash(path[i])) return i == 0;
  }
  return false;
}

// How much of the normalised text ".." may never remove: the root "/" or a drive "C:/".
size_t RootLength(const std::string& normalised) {
  if (!normalised.empty() && normalised[0] == '/') return 1;
  size_t slash = normalised.find('/');
  if (slash != std::string::npos && slash > 0 && IsDriveColon(normalised[slash - 1])) return slash + 1;
  return 0;
}

// Ends the segment that starts at segmentStart: "." goes, ".." takes the previous
// segment with it; the caller then writes the separator for a segment that stays.
bool CloseSegment(std::string& normalised, size_t segmentStart) {
  std::string_view segment = std::string_view(normalised).substr(segmentStart);
  if (segment == ".") {
    normalised.resize(segmentStart);
    return false;
  }
  if (segment == "..") {
    normalised.resize(segmentStart);
    size_t root = RootLength(normalised);
    if (normalised.size() > root) {
      size_t previous = normalised.find_last_of('/', normalised.size() - 2);
      normalised.resize(previous == std::string::npos || previous + 1 < root ? root : previous + 1);
    }
    return false;
  }
  return true;
}

}  // namespace

String FullPath(const String& path) {
  if (path.Empty()) return AddSeparator(CurrentDirectory());
  String absolute = path;
  if (!IsAbsolute(path.View())) absolute = Concatenate(AddSeparator(CurrentDirectory()), path);
  std::string normalised;
  size_t segmentStart = 0;
  for (char c : absolute.View()) {
    if (!IsSlash(c)) {
      normalised += c;
      continue;
    }
    if (CloseSegment(normalised, segmentStart)) normalised += '/';
    segmentStart = normalised.size();
  }
  CloseSegment(normalised, segmentStart);
  return String::Copy(normalised);
}
