// Benchmark of a full upgrade run against the catalogue simulator, with a
// fixed wait per round trip standing in for the network and the server.
//
// For each product it plans the run on an empty database and then on the
// database that run left (up to date), and prints the round trips (catalogue
// reads and statements), the wall time, the ratio of wall time to the time
// the round trips alone must take, and the peak resident memory.  Targets:
// ratio at most 1.02 at 1 ms per round trip; peak RSS at most 40 MB.
#include <chrono>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>
#include <fmt/format.h>

#include "app/Platform.h"
#include "app/Products.h"
#include "app/RunDriver.h"
#include "app/StepLists.h"
#include "schema/CatalogueSimulator.h"

#ifdef _WIN32
long peakRssKilobytes() { return 0; }
#else
#  include <sys/resource.h>
long peakRssKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}
#endif

namespace {

struct Measurement {
    int opens = 0;
    int catalogueReads = 0;
    int statements = 0;
    double seconds = 0;
};

Measurement plan(const std::string& product, orvel::CatalogueSimulator& db, const orvel::StepRegistry& registry,
                 std::chrono::microseconds delay) {
    orvel::SilentDisplay display;
    orvel::Progress progress(display);
    orvel::FixedOptions options;
    orvel::RunDriver driver(db, progress, registry, options);
    db.clearStatements();
    db.setRoundTripDelay(delay);
    const int readsBefore = db.catalogueReads();
    const int opensBefore = static_cast<int>(db.openedWith().size());
    const auto start = std::chrono::steady_clock::now();
    driver.RunProduct(product, "benchmark");
    const auto end = std::chrono::steady_clock::now();
    db.setRoundTripDelay({});
    return {static_cast<int>(db.openedWith().size()) - opensBefore, db.catalogueReads() - readsBefore,
            static_cast<int>(db.statements().size()),
            std::chrono::duration<double>(end - start).count()};
}

}  // namespace

int main(int argc, char** argv) {
    orvel::UseUtf8Locale();
    CLI::App app{"Plans every product's upgrade against the simulator with a fixed delay per round trip"};
    int delayMicroseconds = 1000;
    std::vector<std::string> products;
    app.add_option("--delay-us", delayMicroseconds, "Wait per round trip, in microseconds")->capture_default_str();
    app.add_option("--product", products, "Products to plan (default: all with steps)");
    CLI11_PARSE(app, argc, argv);
    if (products.empty())
        for (const auto& p : orvel::Products())
            if (orvel::StepCount(p.id) > 0) products.emplace_back(p.id);

    const orvel::StepRegistry registry = orvel::BuildStepRegistry();
    const std::chrono::microseconds delay(delayMicroseconds);
    fmt::print("{:<9} {:<11} {:>8} {:>10} {:>11} {:>9} {:>7}\n", "product", "database", "reads", "statements",
               "round trips", "wall s", "ratio");
    double worstRatio = 0;
    for (const auto& product : products) {
        orvel::CatalogueSimulator db;
        db.open("benchmark");
        for (const char* state : {"empty", "up to date"}) {
            Measurement m;
            try {
                m = plan(product, db, registry, delay);
            } catch (const std::exception& e) {
                fmt::print("{:<9} {:<11} not available: {}\n", product, state, e.what());
                break;
            }
            // Reopening the connection at a reconnect point waits like a round trip too.
            const int roundTrips = m.opens + m.catalogueReads + m.statements;
            const double floor = roundTrips * delay.count() / 1e6;
            const double ratio = floor > 0 ? m.seconds / floor : 0;
            if (ratio > worstRatio) worstRatio = ratio;
            fmt::print("{:<9} {:<11} {:>8} {:>10} {:>11} {:>9.3f} {:>7.4f}\n", product, state, m.catalogueReads,
                       m.statements, roundTrips, m.seconds, ratio);
        }
    }
    const double rssMb = peakRssKilobytes() / 1024.0;
    fmt::print("\nworst ratio {:.4f} (target <= 1.02 at 1000 us)   peak RSS {:.1f} MB (target <= 40 MB)\n",
               worstRatio, rssMb);
    return 0;
}
