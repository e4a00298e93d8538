// Scratch databases on the live server, made and dropped through the ODBC
// adapter.
#include "LiveServer.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "schema/OdbcDatabase.h"

#ifdef _WIN32
#  include <process.h>
#  define ORVEL_PROCESS_ID _getpid()
#else
#  include <unistd.h>
#  define ORVEL_PROCESS_ID getpid()
#endif

namespace orvel::test {

std::optional<std::string> LiveServerConnection() {
    const char* value = std::getenv("ORVEL_TEST_ODBC");
    if (!value || !*value) return std::nullopt;
    return std::string(value);
}

ScratchDatabase::ScratchDatabase(std::string_view prefix) {
    auto server = LiveServerConnection();
    if (!server) throw std::logic_error("ScratchDatabase needs ORVEL_TEST_ODBC");
    server_ = *server;
    static std::atomic<int> made{0};
    const auto stamp = std::chrono::system_clock::now().time_since_epoch() / std::chrono::milliseconds(1);
    name_ = std::string(prefix) + std::to_string(ORVEL_PROCESS_ID) + "_" + std::to_string(stamp % 100000000) + "_" +
            std::to_string(made++);
    OdbcDatabase admin;
    admin.open(server_);
    admin.execute("CREATE DATABASE " + name_);
}

ScratchDatabase::~ScratchDatabase() {
    try {
        OdbcDatabase admin;
        admin.open(server_);
        admin.execute("DROP DATABASE " + name_);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "could not drop the scratch database %s: %s\n", name_.c_str(), e.what());
    }
}

std::string ScratchDatabase::connectionString() const { return server_ + ";Database=" + name_; }

}  // namespace orvel::test
