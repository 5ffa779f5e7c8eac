#include "TempDir.h"

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/time.h>

namespace fray::test {

TempDir::TempDir() {
    std::string templ = (std::filesystem::temp_directory_path() / "fraymark-test-XXXXXX").string();
    if (!mkdtemp(templ.data())) throw std::runtime_error("mkdtemp failed");
    path_ = templ;
}

TempDir::~TempDir() {
    std::error_code ec;
    // Tests may remove permissions; give them back so the tree can go.
    for (auto it = std::filesystem::recursive_directory_iterator(
             path_, std::filesystem::directory_options::skip_permission_denied, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        if (it->is_directory(ec) && !it->is_symlink(ec))
            std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ec);
    }
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
}

std::filesystem::path TempDir::write(std::string_view rel, std::string_view content) const {
    auto p = path_ / rel;
    std::filesystem::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    return p;
}

std::filesystem::path TempDir::append(std::string_view rel, std::string_view content) const {
    auto p = path_ / rel;
    std::filesystem::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary | std::ios::app);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    return p;
}

std::filesystem::path TempDir::mkdir(std::string_view rel) const {
    auto p = path_ / rel;
    std::filesystem::create_directories(p);
    return p;
}

void setMtime(const std::filesystem::path& p, double unixSeconds) {
    struct timeval tv[2];
    double whole = std::floor(unixSeconds);
    tv[0].tv_sec = tv[1].tv_sec = static_cast<time_t>(whole);
    tv[0].tv_usec = tv[1].tv_usec = static_cast<suseconds_t>((unixSeconds - whole) * 1e6);
    if (lutimes(p.c_str(), tv) != 0) throw std::runtime_error("lutimes failed for " + p.string());
}

std::string readFile(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace fray::test
