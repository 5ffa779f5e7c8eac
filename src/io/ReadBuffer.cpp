#include "ReadBuffer.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace fray {

ReadBuffer::ReadBuffer(std::size_t padding) : padding_(padding) {
    reallocate(0);
}

void ReadBuffer::reallocate(std::size_t capacity) {
    // Default-initialised: filling megabytes that are about to be overwritten is waste.
    std::unique_ptr<char[]> fresh(new char[capacity + padding_]);
    if (size_ > 0) std::memcpy(fresh.get(), data_.get(), std::min(size_, capacity));
    data_ = std::move(fresh);
    capacity_ = capacity;
    size_ = std::min(size_, capacity);
    zeroPadding();
}

void ReadBuffer::zeroPadding() {
    std::memset(data_.get() + size_, 0, padding_);
}

void ReadBuffer::resize(std::size_t n) {
    if (n > size_) throw std::logic_error("ReadBuffer::resize cannot grow");
    size_ = n;
    zeroPadding();
}

char* ReadBuffer::reserveTail(std::size_t more) {
    if (more > capacity_ - size_) reallocate(std::max(size_ + more, capacity_ + capacity_ / 2));
    return data_.get() + size_;
}

void ReadBuffer::commit(std::size_t n) {
    if (n > capacity_ - size_) throw std::logic_error("ReadBuffer::commit past the reserved room");
    size_ += n;
    zeroPadding();
}

void ReadBuffer::append(const char* bytes, std::size_t n) {
    if (n == 0) return;
    std::memcpy(reserveTail(n), bytes, n);
    commit(n);
}

void ReadBuffer::shrinkTo(std::size_t maxCapacity) {
    if (capacity_ > maxCapacity) reallocate(std::max(size_, maxCapacity));
}

} // namespace fray
