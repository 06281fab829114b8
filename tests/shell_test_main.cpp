// The window tests' entry point: one QApplication for the whole run, created before the first
// test and destroyed after the last. Listing the tests needs no display.
#include <gtest/gtest.h>

#include <QApplication>
#include <memory>

#include "shell/startup.h"

namespace {

class QtApplicationEnvironment : public testing::Environment {
 public:
  QtApplicationEnvironment(int& argc, char** argv) : argc_(argc), argv_(argv) {}

  void SetUp() override {
    veltrano::DisableWebEngineSandboxForRoot();
    application_ = std::make_unique<QApplication>(argc_, argv_);
  }
  void TearDown() override { application_.reset(); }

 private:
  int& argc_;
  char** argv_;
  std::unique_ptr<QApplication> application_;
};

}  // namespace

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  testing::AddGlobalTestEnvironment(new QtApplicationEnvironment(argc, argv));
  return RUN_ALL_TESTS();
}
