#pragma once

#include <cstddef>
#include <cstring>
#include <memory>

namespace exporter {

// A growable run of bytes that lines are formatted into before they go to
// the file in big chunks. Appending is a bounds check and a memcpy; the
// buffer grows only for a row larger than everything seen before.
class OutputBuffer {
public:
    explicit OutputBuffer(std::size_t capacity) : data_(std::make_unique<char[]>(capacity)), capacity_(capacity) {}

    void append(const char* bytes, std::size_t count) {
        if (count > capacity_ - size_) grow(count);
        if (count != 0) std::memcpy(data_.get() + size_, bytes, count);
        size_ += count;
    }
    void append(char byte) {
        if (size_ == capacity_) grow(1);
        data_[size_++] = byte;
    }
    // Room for at least `count` more bytes, to be written in place and then
    // claimed with advance().
    char* tail(std::size_t count) {
        if (count > capacity_ - size_) grow(count);
        return data_.get() + size_;
    }
    void advance(std::size_t count) { size_ += count; }

    const char* data() const { return data_.get(); }
    std::size_t size() const { return size_; }
    void clear() { size_ = 0; }

private:
    void grow(std::size_t needed) {
        std::size_t capacity = capacity_ * 2;
        if (capacity < size_ + needed) capacity = size_ + needed;
        auto larger = std::make_unique<char[]>(capacity);
        std::memcpy(larger.get(), data_.get(), size_);
        data_ = std::move(larger);
        capacity_ = capacity;
    }

    std::unique_ptr<char[]> data_;
    std::size_t size_ = 0;
    std::size_t capacity_;
};

}  // namespace exporter
