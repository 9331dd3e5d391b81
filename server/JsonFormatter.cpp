#include "server/JsonFormatter.h"

#include <nlohmann/json.hpp>

std::string JsonFormatter::answer(const std::string &jsonData, const std::string &standard, const std::string &templ)
{
    using Json = nlohmann::ordered_json;
    Json answer = Json::object();
    answer["jsonstandard"] = standard;
    // ordered_json keeps the members in the order they were written.
    const Json parsed = Json::parse(jsonData, nullptr, false);
    const bool valid = !parsed.is_discarded() && !jsonData.empty();
    answer["jsoncopy"] = valid ? parsed.dump(4, ' ', false, Json::error_handler_t::replace) : std::string();
    answer["template"] = templ;
    answer["valid"] = valid ? 1 : 0;
    // dump() escapes line breaks and quotes inside "jsoncopy", so the answer stays on one line.
    return answer.dump(-1, ' ', false, Json::error_handler_t::replace) + "\n";
}
