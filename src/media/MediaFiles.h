#pragma once

#include <QByteArray>
#include <QImage>

#include <iosfwd>
#include <optional>
#include <string>

// Output of the demo renderers: the directory, encoded pictures, written files.
namespace fray::MediaFiles {

// Creates `dir` with its missing parents. When that fails, says why on `err` once (naming
// `purpose`, such as "the film") and returns false.
bool makeDirectory(const std::string& dir, const char* purpose, std::ostream& err);

// `image` encoded as "PNG" or "JPG" (quality 0 to 100, or -1 for the encoder's default);
// empty when it cannot be encoded.
QByteArray encode(const QImage& image, const char* format, int quality = -1);

// `value` with `decimals` digits after a point, whatever the process's locale: the
// ffconcat list and the printed figures must not turn into "0,0333".
std::string fixed(double value, int decimals);

// Writes `bytes` to `path`, replacing the file whole; the reason on failure.
std::optional<std::string> write(const std::string& path, const QByteArray& bytes);

} // namespace fray::MediaFiles
