#include "support/cfb_writer.h"

#include <algorithm>
#include <map>
#include <memory>
#include <stdexcept>

#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-memory.h>
#include <gsf/gsf-output.h>

namespace vrtest {
namespace {

void put16(Bytes& b, uint16_t v)
{
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}

void put32(Bytes& b, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

// The entries as a tree: storages by name, streams in order.
struct Node {
    std::map<std::string, Node> storages;
    std::vector<std::pair<std::string, const Bytes*>> streams;
    ClassIdBytes classId{};
};

void write(GsfOutfile* dir, const Node& node)
{
    for (const auto& [name, bytes] : node.streams) {
        GsfOutput* s = gsf_outfile_new_child(dir, name.c_str(), FALSE);
        if (!bytes->empty())
            gsf_output_write(s, bytes->size(), bytes->data());
        gsf_output_close(s);
        g_object_unref(s);
    }
    for (const auto& [name, sub] : node.storages) {
        GsfOutput* d = gsf_outfile_new_child(dir, name.c_str(), TRUE);
        gsf_outfile_msole_set_class_id(GSF_OUTFILE_MSOLE(d), sub.classId.data());
        write(GSF_OUTFILE(d), sub);
        gsf_output_close(d);
        g_object_unref(d);
    }
}

ClassIdBytes oleClass(uint32_t first)
{
    ClassIdBytes id{0, 0, 0, 0, 0, 0, 0, 0, 0xC0, 0, 0, 0, 0, 0, 0, 0x46};
    for (int i = 0; i < 4; ++i)
        id[static_cast<size_t>(i)] = static_cast<uint8_t>(first >> (8 * i));
    return id;
}

}  // namespace

Bytes compoundFile(const std::vector<CfbEntry>& entries, const ClassIdBytes& rootClass, unsigned sectorSize)
{
    Node root;
    root.classId = rootClass;
    for (const CfbEntry& e : entries) {
        Node* at = &root;
        std::string rest = e.path;
        for (size_t slash; (slash = rest.find('/')) != std::string::npos; rest.erase(0, slash + 1))
            at = &at->storages[rest.substr(0, slash)];
        if (e.storage) {
            at->storages[rest].classId = e.classId;
        } else {
            at->streams.emplace_back(rest, &e.bytes);
        }
    }
    GsfOutput* mem = gsf_output_memory_new();
    GsfOutfile* ole = sectorSize == 4096 ? gsf_outfile_msole_new_full(mem, 4096, 64) : gsf_outfile_msole_new(mem);
    gsf_outfile_msole_set_class_id(GSF_OUTFILE_MSOLE(ole), root.classId.data());
    write(ole, root);
    gsf_output_close(GSF_OUTPUT(ole));
    g_object_unref(ole);
    const guint8* data = gsf_output_memory_get_bytes(GSF_OUTPUT_MEMORY(mem));
    const gsf_off_t size = gsf_output_size(mem);
    Bytes out(data, data + size);  // the writer closed its output when it was closed
    g_object_unref(mem);
    if (out.empty())
        throw std::runtime_error("the compound file writer wrote nothing");
    return out;
}

Bytes presentationStream(uint32_t clipFormat, uint32_t aspect, int32_t extentX, int32_t extentY, const Bytes& data,
                         int64_t sizeField)
{
    Bytes b;
    put32(b, 0xFFFFFFFFu);
    put32(b, clipFormat);
    put32(b, 4);  // no target device
    put32(b, aspect);
    put32(b, 0xFFFFFFFFu);  // index -1
    put32(b, 0);  // advise flags
    put32(b, 0);
    put32(b, static_cast<uint32_t>(extentX));
    put32(b, static_cast<uint32_t>(extentY));
    put32(b, sizeField >= 0 ? static_cast<uint32_t>(sizeField) : static_cast<uint32_t>(data.size()));
    b.insert(b.end(), data.begin(), data.end());
    return b;
}

Bytes containerStream(uint32_t aspect, const Bytes& storage)
{
    Bytes b{'B', 'D', 'O', 'C'};
    put32(b, aspect);
    put32(b, static_cast<uint32_t>(storage.size()));
    b.insert(b.end(), storage.begin(), storage.end());
    return b;
}

Bytes plainWmf(int w, int h, const std::vector<std::vector<uint16_t>>& records)
{
    std::vector<std::vector<uint16_t>> all;
    if (w > 0 && h > 0)
        all = {{0x020B, 0, 0}, {0x020C, static_cast<uint16_t>(h), static_cast<uint16_t>(w)}};
    all.insert(all.end(), records.begin(), records.end());
    all.push_back({0x0000});
    Bytes body;
    size_t maxWords = 0;
    for (const auto& r : all) {
        const size_t words = 3 + (r.size() - 1);
        maxWords = std::max(maxWords, words);
        put32(body, static_cast<uint32_t>(words));
        for (uint16_t v : r)
            put16(body, v);
    }
    Bytes b;
    put16(b, 1);  // in memory
    put16(b, 9);  // header words
    put16(b, 0x0300);
    put32(b, static_cast<uint32_t>((18 + body.size()) / 2));
    put16(b, 4);  // objects
    put32(b, static_cast<uint32_t>(maxWords));
    put16(b, 0);
    b.insert(b.end(), body.begin(), body.end());
    return b;
}

Bytes filledWmf(int w, int h, uint32_t color)
{
    return plainWmf(w, h,
                    {
                        {0x02FC, 0, static_cast<uint16_t>(color & 0xFFFF), static_cast<uint16_t>(color >> 16), 0},
                        {0x012D, 0},  // select the brush
                        {0x02FA, 5, 0, 0, 0, 0},  // a null pen
                        {0x012D, 1},
                        {0x041B, static_cast<uint16_t>(h + 1), static_cast<uint16_t>(w + 1), 0, 0},  // rectangle
                    });
}

Bytes dib(int w, int h, uint32_t color)
{
    const Bytes file = bmpFile(w, h, color);
    return Bytes(file.begin() + 14, file.end());
}

ClassIdBytes staticMetafileClass()
{
    return oleClass(0x0315);
}

ClassIdBytes staticDibClass()
{
    return oleClass(0x0316);
}

ClassIdBytes worksheetClass()
{
    return oleClass(0x00020820);
}

}  // namespace vrtest
