// A read-only byte stream over a document, held in memory whether it came from a file or not.
// Documents are small; holding the bytes makes every read bounded by what the file has.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vr {

class DocStream {
public:
    // Throws OpenError with the file name when the file cannot be read.
    static DocStream openFile(const std::string& path);
    static DocStream fromMemory(std::vector<uint8_t> bytes);
    static DocStream fromMemory(const uint8_t* data, size_t size);

    size_t size() const { return data_.size(); }
    size_t position() const { return pos_; }
    size_t remaining() const { return data_.size() - pos_; }
    void seek(size_t pos) { pos_ = pos < data_.size() ? pos : data_.size(); }

    // Copies up to n bytes from the current position without moving it.
    size_t peek(void* dest, size_t n) const;
    // Plain read: copies up to n bytes, returns how many were there.
    size_t read(void* dest, size_t n);
    // Fixed-size record read: clears dest to `fill` and reads up to n bytes; a short read is no error.
    size_t readFixed(void* dest, size_t n, uint8_t fill = 0);
    // Content read: all n bytes or ReadError. Never allocates beyond what the stream holds.
    std::vector<uint8_t> readExact(size_t n);
    void readExact(void* dest, size_t n);

private:
    explicit DocStream(std::vector<uint8_t> bytes) : data_(std::move(bytes)) { }
    std::vector<uint8_t> data_;
    size_t pos_ = 0;
};

}  // namespace vr
