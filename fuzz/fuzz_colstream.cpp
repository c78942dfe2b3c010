// The column-definition stream: its readable text form must read back to the same bytes, and a table
// reading any stream either takes it or refuses it with one of our errors.
#include "FuzzSupport.h"
#include "tables/ColStream.h"
#include "tables/Table.h"
#include "text/Errors.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 65536)
        return 0;
    FuzzEnsureGuiApplication();
    const std::string text = FuzzText(data, size);
    std::string bytes;
    try {
        bytes = ValuesFromText(text);
    } catch (const EBrevantoError&) {
    }
    if (!bytes.empty()) {
        std::string again;
        try {
            again = ValuesFromText(ValuesToText(bytes));
        } catch (const EBrevantoError&) {
            FUZZ_CHECK(false); // what we wrote must read back
        }
        FUZZ_CHECK(again == bytes);
    }
    const std::string* const streams[] = {&text, &bytes};
    for (const std::string* stream : streams) {
        TGridTable table;
        try {
            table.ReadCol(*stream);
            table.SetRowCount(3);
            const std::string written = table.WriteCol();
            TGridTable copy;
            copy.ReadCol(written);
            FUZZ_CHECK(copy.WriteCol() == written);
        } catch (const EBrevantoError&) {
        }
    }
    return 0;
}
