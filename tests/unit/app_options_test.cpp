#include <gtest/gtest.h>

#include "app/globals.h"
#include "app/options.h"

namespace {

TEST(ParseOptions, AcceptsTheThreeOptionsInAnyOrder) {
  Options o;
  ASSERT_TRUE(ParseOptions({"--port", "8000", "--secondary-host", "b.test", "--primary-host", "a.test"}, o));
  EXPECT_EQ(o.port, 8000);
  EXPECT_EQ(o.primaryHost, Text("a.test"));
  EXPECT_EQ(o.secondaryHost, Text("b.test"));

  ASSERT_TRUE(ParseOptions({}, o));
  EXPECT_EQ(o.port, 19730);
  EXPECT_EQ(o.primaryHost, Text(kBuiltInPrimaryHost));
  EXPECT_EQ(o.secondaryHost, Text(kBuiltInSecondaryHost));
  EXPECT_FALSE(o.helpAsked);
}

TEST(ParseOptions, RejectsMalformedArgumentsAndKeepsTheOldValues) {
  const std::vector<std::vector<Text>> bad = {
      {"--port"},           {"--port", "0"},      {"--port", "65536"}, {"--port", "12a"},
      {"--port", "-1"},     {"--port", "+80"},    {"--port", ""},      {"--port", "000019730"},
      {"--primary-host"},   {"--primary-host", ""}, {"--bogus"},       {"19730"},
      {"--secondary-host", "b", "--port"},
  };
  for (const auto& args : bad) {
    Options o;
    o.port = 1234;
    EXPECT_FALSE(ParseOptions(args, o)) << args.front().Bytes();
    EXPECT_EQ(o.port, 1234);
  }
  Options o;
  EXPECT_TRUE(ParseOptions({"--port", "65535"}, o));
  EXPECT_EQ(o.port, 65535);
  EXPECT_TRUE(ParseOptions({"--port", "1"}, o));
  EXPECT_EQ(o.port, 1);
}

TEST(ParseOptions, HelpIsNotAnError) {
  Options o;
  ASSERT_TRUE(ParseOptions({"--help"}, o));
  EXPECT_TRUE(o.helpAsked);
  EXPECT_NE(UsageText().Bytes().find("--primary-host HOST"), std::string::npos);
}

TEST(PackOsVersion, KeepsTheLowByteOfEachNumber) {
  struct Case {
    unsigned major, minor;
    int packed;
  };
  const Case cases[] = {{5, 0, 0x0500}, {5, 1, 0x0501}, {6, 1, 0x0601}, {10, 0, 0x0A00},
                        {256, 0, 0x0000}, {6, 0x1FF, 0x06FF}};
  for (const auto& c : cases) EXPECT_EQ(PackOsVersion(c.major, c.minor), c.packed) << c.major << "." << c.minor;
}

}  // namespace
