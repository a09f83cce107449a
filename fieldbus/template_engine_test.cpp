#include "fieldbus/template_engine.h"

#include <gtest/gtest.h>

#include <string>

#include "fieldbus/table_fixture.h"
#include "fieldbus/text_stream.h"

namespace {

class TemplateEngineTest : public TableFixture {
 protected:
  void SetUp() override {
    TableFixture::SetUp();
    Load("1,Weight,OUTPUT,4,REAL32,0,1,0,0,kg,\r\n"
         "2,Status,OUTPUT,2,BITS16,0,1,0,0,,\"Run,,Stop\"\r\n"
         "3,Command,INPUT,2,BITS16,0,1,0,0,,\"Zero,Tare\"\r\n");
  }

  // The expansion of a template; false results are checked by the caller.
  std::string Expand(std::string_view text, bool expectSuccess = true) {
    std::string output;
    TextStream stream(output);
    EXPECT_EQ(GenerateConfigurationFile(text, stream), expectSuccess) << text;
    return output;
  }
};

TEST_F(TemplateEngineTest, PlaceholdersAndTabStops) {
  struct Case {
    std::string text;
    std::string output;
  };
  for (const auto& [text, output] : {
           Case{"%Count+1%", "4"},
           Case{"0123456789%Tab=40%|", "0123456789" + std::string(30, ' ') + "|"},
           Case{std::string(45, 'x') + "%Tab=40%|", std::string(45, 'x') + "|"},
           // The column counts from the last line end, also inside a value.
           Case{"abc\r\n%Tab=4%|", "abc\r\n    |"},
           Case{"abc\r%Tab=4%|", "abc\r    |"},
           Case{"%Tab=Count+1%|", "    |"},
           Case{"%tab=2%|%TAB=5%|", "  |  |"},
           // A line end cuts an unclosed placeholder and is not written.
           Case{"a%Count\r\nb", "a3\nb"},
           Case{"end %Count", "end 3"},
           Case{"50%% done", "50%% done"},
           Case{"%Nothing% stays", "%Nothing% stays"},
       }) {
    EXPECT_EQ(Expand(text), output) << text;
  }
}

TEST_F(TemplateEngineTest, AnUnknownKeyStaysWithBothErrorLines) {
  EXPECT_EQ(Expand("a %Nothing% b"), "a %Nothing% b");
  EXPECT_TRUE(console.Said("Lookup not found: Nothing")) << console.Text();
  EXPECT_TRUE(console.Said("Evaluate syntax error <Nothing> in expression Nothing"));
}

TEST_F(TemplateEngineTest, BlocksRepeatPerRowOfTheirKind) {
  struct Case {
    const char* text;
    const char* output;
  };
  for (auto [text, output] : {
           Case{"{%Index+1%,}", "1,2,3,"},
           Case{"{OUTPUT=%DataName%;}", "Weight;Status;"},
           Case{"{input=%DataName%;}", "Command;"},
           Case{"{BITS=%DataAddress%.%BitNo%=%BitName% }", "2.0=Run 2.2=Stop 3.0=Zero 3.1=Tare "},
           // Braces in a bit body are text.
           Case{"{BITS=<{%BitNo%}>}", "<{0}><{2}><{0}><{1}>"},
           // Text after an inner bit block comes once per row, after the bit lines.
           Case{"{OUTPUT=[%DataName%:{BITS=%BitName%,}.]}", "[Weight:.][Status:Run,Stop,.]"},
           Case{"{%DataName%{bits=<%BitNo%>}\r\n}", "Weight\r\nStatus<0><2>\r\nCommand<0><1>\r\n"},
       }) {
    EXPECT_EQ(Expand(text), output) << text;
  }
}

TEST_F(TemplateEngineTest, BeforeTheFirstBlockTheFirstRowIsCurrentAfterItNone) {
  // After a block INDEX equals the row count.
  EXPECT_EQ(Expand("%DataName% %Index%{}|%DataName%|%Index%|%DataSize%"), "Weight 0||3|0");
}

TEST_F(TemplateEngineTest, StructuralFaultsStopWithTheirMessage) {
  struct Case {
    std::string text;
    const char* written;
    const char* message;
  };
  for (const auto& [text, written, message] : {
           Case{"ab{OUTPUT=x{BITS={y}}}cd", "ab", " nesting too deep"},
           Case{"ab{OUTPUT=x", "ab", " unexpected end"},
           Case{"ab{x{BITS=y}", "ab", " unexpected end"},
           Case{std::string("ab\0cd", 5), "ab", " unexpected end"},
           Case{std::string("{x\0}", 4), "", " unexpected end"},
           Case{"ab{[%DataName%{NAMES=y}]}cd", "ab[Weight", " expected bits"},
       }) {
    console.Clear();
    EXPECT_EQ(Expand(text, false), written) << text;
    EXPECT_TRUE(console.Said(std::string("GenerateConfigurationFile") + message))
        << text << ": " << console.Text();
  }
}

TEST_F(TemplateEngineTest, EachLookupAndTheFinishedTemplateAdvanceTheProgressBar) {
  Expand("{%DataName%}%Nothing%");
  EXPECT_EQ(ProgressTicks(), 3 + 1);
}

TEST_F(TemplateEngineTest, RunawayTabStopsStayBounded) {
  std::string output = Expand("%Tab=999999999%|");
  EXPECT_LE(output.size(), 1025u);
  EXPECT_EQ(output.back(), '|');
}

}  // namespace
