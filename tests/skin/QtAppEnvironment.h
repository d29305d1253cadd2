#pragma once
// One Qt application object for a whole test program, made before the first
// test and destroyed after the last. A test file registers it with
//   [[maybe_unused]] auto* const kApp = AddQtAppEnvironment<QApplication>();

#include <gtest/gtest.h>
#include <memory>

template <class App> class QtAppEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        static int argc = 1;
        static char name[] = "skin-test";
        static char* argv[] = {name, nullptr};
        m_app = std::make_unique<App>(argc, argv);
    }
    void TearDown() override { m_app.reset(); }

private:
    std::unique_ptr<App> m_app;
};

template <class App>::testing::Environment* AddQtAppEnvironment() {
    return ::testing::AddGlobalTestEnvironment(new QtAppEnvironment<App>);
}
