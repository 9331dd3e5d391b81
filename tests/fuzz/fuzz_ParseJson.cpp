// ParseJson on any bytes, then every reading at a path taken from the input; the text of a
// parsed value must parse again to the same value.
#include "rest/FormatJson.h"
#include "rest/JsonUtils.h"
#include "tests/fuzz/FuzzInput.h"

#include <cstdlib>

namespace {

template <typename Reading>
void Read(Reading reading)
{
    try {
        reading();
    } catch (const EJsonException &) {
        // The documented failures of a reading.
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const FuzzInput input(data, size);
    const std::optional<TJson> parsed = ParseJson(input.Document);
    if (!parsed)
        return 0;
    const TJson &root = *parsed;
    const QString &path = input.Path;

    Read([&] { (void)GetValueText(root, path); });
    Read([&] { (void)GetValueInt(root, path); });
    Read([&] { (void)GetValueBool(root, path); });
    Read([&] { (void)GetValueJson(root, path).type(); });
    Read([&] { (void)GetValueArray(root, path).size(); });
    Read([&] { (void)GetValueObject(root, path).size(); });
    (void)Contains(root, path);

    const QString text = JsonToText(root);
    const std::optional<TJson> again = ParseJson(text);
    if (!again || *again != root)
        std::abort(); // the program's own output must read back unchanged
    (void)FormatJsonLocally(text);
    return 0;
}
