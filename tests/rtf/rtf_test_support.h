// Helpers of the RTF tests: reading a string, the text of a document, corpus files.
#pragma once
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "rtf/reader.h"

namespace vr::rtf::test {

inline Document read(const std::string& rtf, const ReadLimits& limits = {})
{
    return readRtf(reinterpret_cast<const uint8_t*>(rtf.data()), rtf.size(), limits);
}

inline std::string text(const Document& d)
{
    return d.plainText().toStdString();
}

inline std::string text(const std::string& rtf)
{
    return text(read(rtf));
}

inline const Paragraph& paragraph(const Document& d, size_t i)
{
    return std::get<Paragraph>(d.blocks.at(i));
}

inline std::string corpusPath(const std::string& name)
{
    return std::string(VR_CORPUS_DIR) + "/" + name;
}

inline std::vector<uint8_t> fileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

#define VR_NEED_CORPUS_FILE(name)                                                                                      \
    if (!std::filesystem::exists(::vr::rtf::test::corpusPath(name)))                                                   \
    GTEST_SKIP() << "corpus file " << (name) << " is not here"

inline Document readCorpus(const std::string& name)
{
    const std::vector<uint8_t> bytes = fileBytes(corpusPath(name));
    return readRtf(bytes.data(), bytes.size());
}

// Hex digits of bytes, as \pict data is written.
inline std::string hex(const std::vector<uint8_t>& bytes)
{
    static const char* digits = "0123456789abcdef";
    std::string s;
    for (size_t i = 0; i < bytes.size(); ++i) {
        s += digits[bytes[i] >> 4];
        s += digits[bytes[i] & 15];
        if (i % 64 == 63)
            s += '\n';
    }
    return s;
}

}  // namespace vr::rtf::test
