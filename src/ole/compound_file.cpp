// libgsf reads the compound file: Debian's maintained reader of this format, made for the same
// files (spreadsheet and word-processing programs open their embedded objects with it), and it
// reads from a memory buffer without copying it. What it accepts is checked again here:
// - the header fields it does not check (byte order, version with sector size, mini sizes and
//   cut-off) are checked first, so that the mini-stream buffers it allocates stay small;
// - a damaged directory or chain that it only warns about (and reads around) counts as damage:
//   its warnings and failed checks are counted while the file is read;
// - stream sizes are not taken on trust: every stream is read to its end in chunks, a failed
//   read is damage, and the streams together may not claim more bytes than the file holds.
#include "ole/compound_file.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <memory>

#include "ole/gsf_library.h"
#include "ole/ole_error.h"

namespace vr::ole {
namespace {

constexpr uint8_t kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
constexpr size_t kHeaderSize = 512;
constexpr size_t kDirectoryEntrySize = 128;
constexpr size_t kChunk = 65536;

uint16_t u16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t u32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
        (static_cast<uint32_t>(p[3]) << 24);
}

struct GObjectUnref {
    const GsfLibrary* gsf;
    void operator()(void* p) const
    {
        if (p)
            gsf->object_unref(p);
    }
};
template <typename T> using GPtr = std::unique_ptr<T, GObjectUnref>;

// Counts what the library says about the file while it is alive: a warning or a failed check
// means it found damage and read around it. The reader runs on one thread at a time.
class LibraryComplaints {
public:
    explicit LibraryComplaints(const GsfLibrary& gsf) : gsf_(gsf)
    {
        const auto levels = static_cast<GLogLevelFlags>(G_LOG_LEVEL_CRITICAL | G_LOG_LEVEL_WARNING |
                                                        G_LOG_LEVEL_MESSAGE | G_LOG_FLAG_FATAL);
        for (int i = 0; i < 3; ++i)
            ids_[i] = gsf_.log_set_handler(kDomains[i], levels, &LibraryComplaints::onLog, &count_);
    }
    ~LibraryComplaints()
    {
        for (int i = 0; i < 3; ++i)
            gsf_.log_remove_handler(kDomains[i], ids_[i]);
    }
    LibraryComplaints(const LibraryComplaints&) = delete;
    LibraryComplaints& operator=(const LibraryComplaints&) = delete;
    int count() const { return count_; }

private:
    static void onLog(const gchar*, GLogLevelFlags, const gchar*, gpointer counter) { ++*static_cast<int*>(counter); }
    // Some of its messages carry no domain.
    static constexpr const char* kDomains[3] = {"libgsf:msole", "libgsf", nullptr};
    const GsfLibrary& gsf_;
    guint ids_[3] = {0, 0, 0};
    int count_ = 0;
};

// Code points of a UTF-8 name, for the directory order.
std::vector<uint32_t> codePoints(const std::string& s)
{
    std::vector<uint32_t> out;
    for (size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        int n = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        uint32_t v = n == 1 ? c : n == 2 ? (c & 0x1F) : n == 3 ? (c & 0x0F) : (c & 0x07);
        for (int k = 1; k < n && i + k < s.size(); ++k)
            v = (v << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
        out.push_back(v);
        i += n;
    }
    return out;
}

// The platform's directory order: fewer UTF-16 units first, then by upper-case characters.
bool directoryLess(const std::string& a, const std::string& b)
{
    const auto ca = codePoints(a), cb = codePoints(b);
    auto units = [](const std::vector<uint32_t>& cps) {
        size_t n = 0;
        for (uint32_t c : cps)
            n += c >= 0x10000 ? 2 : 1;
        return n;
    };
    const size_t ua = units(ca), ub = units(cb);
    if (ua != ub)
        return ua < ub;
    auto upper = [](uint32_t c) { return c < 0x80 ? static_cast<uint32_t>(std::toupper(static_cast<int>(c))) : c; };
    for (size_t i = 0; i < ca.size() && i < cb.size(); ++i) {
        if (upper(ca[i]) != upper(cb[i]))
            return upper(ca[i]) < upper(cb[i]);
    }
    return a < b;
}

bool sameNameIgnoringCase(const std::string& a, const std::string& b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
           });
}

// Reads a stream to its end in chunks; keeps the bytes when asked. False when a read fails.
bool readThrough(const GsfLibrary& gsf, GsfInput* in, uint64_t size, std::vector<uint8_t>* keep)
{
    if (keep)
        keep->reserve(static_cast<size_t>(size));
    uint64_t left = size;
    while (left > 0) {
        const size_t n = static_cast<size_t>(std::min<uint64_t>(left, kChunk));
        const guint8* p = gsf.input_read(in, n, nullptr);
        if (!p)
            return false;
        if (keep)
            keep->insert(keep->end(), p, p + n);
        left -= n;
    }
    return true;
}

}  // namespace

std::string classIdText(const ClassId& id)
{
    char text[40];
    std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  static_cast<unsigned>(u32(id.data())), static_cast<unsigned>(u16(id.data() + 4)),
                  static_cast<unsigned>(u16(id.data() + 6)), id[8], id[9], id[10], id[11], id[12], id[13], id[14],
                  id[15]);
    return text;
}

