// The entry evaluator: any text either gives a finite value whose formatted text evaluates to the same
// value again, or is refused with EAssignError.
#include "FuzzSupport.h"
#include "text/Errors.h"
#include "text/Evaluate.h"
#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 4096)
        return 0;
    const std::string text = FuzzText(data, size);
    Extended value = 0;
    try {
        value = EvaluateEntry(text);
    } catch (const EAssignError&) {
        return 0;
    }
    FUZZ_CHECK(std::isfinite(value));
    for (bool hex : {false, true}) {
        const std::string shown = FormatEntry(hex, value);
        try {
            const Extended again = EvaluateEntry(shown);
            FUZZ_CHECK(std::isfinite(again));
            // 18 digits are shown: the value comes back to within their rounding.
            if (!hex)
                FUZZ_CHECK(std::fabs(again - value) <= std::fabs(value) * 1e-17L + 1e-4930L);
        } catch (const EAssignError&) {
            FUZZ_CHECK(hex); // only the hexadecimal form may refuse (fractions, negatives)
        }
    }
    return 0;
}
