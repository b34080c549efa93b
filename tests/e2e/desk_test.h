#pragma once
// What every whole-program test shares: the desk, and no settings of the program's before
// the test and after it.
#include <gtest/gtest.h>

#include "tests/e2e/desk_win.h"

namespace e2e {

class Desk : public ::testing::Test {
  protected:
    void SetUp() override { DeleteProgramKey(); }
    void TearDown() override { DeleteProgramKey(); }
};

}  // namespace e2e
