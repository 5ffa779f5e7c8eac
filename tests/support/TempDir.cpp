#include "TempDir.h"

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <stdexcept>
#include <sys/time.h>

namespace fray::test {

TempDir::TempDir() {
    std::string templ = (std::filesystem::temp_directory_path() / "fraymark-test-XXXXXX").string();
    if (!mkdtemp(templ.data())) throw std::runtime_error("mkdtemp failed");
    path_ = templ;
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

std::filesystem::path TempDir::put(std::string_view rel, std::string_view content,
                                   std::ios::openmode mode) const {
    auto p = path_ / rel;
    std::filesystem::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary | mode);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    return p;
}

void setMtime(const std::filesystem::path& p, double unixSeconds) {
    const double whole = std::floor(unixSeconds);
    struct timeval tv[2];
    tv[0].tv_sec = tv[1].tv_sec = static_cast<time_t>(whole);
    tv[0].tv_usec = tv[1].tv_usec = static_cast<suseconds_t>((unixSeconds - whole) * 1e6);
    if (lutimes(p.c_str(), tv) != 0) throw std::runtime_error("lutimes failed for " + p.string());
}

std::string readFile(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace fray::test
