#include "runtime/string.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <thread>
#include <vector>

#include "runtime/string_heap.h"

namespace {

// The check reports go to the console (standard output); death tests read standard error.
void ConsoleToStandardError() { dup2(2, 1); }

TEST(String, LiteralStaysConstantUntilShared) {
  String text = "hello";
  EXPECT_TRUE(text.IsConstant());
  String empty = "";
  EXPECT_EQ(empty.Word(), 0u);

  String copy = text;
  EXPECT_TRUE(IsHandle(copy.Word()));
  EXPECT_EQ(copy.ReferenceCount(), 1);
  EXPECT_EQ(copy, "hello");
}

TEST(String, WritingIntoSharedStringMakesPrivateCopy) {
  String first = String::Copy("abc");
  String second = first;
  EXPECT_EQ(first.Word(), second.Word());
  EXPECT_EQ(first.ReferenceCount(), 2);

  second.PutChar(1, 'X');
  EXPECT_EQ(first, "abc");
  EXPECT_EQ(second, "aXc");
  EXPECT_NE(first.Word(), second.Word());
  EXPECT_EQ(first.ReferenceCount(), 1);
  EXPECT_EQ(second.ReferenceCount(), 1);
}

TEST(String, AppendingGrowsInPlaceWithinSizeClass) {
  String text;
  text.Append('a');
  StringWord word = text.Word();
  const char* block = text.Data();
  EXPECT_EQ(text.BlockSize(), 32);
  for (int i = 1; i < 31; ++i) text.Append('a');
  EXPECT_EQ(text.Length(), 31);
  EXPECT_EQ(text.Word(), word);
  EXPECT_EQ(text.Data(), block);
  EXPECT_EQ(text.BlockSize(), 32);

  text.Append('b');
  EXPECT_EQ(text.Length(), 32);
  EXPECT_EQ(text.BlockSize(), 64);
  EXPECT_NE(text.Word(), word);
  EXPECT_EQ(text.View(), std::string(31, 'a') + "b");
}

TEST(String, HoldsZeroBytes) {
  String bytes = String::Copy(std::string_view("a\0b", 3));
  EXPECT_EQ(bytes.Length(), 3);
  bytes.Append('\0');
  EXPECT_EQ(bytes.View(), std::string_view("a\0b\0", 4));
  EXPECT_EQ(bytes.Data()[4], '\0');
}

TEST(String, EditingOperations) {
  struct Case {
    const char* name;
    void (*edit)(String&);
    std::string_view expected;
  };
  const Case cases[] = {
      {"insert", [](String& s) { s.Insert(2, "XY"); }, "abXYcdef"},
      {"delete", [](String& s) { s.Delete(1, 3); }, "aef"},
      {"delete past end", [](String& s) { s.Delete(4, 100); }, "abcd"},
      {"splice", [](String& s) { s.Splice(1, 2, "1234"); }, "a1234def"},
      {"negative position", [](String& s) { s.Insert(-5, "<"); }, "<abcdef"},
      {"shorten keeping", [](String& s) { s.SetLength(2); }, "ab"},
      {"lengthen keeping", [](String& s) { s.SetLength(8); }, std::string_view("abcdef\0\0", 8)},
      {"clear by length", [](String& s) { s.SetLength(0); }, ""},
      {"append self", [](String& s) { s.Append(s); }, "abcdefabcdef"},
      {"splice own text", [](String& s) { s.Splice(0, 1, s.View().substr(3)); }, "defbcdef"},
  };
  for (const Case& c : cases) {
    String text = String::Copy("abcdef");
    c.edit(text);
    EXPECT_EQ(text.View(), c.expected) << c.name;
  }
}

TEST(String, EditingSharedStringLeavesOtherCopy) {
  String original = String::Copy("shared text");
  String copy = original;
  copy.Insert(0, ">");
  copy.SetLength(4);
  EXPECT_EQ(original, "shared text");
  EXPECT_EQ(copy, ">sha");
}

TEST(String, LengthIsCappedAtMaximum) {
  String text;
  text.SetLength(MaxStringLength + 100);
  EXPECT_EQ(text.Length(), MaxStringLength);
  text.Append("more");
  EXPECT_EQ(text.Length(), MaxStringLength);
  text.Insert(0, "front");
  EXPECT_EQ(text.Length(), MaxStringLength);
  EXPECT_EQ(text.View().substr(0, 5), "front");
}

TEST(String, SubstringClipsToSource) {
  String text = "abcdef";
  EXPECT_EQ(text.Substring(4, 10), "ef");
  EXPECT_EQ(text.Substring(-3, 2), "ab");
  EXPECT_EQ(text.Substring(10, 2), "");
  EXPECT_EQ(text[5], 'f');
  EXPECT_EQ(text[6], '\0');
  EXPECT_EQ(text[-1], '\0');
}

TEST(String, CompareOrdersBytewiseThenByLength) {
  struct Case {
    std::string_view a, b;
    int expected;
  };
  const Case cases[] = {
      {"", "A", -1}, {"AB", "A", 1}, {"a", "A", 1}, {"", "", 0},
      {"abc", "abd", -1}, {"\xff", "a", 1}, {std::string_view("a\0", 2), "a", 1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(String::Compare(c.a, c.b), c.expected) << c.a << " vs " << c.b;
  }
  EXPECT_EQ(String(), String::Copy(""));
}

TEST(String, FreedEntriesAreReusedLastFreedFirst) {
  String a = String::Copy("a");
  String b = String::Copy("b");
  StringWord bWord = b.Word();
  StringWord aWord = a.Word();
  b.Clear();
  a.Clear();
  String c = String::Copy("c");
  String d = String::Copy("d");
  EXPECT_EQ(c.Word(), aWord);
  EXPECT_EQ(d.Word(), bWord);
}

TEST(String, ReferenceCountAtMaximumCopiesInsteadOfOverflowing) {
  String text = String::Copy("many");
  std::vector<String> copies(MaxReferences - 1, text);
  EXPECT_EQ(text.ReferenceCount(), MaxReferences);
  String oneMore = text;
  EXPECT_NE(oneMore.Word(), text.Word());
  EXPECT_EQ(oneMore, "many");
}

TEST(String, TableGrowsAndEarlierHandlesStayValid) {
  StringHeapStatistics before = GetStringHeapStatistics();
  String first = String::Copy("first");
  std::vector<String> strings;
  strings.reserve(before.tableEntries);
  for (uint32_t i = 0; i < before.tableEntries; ++i) strings.push_back(String::Copy("x"));
  EXPECT_EQ(GetStringHeapStatistics().tableEntries, before.tableEntries + TableStep);
  EXPECT_EQ(first, "first");
  first.Append("!");
  EXPECT_EQ(first, "first!");
  CheckStringHeap();
  strings.clear();
  EXPECT_EQ(GetStringHeapStatistics().entriesInUse, before.entriesInUse + 1);
}

TEST(String, CopiesAcrossThreadsKeepCountsRight) {
  String shared = String::Copy("shared between threads");
  auto work = [&] {
    for (int i = 0; i < 20000; ++i) {
      String copy = shared;
      copy.Append('x');
    }
  };
  std::thread one(work), two(work);
  one.join();
  two.join();
  EXPECT_EQ(shared.ReferenceCount(), 1);
  CheckStringHeap();
}

using StringDeathTest = ::testing::Test;

TEST_F(StringDeathTest, ErrorsEndTheProgramWithTheirMessage) {
  EXPECT_EXIT(
      {
        ConsoleToStandardError();
        String text = String::Copy("abc");
        text.PutChar(3, 'x');
      },
      ::testing::ExitedWithCode(1), "\r?\n_PutStringElement: Index out of range:runtime/string_test.cpp:.+\r?\n");

  EXPECT_EXIT(
      {
        ConsoleToStandardError();
        String text = String::Copy("abc");
        const_cast<char*>(text.Data())[32] = 'x';  // one past the 32-byte payload
        text.Clear();
      },
      ::testing::ExitedWithCode(1), "STRING HEAP WRITE OUT OF BOUNDS \\(OVER\\):.*\r?\nstring:runtime/string_test.cpp");

  EXPECT_EXIT(
      {
        ConsoleToStandardError();
        String text = String::Copy("abc");
        const_cast<char*>(text.Data())[-1] = 'x';
        text.Clear();
      },
      ::testing::ExitedWithCode(1), "STRING HEAP WRITE OUT OF BOUNDS \\(UNDER\\)");

  // A byte copy of a String holds the handle without a reference of its own, as a
  // stale copy of a handle would.
  EXPECT_EXIT(
      {
        ConsoleToStandardError();
        auto* text = new String(String::Copy("abc"));
        alignas(String) unsigned char stale[sizeof(String)];
        std::memcpy(stale, text, sizeof(String));
        delete text;
        reinterpret_cast<String*>(stale)->~String();
      },
      ::testing::ExitedWithCode(1), "string heap: attempt to free unused block");

  EXPECT_EXIT(
      {
        ConsoleToStandardError();
        auto* text = new String(String::Copy("abc"));
        alignas(String) unsigned char stale[sizeof(String)];
        std::memcpy(stale, text, sizeof(String));
        delete text;
        String copy = *reinterpret_cast<String*>(stale);
      },
      ::testing::ExitedWithCode(1), "string heap: refcount error");
}

TEST_F(StringDeathTest, ConsistencyCheckFindsCorruption) {
  struct Case {
    void (*corrupt)(StringWord handle);
    const char* message;
  };
  const Case cases[] = {
      {[](StringWord h) { EntryOf(h).references = 0; }, "unreferenced block in use"},
      {[](StringWord h) { EntryOf(h).flags = 0; }, "free block in use"},
      {[](StringWord h) { EntryOf(h).data = h; }, "used block data is pointing into table"},
      {[](StringWord h) { EntryOf(h).data = 0; }, "used block data is zero"},
  };
  for (const Case& c : cases) {
    EXPECT_EXIT(
        {
          ConsoleToStandardError();
          String text = String::Copy("abc");
          {
            std::lock_guard guard(StringHeapLock());
            c.corrupt(text.Word());
          }
          CheckStringHeap();
          std::exit(0);
        },
        ::testing::ExitedWithCode(1), c.message);
  }
}

}  // namespace
