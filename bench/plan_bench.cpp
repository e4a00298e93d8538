// Benchmark of full upgrade runs against the catalogue simulator, with a
// fixed wait per round trip standing in for the network and the server.
//
// For each product it runs the upgrade of an empty database and then of the
// database that run left (up to date), both ways of reading the catalogue:
// asking at every operation (a table or column list per operation) and once
// per run (the catalogue picture, the default).  It prints the catalogue
// reads, statements and connection opens of each run, the wall time, and the
// ratio of wall time to the time its round trips alone must take.  Targets:
//
//   - the ratio at most 1.02 at 1 ms per round trip (the program's own time
//     vanishes beside the database's);
//   - peak resident memory at most 40 MB;
//   - an up-to-date run reading once makes at most 1.2 x (statements + 1)
//     catalogue reads and statements: the statements it must send and the
//     one reading at its start, which the picture keeps across reconnects.
//     (The opens themselves, which no way of reading can save, are left out
//     of both sides.)
#include <chrono>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>
#include <fmt/format.h>

#include "upgrade/Platform.h"
#include "products/Products.h"
#include "upgrade/RunDriver.h"
#include "products/StepLists.h"
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

using orvel::CatalogueReads;

struct Measurement {
    int opens = 0;
    int catalogueReads = 0;
    int statements = 0;
    double seconds = 0;

    int roundTrips() const { return opens + catalogueReads + statements; }
};

// One run from the Start button on: the connection opened, the product's
// steps, the reconnects.
Measurement run(const std::string& product, orvel::CatalogueSimulator& db, const orvel::StepRegistry& registry,
                std::chrono::microseconds delay, CatalogueReads reads) {
    orvel::SilentDisplay display;
    orvel::Progress progress(display);
    orvel::FixedOptions options;
    orvel::RunDriver driver(db, progress, registry, options, nullptr, reads);
    db.close();
    db.clearStatements();
    db.setRoundTripDelay(delay);
    const int readsBefore = db.catalogueReads();
    const int opensBefore = static_cast<int>(db.openedWith().size());
    const auto start = std::chrono::steady_clock::now();
    db.open("benchmark");
    driver.RunProduct(product, "benchmark");
    const auto end = std::chrono::steady_clock::now();
    db.setRoundTripDelay({});
    return {static_cast<int>(db.openedWith().size()) - opensBefore, db.catalogueReads() - readsBefore,
            static_cast<int>(db.statements().size()), std::chrono::duration<double>(end - start).count()};
}

const char* nameOf(CatalogueReads reads) { return reads == CatalogueReads::Once ? "once" : "every-operation"; }

}  // namespace

int main(int argc, char** argv) {
    orvel::UseUtf8Locale();
    CLI::App app{"Runs every product's upgrade against the simulator with a fixed delay per round trip, reading the "
                 "catalogue at every operation and once per run"};
    int delayMicroseconds = 1000;
    std::vector<std::string> products;
    app.add_option("--delay-us", delayMicroseconds, "Wait per round trip, in microseconds")->capture_default_str();
    app.add_option("--product", products, "Products to run (default: all with steps)");
    CLI11_PARSE(app, argc, argv);
    if (products.empty())
        for (const auto& p : orvel::Products())
            if (orvel::StepCount(p.id) > 0) products.emplace_back(p.id);

    const orvel::StepRegistry registry = orvel::BuildStepRegistry();
    const std::chrono::microseconds delay(delayMicroseconds);
    fmt::print("{:<9} {:<11} {:<16} {:>6} {:>10} {:>6} {:>11} {:>8} {:>7}\n", "product", "database", "catalogue reads",
               "reads", "statements", "opens", "round trips", "wall s", "ratio");
    double worstRatio = 0;
    std::vector<std::string> targets;
    bool everyTargetMet = true;
    for (const auto& product : products) {
        for (const CatalogueReads reads : {CatalogueReads::EveryOperation, CatalogueReads::Once}) {
            orvel::CatalogueSimulator db;
            for (const char* state : {"empty", "up to date"}) {
                Measurement m;
                try {
                    m = run(product, db, registry, delay, reads);
                } catch (const std::exception& e) {
                    fmt::print("{:<9} {:<11} {:<16} not available: {}\n", product, state, nameOf(reads), e.what());
                    break;
                }
                const double floor = m.roundTrips() * delay.count() / 1e6;
                const double ratio = floor > 0 ? m.seconds / floor : 0;
                if (ratio > worstRatio) worstRatio = ratio;
                fmt::print("{:<9} {:<11} {:<16} {:>6} {:>10} {:>6} {:>11} {:>8.3f} {:>7.4f}\n", product, state,
                           nameOf(reads), m.catalogueReads, m.statements, m.opens, m.roundTrips(), m.seconds, ratio);
                if (reads == CatalogueReads::Once && std::string_view(state) == "up to date") {
                    const int used = m.catalogueReads + m.statements;
                    const double allowed = 1.2 * (m.statements + 1);
                    everyTargetMet = everyTargetMet && used <= allowed;
                    targets.push_back(fmt::format("{:<9} reads + statements {:>4} <= 1.2 x ({} + 1) = {:>6.1f}  {}",
                                                  product, used, m.statements, allowed,
                                                  used <= allowed ? "met" : "MISSED"));
                }
            }
        }
    }
    fmt::print("\nup-to-date runs reading once (target: reads + statements <= 1.2 x (statements + 1))\n");
    for (const auto& line : targets) fmt::print("  {}\n", line);
    const double rssMb = peakRssKilobytes() / 1024.0;
    fmt::print("\nworst ratio {:.4f} (target <= 1.02 at 1000 us)   peak RSS {:.1f} MB (target <= 40 MB)   "
               "round-trip targets {}\n",
               worstRatio, rssMb, everyTargetMet ? "all met" : "NOT all met");
    return 0;
}
