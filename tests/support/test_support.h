#pragma once

#include <filesystem>
#include <string>

namespace lxtv::test {

// A fresh empty folder under the system's temporary folder, removed with the object.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

  private:
    std::filesystem::path path_;
};

void writeFile(const std::string& path, const std::string& bytes);
std::string readFile(const std::string& path);

// Code page 936 bytes of a UTF-8 literal, for tests that write catalogue text.
std::string gbk(const char* utf8);

}  // namespace lxtv::test
