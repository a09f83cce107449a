#include "runtime/check.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "runtime/record_heap.h"

namespace {

void ConsoleToStandardError() { dup2(2, 1); }

TEST(CheckIndex, BoundsAndUnboundedCounts) {
  EXPECT_EQ(CheckIndex(4, 5), 4);
  EXPECT_EQ(CheckIndex(5, 0), 5);
  EXPECT_EQ(CheckIndex(1000, -1), 1000);
}

using CheckDeathTest = ::testing::Test;

TEST_F(CheckDeathTest, ReportsNameModuleAndLine) {
  EXPECT_EXIT((ConsoleToStandardError(), CheckIndex(5, 5)), ::testing::ExitedWithCode(1),
              "\r?\nArray index out of bounds:runtime/check_test.cpp:.+\r?\n");
  EXPECT_EXIT((ConsoleToStandardError(), CheckIndex(-1, 0)), ::testing::ExitedWithCode(1),
              "Array index out of bounds");
  EXPECT_EXIT((ConsoleToStandardError(), RunTimeError("generic/module", 12, "OUT OF HEAP SPACE")),
              ::testing::ExitedWithCode(1), "\r?\nOUT OF HEAP SPACE:generic/module:12\r?\n");
  EXPECT_EXIT((ConsoleToStandardError(), Assert(false)), ::testing::ExitedWithCode(1),
              "\r?\nAssert Failed:runtime/check_test.cpp:.+\r?\n");
  EXPECT_EXIT((ConsoleToStandardError(), CheckPointer(static_cast<int*>(nullptr))),
              ::testing::ExitedWithCode(1), "\r?\nBad pointer:runtime/check_test.cpp:.+\r?\n");
  EXPECT_EXIT(FatalSystemError(ENOENT), ::testing::ExitedWithCode(1),
              "^Fatal error: No such file or directory\n$");
}

TEST_F(CheckDeathTest, RecordHeapGuardsBothEnds) {
  void* record = AllocateRecord(40);
  static_cast<char*>(record)[39] = 'x';
  FreeRecord(record);

  EXPECT_EXIT(
      {
        ConsoleToStandardError();
        char* bytes = static_cast<char*>(AllocateRecord(40));
        bytes[40] = 'x';
        FreeRecord(bytes);
      },
      ::testing::ExitedWithCode(1), "HEAP WRITE OUT OF BOUNDS \\(OVER\\)");
  EXPECT_EXIT(
      {
        ConsoleToStandardError();
        char* bytes = static_cast<char*>(AllocateRecord(40));
        bytes[-1] = 'x';
        FreeRecord(bytes);
      },
      ::testing::ExitedWithCode(1), "HEAP WRITE OUT OF BOUNDS \\(UNDER\\)");
}

}  // namespace
