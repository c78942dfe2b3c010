// The word reader on any text: lines, words, floats and integers until the text ends or a word is not
// what was asked for. Only the reader's own input/output error may come out.
#include "FuzzSupport.h"
#include "text/Errors.h"
#include "text/WordRead.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text = FuzzText(data, size);
    for (int mode = 0; mode < 3; ++mode) {
        try {
            TWordReader reader =
                mode == 2 ? TWordReader(FuzzFile("words.txt", text)) : TWordReader::FromText(text);
            for (int i = 0; i < 100000 && !reader.AtEnd(); ++i) {
                switch ((i + mode) % 4) {
                case 0:
                    reader.ReadFloat();
                    break;
                case 1:
                    reader.ReadInteger();
                    break;
                case 2:
                    reader.ReadWord();
                    break;
                default:
                    reader.ReadLine();
                }
            }
        } catch (const EInOutError&) {
        }
    }
    return 0;
}
