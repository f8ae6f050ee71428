#include "core/doc_stream.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "core/errors.h"

namespace vr {

DocStream DocStream::openFile(const std::string& path)
{
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec))
        throw OpenError(path);
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw OpenError(path);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        throw OpenError(path);
    return DocStream(std::move(bytes));
}

DocStream DocStream::fromMemory(std::vector<uint8_t> bytes)
{
    return DocStream(std::move(bytes));
}

DocStream DocStream::fromMemory(const uint8_t* data, size_t size)
{
    return DocStream(std::vector<uint8_t>(data, data + size));
}

size_t DocStream::peek(void* dest, size_t n) const
{
    const size_t got = n < remaining() ? n : remaining();
    if (got > 0)
        std::memcpy(dest, data_.data() + pos_, got);
    return got;
}

size_t DocStream::read(void* dest, size_t n)
{
    const size_t got = n < remaining() ? n : remaining();
    if (got > 0)
        std::memcpy(dest, data_.data() + pos_, got);
    pos_ += got;
    return got;
}

size_t DocStream::readFixed(void* dest, size_t n, uint8_t fill)
{
    std::memset(dest, fill, n);
    return read(dest, n);
}

std::vector<uint8_t> DocStream::readExact(size_t n)
{
    if (n > remaining())
        throw ReadError();
    std::vector<uint8_t> out(data_.begin() + static_cast<std::ptrdiff_t>(pos_),
                             data_.begin() + static_cast<std::ptrdiff_t>(pos_ + n));
    pos_ += n;
    return out;
}

void DocStream::readExact(void* dest, size_t n)
{
    if (n > remaining())
        throw ReadError();
    read(dest, n);
}

}  // namespace vr
