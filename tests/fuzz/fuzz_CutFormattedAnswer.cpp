// Cutting the formatted text out of any service answer: the first line of the input is the JSON
// that was sent, the rest the answer. An answer without the copy marker gives the input back.
#include "rest/FormatJson.h"
#include "tests/fuzz/FuzzInput.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const FuzzInput input(data, size);
    const QString answer = QString::fromUtf8(input.Document.data(), qsizetype(input.Document.size()));
    const QString result = CutFormattedAnswer(answer, input.Path);
    if (!answer.contains(QLatin1String("jsoncopy\":\"")) && result != input.Path)
        std::abort();
    (void)CutFormattedAnswer(QString::fromLatin1(input.Document.data(), qsizetype(input.Document.size())), input.Path);
    return 0;
}
