#pragma once

#include <cstddef>
#include <memory>

namespace fray {

// A growable byte buffer that always keeps `padding` spare bytes after its contents, so
// a JSON parser that reads ahead can run on slices of it without copying them.
class ReadBuffer {
  public:
    explicit ReadBuffer(std::size_t padding);

    char* data() { return data_.get(); }
    const char* data() const { return data_.get(); }
    std::size_t size() const { return size_; }
    std::size_t capacity() const { return capacity_; }
    bool empty() const { return size_ == 0; }

    void clear() { resize(0); }
    // Keeps the first n bytes (n ≤ size).
    void resize(std::size_t n);
    // Room for `more` bytes after the contents; returns where they go. Contents are kept.
    char* reserveTail(std::size_t more);
    // Marks n bytes written after the contents (at most what reserveTail promised).
    void commit(std::size_t n);
    void append(const char* bytes, std::size_t n);
    // Gives memory back when a large read inflated the buffer.
    void shrinkTo(std::size_t maxCapacity);

  private:
    void reallocate(std::size_t capacity);
    void zeroPadding();

    std::size_t padding_;
    std::unique_ptr<char[]> data_;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0; // usable bytes, padding not included
};

} // namespace fray
