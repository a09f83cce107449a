// Writes the placeholder image set into a folder, from the list in placeholders.txt.
//
//   generate_placeholder_images LIST TEMPLATE-FOLDER OUTPUT-FOLDER
//
// The real images come from the unit maker and are never in this repository. The
// placeholders have the lengths and the layout of the delivered set, so that every
// path of the tool that reads, walks and sends images runs on files of the true
// shape; their opaque bytes come from a generator seeded by the file name, so every
// build writes the same bytes.
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

constexpr uint32_t LargestRecord = 8192;

struct Filler {
  uint32_t state;
  explicit Filler(const std::string& name) : state(2166136261u) {
    for (unsigned char c : name) state = (state ^ c) * 16777619u;
  }
  uint8_t Next() {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return static_cast<uint8_t>(state >> 24);
  }
  void Append(Bytes& bytes, size_t count) {
    for (size_t i = 0; i < count; ++i) bytes.push_back(Next());
  }
};

void AppendLong(Bytes& bytes, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) bytes.push_back(static_cast<uint8_t>(value >> shift));
}

void AppendWord(Bytes& bytes, uint16_t value) {
  bytes.push_back(static_cast<uint8_t>(value >> 8));
  bytes.push_back(static_cast<uint8_t>(value));
}

// The record sizes that make an image of `length` bytes: 8 header bytes, 6 per record
// header, the data, 4 terminator bytes. Empty when no layout fits.
std::vector<uint32_t> RecordSizes(uint32_t length, uint32_t first, uint32_t record) {
  for (uint32_t count = 1; 12 + 6 * count <= length; ++count) {
    uint32_t data = length - 12 - 6 * count;
    if (data < count || uint64_t{first} + uint64_t{count - 1} * record < data) continue;
    std::vector<uint32_t> sizes;
    uint32_t left = data;
    for (uint32_t i = 0; i < count; ++i) {
      uint32_t size = std::min(i == 0 ? first : record, left);
      sizes.push_back(size);
      left -= size;
    }
    // Full records before it may leave the last one empty: it borrows a byte.
    if (sizes.back() == 0) {
      sizes[sizes.size() - 2] -= 1;
      sizes.back() = 1;
    }
    return sizes;
  }
  return {};
}

bool DownloadImage(const std::string& name, uint32_t length, uint32_t transfer, uint32_t start, uint32_t first,
                   uint32_t record, Bytes& image, std::string& error) {
  if (first == 0 || record == 0 || first > LargestRecord || record > LargestRecord) {
    error = "records are 1 to 8192 bytes";
    return false;
  }
  std::vector<uint32_t> sizes = RecordSizes(length, first, record);
  if (sizes.empty()) {
    error = "no layout of records makes " + std::to_string(length) + " bytes";
    return false;
  }
  Filler filler(name);
  uint32_t total = 0;
  for (uint32_t size : sizes) total += size;
  AppendLong(image, transfer);
  AppendLong(image, total);
  uint32_t address = start;
  for (uint32_t size : sizes) {
    AppendLong(image, address);
    AppendWord(image, static_cast<uint16_t>(size));
    filler.Append(image, size);
    address += size;
  }
  AppendLong(image, 0xFFFFFFFF);
  return true;
}

// A resource file: its kind's mark, then opaque bytes.
Bytes ResourceFile(const std::string& name, uint32_t length, const Bytes& mark) {
  Bytes file(mark.begin(), mark.begin() + std::min<size_t>(mark.size(), length));
  Filler(name).Append(file, length - file.size());
  return file;
}

bool ReadFile(const std::string& path, std::string& text, std::string& error) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    error = "cannot read " + path + ": " + std::strerror(errno);
    return false;
  }
  text.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  return true;
}

// The templates as the units hold them: CR LF line ends, whatever the checkout made.
Bytes WithCrLf(const std::string& text) {
  Bytes bytes;
  for (char c : text) {
    if (c == '\r') continue;
    if (c == '\n') bytes.push_back('\r');
    bytes.push_back(static_cast<uint8_t>(c));
  }
  return bytes;
}

bool WriteFile(const std::string& path, const Bytes& bytes, std::string& error) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  file.close();
  if (!file) error = "cannot write " + path + ": " + std::strerror(errno);
  return error.empty();
}

bool MakeEntry(std::istringstream& words, const std::string& kind, const std::string& name,
               const std::string& templates, Bytes& file, std::string& error) {
  uint32_t length = 0;
  if (kind == "template") {
    std::string source, text;
    if (!(words >> source) || !ReadFile(templates + "/" + source, text, error)) {
      if (error.empty()) error = "a template names its source file";
      return false;
    }
    file = WithCrLf(text);
    return true;
  }
  if (!(words >> length) || length == 0) {
    error = "expected a length of at least 1";
    return false;
  }
  if (kind == "download") {
    uint32_t transfer = 0, start = 0, first = 0, record = 0;
    if (!(words >> std::hex >> transfer >> start >> std::dec >> first >> record)) {
      error = "a download image needs TRANSFER START FIRST-RECORD RECORD";
      return false;
    }
    return DownloadImage(name, length, transfer, start, first, record, file, error);
  }
  if (kind == "language") {
    unsigned index = 0;
    if (!(words >> index) || index > 255) {
      error = "a language file needs its language index (0 to 255)";
      return false;
    }
    file = ResourceFile(name, length, {'S', 'T', 0, static_cast<uint8_t>(index)});
  } else if (kind == "image") {
    file = ResourceFile(name, length, {'i', 'm'});
  } else if (kind == "font") {
    file = ResourceFile(name, length, {'f', 'o', '$'});
  } else {
    error = "unknown kind '" + kind + "'";
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: generate_placeholder_images LIST TEMPLATE-FOLDER OUTPUT-FOLDER\n");
    return 2;
  }
  std::string list, error;
  if (!ReadFile(argv[1], list, error)) {
    std::fprintf(stderr, "generate_placeholder_images: %s\n", error.c_str());
    return 1;
  }
  std::istringstream lines(list);
  std::string line;
  for (int number = 1; std::getline(lines, line); ++number) {
    std::istringstream words(line);
    std::string kind, name;
    if (!(words >> kind) || kind[0] == '#') continue;
    Bytes file;
    if (!(words >> name) || !MakeEntry(words, kind, name, argv[2], file, error) ||
        !WriteFile(std::string(argv[3]) + "/" + name, file, error)) {
      std::fprintf(stderr, "%s:%d: %s\n", argv[1], number, error.empty() ? "expected KIND FILE ..." : error.c_str());
      return 1;
    }
  }
  return 0;
}
