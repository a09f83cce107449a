// For tests and benchmarks that need files: a fresh folder of their own under /tmp,
// so that no run sees what another run left, and nothing is left behind after it.
#pragma once

#include <string>
#include <vector>

class TemporaryFolder {
 public:
  // Makes /tmp/quarnet-<purpose>-XXXXXX; the purpose names the folder for a person
  // who finds one left by a crashed run. Throws std::system_error when it cannot.
  explicit TemporaryFolder(const std::string& purpose);
  // Removes the folder with everything in it.
  ~TemporaryFolder();
  TemporaryFolder(const TemporaryFolder&) = delete;
  TemporaryFolder& operator=(const TemporaryFolder&) = delete;

  const std::string& Path() const { return path_; }
  std::string Path(const std::string& relative) const { return path_ + "/" + relative; }

  // Byte for byte, as the code under test reads and writes its files.
  void Write(const std::string& relative, const std::string& content) const;
  std::string Read(const std::string& relative) const;
  // The names in the folder itself, sorted: the system gives them in no order.
  std::vector<std::string> Listing() const;

 private:
  std::string path_;
};

// The whole file, byte for byte; empty when it cannot be read.
std::string FileText(const std::string& path);
