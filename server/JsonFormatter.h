#pragma once

#include <string>

// The JSON formatting service behind POST /process. Its answer is one line of JSON: for valid
// input {"jsonstandard":..,"jsoncopy":"<pretty JSON, escaped>","template":..,"valid":1}, for
// invalid input the same members with an empty "jsoncopy" and "valid":0 last, so a client can cut
// the text between "jsoncopy":" and ","template" or see "valid":0 after jsonstandard".
class JsonFormatter final
{
public:
    static std::string answer(const std::string &jsonData, const std::string &standard, const std::string &templ);
};
