#pragma once

#include <filesystem>
#include <ios>
#include <string>
#include <string_view>

namespace fray::test {

// A fresh directory under the system temp dir, removed with everything in it.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::string str() const { return path_.string(); }
    std::filesystem::path operator/(std::string_view rel) const { return path_ / rel; }

    // Write or append (creating parent directories); both return the full path.
    std::filesystem::path write(std::string_view rel, std::string_view content) const {
        return put(rel, content, std::ios::trunc);
    }
    std::filesystem::path append(std::string_view rel, std::string_view content) const {
        return put(rel, content, std::ios::app);
    }
    std::filesystem::path mkdir(std::string_view rel) const {
        std::filesystem::create_directories(path_ / rel);
        return path_ / rel;
    }

  private:
    std::filesystem::path put(std::string_view rel, std::string_view content, std::ios::openmode mode) const;
    std::filesystem::path path_;
};

// Sets a file's modification time to `unixSeconds`.
void setMtime(const std::filesystem::path& p, double unixSeconds);
std::string readFile(const std::filesystem::path& p);

} // namespace fray::test
