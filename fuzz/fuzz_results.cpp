// The results-file reader on any text, followed by the slice table's CSV, as the results window and
// the report would use what it read.
#include "FuzzSupport.h"
#include "model/ResultsFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 262144)
        return 0;
    TResults results;
    QString error;
    if (ParseResults(QByteArray(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)), results,
                     error))
        (void)SlicesCsv(results);
    (void)RemedyFor(QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size)),
                    QStringLiteral("W202"));
    return 0;
}
