#include <gtest/gtest.h>

#include "core/errors.h"
#include "ole/container_stream.h"
#include "ole/ole_error.h"
#include "support/cfb_writer.h"

using namespace vr;
using namespace vr::ole;
using vrtest::Bytes;

namespace {

std::string messageOf(const Bytes& b)
{
    try {
        parseContainerStream(b.data(), b.size());
    } catch (const VError& e) {
        return e.what();
    }
    return "";
}

}  // namespace

TEST(ContainerStream, HeaderFieldsAndStorageBytes)
{
    Bytes b = vrtest::containerStream(4, Bytes{1, 2, 3});
    b.push_back(9);  // after the storage: not read
    const ContainerStream c = parseContainerStream(b.data(), b.size());
    EXPECT_EQ(c.signature, 0x434F4442u);
    EXPECT_EQ(c.drawAspect, 4u);
    EXPECT_EQ(c.storageSize, 3u);
    ASSERT_EQ(c.storage, b.data() + 12);
    EXPECT_EQ(c.storage[2], 3);
}

TEST(ContainerStream, AnotherSignatureIsAnIncorrectStreamFormat)
{
    Bytes b = vrtest::containerStream(1, Bytes(600, 0));
    b[3] = 'D';  // "BDOD"
    EXPECT_EQ(messageOf(b), "Format de flux incorrect");
    EXPECT_EQ(messageOf(Bytes{'b', 'd', 'o', 'c'}), "Format de flux incorrect");
}

TEST(ContainerStream, ShortStreamsAreReadErrors)
{
    EXPECT_EQ(messageOf(Bytes{'B', 'D', 'O'}), "Erreur de lecture du flux");
    EXPECT_EQ(messageOf(Bytes{'B', 'D', 'O', 'C', 1, 0, 0, 0}), "Erreur de lecture du flux");
    // D claims one byte more than the stream holds: nothing is copied, the read fails.
    Bytes b = vrtest::containerStream(1, Bytes(100, 0));
    b.pop_back();
    EXPECT_EQ(messageOf(b), "Erreur de lecture du flux");
    // A size near 4 GB in a 12-byte stream.
    Bytes huge{'B', 'D', 'O', 'C', 1, 0, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(messageOf(huge), "Erreur de lecture du flux");
    // D = 0 is a complete (empty) storage.
    const Bytes empty = vrtest::containerStream(1, Bytes{});
    EXPECT_EQ(parseContainerStream(empty.data(), empty.size()).storageSize, 0u);
}

TEST(OleErrorText, CodeInEightLowerCaseDigits)
{
    EXPECT_STREQ(OleError(kNotCompoundFile).what(), "Erreur OLE 80030050");
    EXPECT_STREQ(OleError(kInvalidHeader).what(), "Erreur OLE 800300fb");
    EXPECT_STREQ(OleError(0x1234).what(), "Erreur OLE 00001234");
}
