#pragma once

#include <gtest/gtest.h>

#include <memory>

#include "market_generator.h"
#include "sim_server.h"

namespace tav::test {

// A test suite whose tests share one generated market, served by the
// simulator on 127.0.0.1 for the whole suite. The suite names its market with
// a public static `marketSettings()` and may give `serverOptions()`.
template <typename Suite>
class SimulatorSuite : public ::testing::Test {
  public:
    static quotesim::ServerOptions serverOptions() { return {}; }

  protected:
    static void SetUpTestSuite() {
        market_ =
            std::make_unique<quotesim::Market>(quotesim::generateMarket(Suite::marketSettings()));
        server_ = std::make_unique<quotesim::SimServer>(*market_, Suite::serverOptions());
        ASSERT_GT(server_->start(0), 0);
    }
    static void TearDownTestSuite() {
        server_.reset();
        market_.reset();
    }

    static inline std::unique_ptr<quotesim::Market> market_;
    static inline std::unique_ptr<quotesim::SimServer> server_;
};

}  // namespace tav::test