void checkCompoundHeader(const uint8_t* data, size_t size)
{
    if (size < sizeof kSignature || std::memcmp(data, kSignature, sizeof kSignature) != 0)
        throw OleError(kNotCompoundFile);
    if (size < kHeaderSize)
        throw OleError(kInvalidHeader);
    const uint16_t major = u16(data + 26), byteOrder = u16(data + 28);
    const uint16_t sectorShift = u16(data + 30), miniShift = u16(data + 32);
    const uint32_t cutoff = u32(data + 56);
    const bool sectorsMatchVersion = (major == 3 && sectorShift == 9) || (major == 4 && sectorShift == 12);
    if (byteOrder != 0xFFFE || !sectorsMatchVersion || miniShift != 6 || cutoff != 4096)
        throw OleError(kInvalidHeader);
}

CompoundFile CompoundFile::read(const uint8_t* data, size_t size, const KeepFn& keep)
{
    checkCompoundHeader(data, size);
    std::string why;
    const GsfLibrary* library = gsfLibrary(why);
    if (!library)
        throw VError(why);
    const GsfLibrary& gsf = *library;
    const GObjectUnref unref{library};
    const GType msoleType = gsf.infile_msole_get_type(), infileType = gsf.infile_get_type();

    LibraryComplaints complaints(gsf);
    CompoundFile file;
    {
        GPtr<GsfInput> input(gsf.input_memory_new(data, static_cast<gsf_off_t>(size), FALSE), unref);
        GError* err = nullptr;
        GPtr<GsfInfile> root(input ? gsf.infile_msole_new(input.get(), &err) : nullptr, unref);
        if (err)
            gsf.error_free(err);
        if (!root || !gsf.isA(root.get(), msoleType) || complaints.count() > 0)
            throw OleError(kCorruptFile);
        gsf.infile_msole_get_class_id(reinterpret_cast<GsfInfileMSOle*>(root.get()), file.rootClassId_.data());

        // Storages are walked depth first with a stack of our own: each storage is listed with
        // its children right after it, in directory order.
        struct Level {
            GPtr<GsfInfile> dir;
            std::string path;
            int depth;
            std::vector<std::pair<std::string, int>> order;  // names and library indexes
            size_t next = 0;
        };
        auto level = [&gsf](GPtr<GsfInfile> dir, std::string path, int depth) {
            Level l{std::move(dir), std::move(path), depth, {}, 0};
            const int n = gsf.infile_num_children(l.dir.get());
            for (int i = 0; i < n; ++i) {
                const char* name = gsf.infile_name_by_index(l.dir.get(), i);
                l.order.emplace_back(name ? name : "", i);
            }
            std::stable_sort(l.order.begin(), l.order.end(),
                             [](const auto& a, const auto& b) { return directoryLess(a.first, b.first); });
            return l;
        };
        std::vector<Level> stack;
        stack.push_back(level(std::move(root), std::string(), 1));
        uint64_t budget = size;
        const size_t maxEntries = size / kDirectoryEntrySize;
        while (!stack.empty()) {
            Level& top = stack.back();
            if (top.next == top.order.size()) {
                stack.pop_back();
                continue;
            }
            const auto [name, index] = top.order[top.next++];
            if (file.entries_.size() >= maxEntries)
                throw OleError(kCorruptFile);
            GPtr<GsfInput> child(gsf.infile_child_by_index(top.dir.get(), index), unref);
            if (!child || complaints.count() > 0)
                throw OleError(kCorruptFile);
            StorageEntry e;
            e.name = name;
            e.path = top.depth == 1 ? name : top.path + "/" + name;
            e.depth = top.depth;
            const bool storage = gsf.isA(child.get(), infileType) &&
                gsf.infile_num_children(reinterpret_cast<GsfInfile*>(child.get())) >= 0;
            if (storage) {
                e.isStorage = true;
                if (gsf.isA(child.get(), msoleType))
                    gsf.infile_msole_get_class_id(reinterpret_cast<GsfInfileMSOle*>(child.get()), e.classId.data());
            } else {
                const gsf_off_t sz = gsf.input_size(child.get());
                if (sz < 0 || static_cast<uint64_t>(sz) > budget)
                    throw OleError(kCorruptFile);
                budget -= static_cast<uint64_t>(sz);
                e.size = static_cast<uint64_t>(sz);
                e.kept = keep && keep(e);
                if (!readThrough(gsf, child.get(), e.size, e.kept ? &e.bytes : nullptr) || complaints.count() > 0)
                    throw OleError(kCorruptFile);
            }
            const std::string path = e.path;
            const int depth = e.depth + 1;
            file.entries_.push_back(std::move(e));
            if (storage)  // `top` is not used after this: the push may move the levels
                stack.push_back(level(GPtr<GsfInfile>(reinterpret_cast<GsfInfile*>(child.release()), unref), path, depth));
        }
    }
    if (complaints.count() > 0)
        throw OleError(kCorruptFile);
    return file;
}

const StorageEntry* CompoundFile::rootStream(const std::string& name) const
{
    for (const StorageEntry& e : entries_)
        if (e.depth == 1 && !e.isStorage && sameNameIgnoringCase(e.name, name))
            return &e;
    return nullptr;
}

}  // namespace vr::ole
