#include "fieldbus/evaluate.h"

#include <gtest/gtest.h>

#include <string>

#include "fieldbus/table_fixture.h"

namespace {

class EvaluateTest : public TableFixture {
 protected:
  void SetUp() override {
    TableFixture::SetUp();
    Load("4660,Gross weight,OUTPUT,4,REAL32,-1000,1000.5,12.25,2,kg,\r\n"
         "2,b,INPUT,2,BOOL,0,1,0,0,,\r\n"
         "3,c,INPUT,2,BOOL,0,1,0,0,,\r\n");
  }
};

TEST_F(EvaluateTest, ValuesAndArithmetic) {
  struct Case {
    const char* source;
    const char* value;
  };
  for (auto [source, value] : {
           Case{"Count+1", "4"},
           Case{"count + 1", "4"},
           Case{"Index+1", "1"},
           // DATAADDRESS is written as the address but has the number 0.
           Case{"DataAddress", "4660"},
           Case{"DataAddress+1", "1"},
           Case{"DataName", "Gross weight"},
           Case{"MaxValue", "1000.5"},
           Case{"007", "007"},
           Case{"1.50", "1.50"},
           Case{"1.50*1", "1.5"},
           Case{"2+3*4", "14"},
           Case{"2*3-4/8", "5.5"},
           Case{"10-2-3", "5"},
           Case{"-Count", "-3"},
           Case{"-Count*-2", "6"},
           Case{"1/3", "0.3333333"},
           Case{"16777216+1", "16777220"},  // single precision: 16777217 is not a float
           // Text after a complete expression is ignored.
           Case{"5 6", "5"},
           Case{"  InputSize  ", "4"},
       }) {
    EXPECT_EQ(Evaluate(source), value) << source;
  }
  EXPECT_FALSE(console.Said("syntax error")) << console.Text();
}

TEST_F(EvaluateTest, ErrorsGiveThePlaceholderBackAndTheirLines) {
  struct Case {
    const char* source;
    const char* token;
  };
  for (auto [source, token] : {
           Case{"Nothing", "Nothing"},
           Case{"Count+Nothing", "Nothing"},
           Case{"5#", "#"},
           Case{"Count+", ""},
           Case{"*2", "*"},
           Case{"- -1", "-"},
           Case{"", ""},
       }) {
    console.Clear();
    EXPECT_EQ(Evaluate(source), "%" + std::string(source) + "%") << source;
    std::string line = "Evaluate syntax error <" + std::string(token) + "> in expression " + source;
    EXPECT_TRUE(console.Said(line)) << source << ": " << console.Text();
  }
}

TEST_F(EvaluateTest, AnUnknownKeyWritesBothLinesInOrder) {
  Evaluate("Nothing");
  size_t lookup = console.Text().find("Lookup not found: Nothing");
  size_t evaluate = console.Text().find("Evaluate syntax error <Nothing> in expression Nothing");
  ASSERT_NE(lookup, std::string::npos) << console.Text();
  ASSERT_NE(evaluate, std::string::npos) << console.Text();
  EXPECT_LT(lookup, evaluate);
}

}  // namespace
