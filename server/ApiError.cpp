#include "server/ApiError.h"

ApiError::ApiError(int status, const std::string &userMessage, const std::string &developerMessage)
    : ApiError(status, nlohmann::ordered_json::array({message(userMessage, developerMessage)}))
{ }

ApiError::ApiError(int status, nlohmann::ordered_json messages)
    : std::runtime_error(messages.empty() ? std::string("erro") : messages.front().value("mensagemDesenvolvedor", "")),
      m_status(status),
      m_messages(std::move(messages))
{ }

nlohmann::ordered_json ApiError::message(const std::string &userMessage, const std::string &developerMessage)
{
    return {{"mensagemUsuario", userMessage}, {"mensagemDesenvolvedor", developerMessage}};
}
