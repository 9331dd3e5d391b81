// FindJsonValue with any path on any parsed document: it never raises, and what it finds lies in
// the document.
#include "rest/JsonUtils.h"
#include "tests/fuzz/FuzzInput.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const FuzzInput input(data, size);
    const std::optional<TJson> parsed = ParseJson(input.Document);
    if (!parsed)
        return 0;
    const TJson *found = FindJsonValue(*parsed, input.Path);
    if (found && found->dump().empty())
        std::abort();
    return 0;
}
