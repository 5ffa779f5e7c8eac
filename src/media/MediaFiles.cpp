#include "MediaFiles.h"

#include <QBuffer>
#include <QSaveFile>

#include <charconv>
#include <filesystem>
#include <ostream>
#include <system_error>

namespace fray::MediaFiles {

bool makeDirectory(const std::string& dir, const char* purpose, std::ostream& err) {
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (!ec && std::filesystem::is_directory(dir, ec)) return true;
    err << "fraymark: cannot create " << dir << " for " << purpose << ": "
        << (ec ? ec.message() : std::string("a file of that name is in the way")) << "\n"
        << std::flush;
    return false;
}

QByteArray encode(const QImage& image, const char* format, int quality) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (image.isNull() || !image.save(&buffer, format, quality)) return {};
    return bytes;
}

std::string fixed(double value, int decimals) {
    char buf[64];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
    return ec == std::errc() ? std::string(buf, end) : std::string("0");
}

std::optional<std::string> write(const std::string& path, const QByteArray& bytes) {
    QSaveFile file(QString::fromStdString(path));
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit())
        return std::nullopt;
    return file.errorString().toStdString();
}

} // namespace fray::MediaFiles
