// Writes fuzz seeds under the folder given as the argument (tests/fuzz-seeds): for the
// embedded-object target, container streams around compound files written by libgsf and one bare
// presentation stream; for the document target, the tour's page of embedded objects and a drawn
// table as a one-page document.
#include <cstdio>
#include <string>

#include "sample_ole.h"
#include "sample_pictures.h"
#include "support/cfb_writer.h"

using vrtest::Bytes;

namespace {

Bytes withoutPlaceableHeader(const Bytes& wmf)
{
    return Bytes(wmf.begin() + 22, wmf.end());
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make-ole-seeds SEEDS_FOLDER\n");
        return 2;
    }
    const std::string folder = std::string(argv[1]) + "/ole_fuzzer";
    const Bytes house = withoutPlaceableHeader(samples::houseWmf());
    const Bytes ole{1, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    const Bytes compObj(40, 0);
    auto save = [&](const std::string& name, const Bytes& bytes) { vrtest::writeFile(folder + "/" + name, bytes); };

    save("metafile.bdoc",
         vrtest::containerStream(
             1,
             vrtest::compoundFile({{"\x01Ole", ole},
                                   {"\x01"
                                    "CompObj",
                                    compObj},
                                   {"\x02OlePres000", vrtest::presentationStream(3, 1, 1764, 1764, house)}},
                                  vrtest::worksheetClass())));
    save("icon-and-bitmap.bdoc",
         vrtest::containerStream(
             4,
             vrtest::compoundFile(
                 {{"\x01Ole", ole},
                  {"\x02OlePres000", vrtest::presentationStream(3, 4, 846, 846, house)},
                  {"\x02OlePres001", vrtest::presentationStream(8, 1, 1270, 847, vrtest::dib(48, 32, 0x30A0F0))},
                  {"ObjectPool/_1/\x01Ole", ole}})));
    save("emf.bdoc",
         vrtest::containerStream(
             1,
             vrtest::compoundFile(
                 {{"\x02OlePres000", vrtest::presentationStream(14, 1, 2645, 2645, samples::flowerEmf())}}, {}, 4096)));
    save("static-dib.bdoc",
         vrtest::containerStream(1,
                                 vrtest::compoundFile({{"CONTENTS", samples::tilesBmp()}}, vrtest::staticDibClass())));
    save("static-metafile.bdoc",
         vrtest::containerStream(
             1, vrtest::compoundFile({{"CONTENTS", samples::houseWmf()}}, vrtest::staticMetafileClass())));
    save("presentation.bin", vrtest::presentationStream(3, 1, 2540, 1270, vrtest::filledWmf(100, 50, 0x0000FF)));
    vrtest::VpgWriter page;
    samples::oleAndTables(page, "P1");
    Bytes doc{0};  // the document target's first byte: a page layout
    vrtest::append(doc, page.bytes());
    vrtest::writeFile(std::string(argv[1]) + "/load_fuzzer/ole-table.vpg.bin", doc);
    return 0;
}
