#include "tests/support/TLoopbackHttpServer.h"

#include "config/TSystemConfig.h"

#include <httplib.h>

#include <chrono>

TLoopbackHttpServer::TLoopbackHttpServer(THandler handler, std::unique_ptr<httplib::Server> server)
    : FServer(server ? std::move(server) : std::make_unique<httplib::Server>())
{
    FServer->new_task_queue = [] { return new httplib::ThreadPool(48); };
    const auto all = [handler = std::move(handler)](const httplib::Request &request, httplib::Response &response) {
        handler(request, response);
    };
    FServer->Get(".*", all);
    FServer->Post(".*", all);
    FServer->Put(".*", all);
    FServer->Delete(".*", all);
    FServer->Patch(".*", all);
    FServer->Options(".*", all);
    FPort = FServer->bind_to_any_port("127.0.0.1");
    FThread = std::thread([this] { FServer->listen_after_bind(); });
    while (!FServer->is_running())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

TLoopbackHttpServer::~TLoopbackHttpServer() { Stop(); }

void TLoopbackHttpServer::Stop()
{
    FServer->stop();
    if (FThread.joinable())
        FThread.join();
}

void TLoopbackHttpServer::InstallAsSystemConfig() const
{
    if (!SystemConfig)
        SystemConfig = new TSystemConfig;
    SystemConfig->Server = QStringLiteral("http://127.0.0.1");
    SystemConfig->Port = FPort;
}
