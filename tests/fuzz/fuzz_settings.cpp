// Any bytes as the settings file. The reader must accept exactly what the
// general-purpose JSON library accepts under the file's rules, with the same
// values. A file the store refuses must come back as a fresh state that is
// never saved; a file it accepts must survive saving and reading again
// unchanged, save to the same bytes twice, in the form the library writes.
// Crashes, leaks, hangs and broken oracles abort.

#include "model/LayoutJson.h"
#include "model/ProfileStore.h"
#include "support/ReferenceJson.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace stellwick;

namespace {

[[noreturn]] void broken(const char* what) {
    std::fprintf(stderr, "settings oracle broken: %s\n", what);
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const std::optional<json::Document> document = json::Document::parse(bytes);
    const std::optional<nlohmann::json> reference = test::referenceParse(bytes);
    if (document.has_value() != reference.has_value())
        broken(document ? "accepted what the reference refuses" : "refused what the reference accepts");
    if (document && !test::sameValue(document->root(), *reference))
        broken("a value differs from the reference");

    const LoadResult loaded = ProfileStore::interpret(bytes, Date{1.0});
    if (loaded.canSave == loaded.warning.has_value())
        broken(loaded.canSave ? "an accepted file gives a warning" : "a refused file gives no warning");
    if (!loaded.canSave)
        return 0;

    const std::optional<QByteArray> saved = encodeState(loaded.state);
    if (!saved)
        broken("an accepted state cannot be saved");
    const LoadResult reread = ProfileStore::interpret(*saved, Date{2.0});
    if (!reread.canSave)
        broken("a saved state is refused on reading");
    if (!(reread.state == loaded.state))
        broken("a saved state reads back different");
    if (encodeState(reread.state) != saved)
        broken("saving the same state twice gives different bytes");
    if (!test::isReferencePretty(*saved))
        broken("the saved form differs from the reference's");
    return 0;
}
