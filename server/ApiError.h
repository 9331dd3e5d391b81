#pragma once

#include <nlohmann/json.hpp>

#include <stdexcept>
#include <string>

// A failure answered to the client: an HTTP status and a JSON array of
// {"mensagemUsuario", "mensagemDesenvolvedor"} objects, the shape the client reads for 400.
class ApiError final : public std::runtime_error
{
public:
    ApiError(int status, const std::string &userMessage, const std::string &developerMessage);
    ApiError(int status, nlohmann::ordered_json messages);

    int status() const { return m_status; }
    const nlohmann::ordered_json &messages() const { return m_messages; }

    static nlohmann::ordered_json message(const std::string &userMessage, const std::string &developerMessage);

private:
    int m_status;
    nlohmann::ordered_json m_messages;
};
