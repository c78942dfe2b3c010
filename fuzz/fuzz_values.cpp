// Values files and pasted text of the chart-backed tables: any text fills rows or is refused with the
// entry message; every stored value is finite in double precision (the chart draws in double).
#include "FuzzSupport.h"
#include "tables/TableSet.h"
#include "text/Errors.h"
#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 65536)
        return 0;
    FuzzEnsureGuiApplication();
    static TCoreContext context{nullptr, [](TMessageKind, const std::string&) {}};
    static TTableSet set(&context);
    const std::string text = FuzzText(data, size);
    for (TGridTableChart* table : {&set.FailSurfaceChart(), &set.BoundCood()}) {
        table->SetRowCount(0);
        try {
            if (size % 2)
                table->PasteValues(text);
            else
                table->ReadValuesFromFile(FuzzFile("values.txt", text));
        } catch (const EBrevantoError&) {
        }
        for (int r = 0; r < table->RowCount(); ++r)
            for (int c = 0; c < table->ColumnCount(); ++c)
                if (dynamic_cast<TFloatColumn*>(&table->Column(c)))
                    FUZZ_CHECK(std::isfinite(static_cast<double>(table->Cell(c, r).GetFloat())));
    }
    return 0;
}
