// ole_environment.cpp: prepares the test thread as the program prepares its own: OLE for
// drag and drop, which also brings COM for the common dialogs.
#include <windows.h>
#include <ole2.h>

#include <gtest/gtest.h>

namespace {

class OleEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr))); }
  void TearDown() override { OleUninitialize(); }
};

const ::testing::Environment* const oleEnvironment =
    ::testing::AddGlobalTestEnvironment(new OleEnvironment);

}  // namespace
