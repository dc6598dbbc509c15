#pragma once

#include <cstddef>
#include <cstring>
#include <memory>

namespace lines {

// Takes the bytes of a buffer that is full. It may throw to give up the
// export.
class BufferDrain {
public:
    virtual void Drain(const char* bytes, std::size_t count) = 0;

protected:
    ~BufferDrain() = default;
};

// A run of bytes that lines are formatted into before they go to the file
// in big chunks. Appending is a bounds check and a memcpy. A buffer with a
// drain sends what it holds to the drain when more does not fit, also in the
// middle of a value, so that it keeps its size however long a value is; one
// without (a short text of our own) grows instead.
class OutputBuffer {
public:
    explicit OutputBuffer(std::size_t capacity, BufferDrain* drain = nullptr)
        : data_(std::make_unique<char[]>(capacity)), capacity_(capacity), drain_(drain) {}

    void append(const char* bytes, std::size_t count) {
        if (count > capacity_ - size_) {
            appendBeyond(bytes, count);
            return;
        }
        if (count != 0) std::memcpy(data_.get() + size_, bytes, count);
        size_ += count;
    }
    void append(char byte) {
        if (size_ == capacity_) makeRoom(1);
        data_[size_++] = byte;
    }
    // Room for at least `count` more bytes, to be written in place and then
    // claimed with advance(). Ask for a bounded amount at a time: the buffer
    // grows to hold it.
    char* tail(std::size_t count) {
        if (count > capacity_ - size_) makeRoom(count);
        return data_.get() + size_;
    }
    void advance(std::size_t count) { size_ += count; }

    const char* data() const { return data_.get(); }
    std::size_t size() const { return size_; }
    std::size_t capacity() const { return capacity_; }
    void clear() { size_ = 0; }
    // Sends what the buffer holds to its drain.
    void flush() {
        if (size_ != 0) drain_->Drain(data_.get(), size_);
        size_ = 0;
    }

private:
    void appendBeyond(const char* bytes, std::size_t count) {
        if (drain_ == nullptr) {
            grow(count);
        } else {
            flush();
            // More than the whole buffer holds goes to the drain as it is.
            if (count > capacity_) {
                drain_->Drain(bytes, count);
                return;
            }
        }
        std::memcpy(data_.get() + size_, bytes, count);
        size_ += count;
    }
    void makeRoom(std::size_t count) {
        if (drain_ != nullptr) flush();
        if (count > capacity_ - size_) grow(count);
    }
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
    BufferDrain* drain_;
};

}  // namespace lines
