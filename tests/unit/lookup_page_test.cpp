#include <gtest/gtest.h>

#include "app/window.h"
#include "fakes/window_fake.h"
#include "service/lookup_page.h"

namespace {

// The code-page-936 bytes of the few characters these pages use, so that the cases can be
// written readably in UTF-8. A character missing here fails the test that uses it.
const std::pair<const char*, const char*> kCp936[] = {
    {"您", "\xC4\xFA"}, {"的", "\xB5\xC4"}, {"：", "\xA3\xBA"}, {"，", "\xA3\xAC"},
    {"地", "\xB5\xD8"}, {"区", "\xC7\xF8"}, {"中", "\xD6\xD0"}, {"国", "\xB9\xFA"},
    {"广", "\xB9\xE3"}, {"东", "\xB6\xAB"}, {"省", "\xCA\xA1"}, {"州", "\xD6\xDD"},
    {"市", "\xCA\xD0"}, {"电", "\xB5\xE7"}, {"信", "\xD0\xC5"}, {"运", "\xD4\xCB"},
    {"营", "\xD3\xAA"}, {"商", "\xC9\xCC"}, {"香", "\xCF\xE3"}, {"港", "\xB8\xDB"},
    {"特", "\xCC\xD8"}, {"别", "\xB1\xF0"}, {"行", "\xD0\xD0"}, {"政", "\xD5\xFE"},
    {"北", "\xB1\xB1"}, {"京", "\xBE\xA9"}, {"上", "\xC9\xCF"}, {"海", "\xBA\xA3"},
    {"查", "\xB2\xE9"}, {"询", "\xD1\xAF"}, {"结", "\xBD\xE1"}, {"果", "\xB9\xFB"},
    {"江", "\xBD\xAD"}, {"苏", "\xCB\xD5"}, {"南", "\xC4\xCF"}, {"时", "\xCA\xB1"},
    {"间", "\xBC\xE4"}, {"西", "\xCE\xF7"}, {"移", "\xD2\xC6"}, {"动", "\xB6\xAF"},
    {"内", "\xC4\xDA"}, {"蒙", "\xC3\xC9"}, {"古", "\xB9\xC5"}, {"自", "\xD7\xD4"},
    {"治", "\xD6\xCE"}, {"呼", "\xBA\xF4"}, {"和", "\xBA\xCD"}, {"浩", "\xBA\xC6"},
    {"机", "\xBB\xFA"}, {"房", "\xB7\xBF"}, {"址", "\xD6\xB7"}, {"失", "\xCA\xA7"},
    {"败", "\xB0\xDC"}, {"位", "\xCE\xBB"}, {"置", "\xD6\xC3"}, {"美", "\xC3\xC0"},
    {"纽", "\xC5\xA6"}, {"约", "\xD4\xBC"}, {"超", "\xB3\xAC"},
};

std::string Cp936(std::string_view utf8) {
  std::string out;
  for (std::size_t i = 0; i < utf8.size();) {
    auto lead = static_cast<unsigned char>(utf8[i]);
    std::size_t n = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    std::string_view ch = utf8.substr(i, n);
    i += n;
    if (n == 1) {
      out += ch;
      continue;
    }
    bool found = false;
    for (const auto& [u, g] : kCp936) {
      if (ch == u) {
        out += g;
        found = true;
        break;
      }
    }
    if (!found) ADD_FAILURE() << "no code-page-936 bytes for " << ch;
  }
  return out;
}

struct PageCase {
  const char* page;  // UTF-8 here, code page 936 when parsed
  const char* ip;
  const char* region;
  bool foundIp;
};

void ExpectParse(const PageCase& c) {
  SCOPED_TRACE(c.page);
  // Values of an earlier page must not survive a page that lacks them.
  SetFieldText(Field::PublicIp, "stale-ip");
  SetFieldText(Field::Region, "stale-region");
  EXPECT_EQ(ParseLookupPage(Cp936(c.page)), c.foundIp);
  EXPECT_EQ(GetFieldText(Field::PublicIp).Bytes(), Cp936(c.ip));
  EXPECT_EQ(GetFieldText(Field::Region).Bytes(), Cp936(c.region));
}

TEST(ParseLookupPage, PagesOfTheLookupService) {
  ResetFakeWindow();
  const PageCase cases[] = {
      {"您的IP：203.0.113.5，地区：中国广东省广州市 电信，运营商：x", "203.0.113.5", "广东省广州市", true},
      {"IP：198.51.100.7，地区：中国香港，x", "198.51.100.7", "中国香港", true},
      {"IP：198.51.100.8，地区：中国香港特别行政区", "198.51.100.8", "中国香港", true},
      {"IP：192.0.2.9，地区：中国北京", "192.0.2.9", "北京", true},
      {"IP：192.0.2.10，xx地区：中国上海市，yy", "192.0.2.10", "上海市", true},
  };
  for (const auto& c : cases) ExpectParse(c);
}

TEST(ParseLookupPage, TextAroundAndRepeatedMarkers) {
  ResetFakeWindow();
  const PageCase cases[] = {
      {"<html><body>\r\n查询结果：您的IP：203.0.113.20，地区：中国江苏省南京市，运营商：电信，"
       "时间：2024-05-01\r\n</body></html>",
       "203.0.113.20", "江苏省南京市", true},
      {"IP：203.0.113.30，地区：中国北京，IP：198.51.100.1，地区：中国上海", "203.0.113.30", "北京", true},
      // The IP field ends at a second marker too, and the region field is then missing.
      {"IP：203.0.113.31IP：198.51.100.2，地区：中国上海", "203.0.113.31", "", true},
      {"IP：198.51.100.9，地区：中国香港特别行政区，运营商：x", "198.51.100.9", "中国香港", true},
      // Only the first "中国" starts the region; a later one is cut off.
      {"IP：192.0.2.11，地区：中国广西中国移动", "192.0.2.11", "广西", true},
      // Six characters at most: the rest of a long region is cut.
      {"IP：192.0.2.12，地区：中国内蒙古自治区呼和浩特市", "192.0.2.12", "内蒙古自治区", true},
      // The IP is taken as it stands, unchecked.
      {"IP： not an address ，地区：中国北京", " not an address ", "北京", true},
  };
  for (const auto& c : cases) ExpectParse(c);
}

TEST(ParseLookupPage, CutsNeverHalveACharacter) {
  ResetFakeWindow();
  const PageCase cases[] = {
      // 12 bytes would end inside 京: the region ends before it.
      {"IP：192.0.2.20，地区：中国ABC江苏省南京市", "192.0.2.20", "ABC江苏省南", true},
      // An even count of ASCII letters fits 12 bytes exactly.
      {"IP：192.0.2.21，地区：中国AB广东省广州市", "192.0.2.21", "AB广东省广州", true},
      // The first cut (8 bytes) of "X中国香港" would end inside 港; that is not Hong Kong.
      {"IP：192.0.2.22，地区：X中国香港", "192.0.2.22", "香港", true},
      {"IP：192.0.2.23，地区：中国IDC机房", "192.0.2.23", "IDC机房", true},
  };
  for (const auto& c : cases) ExpectParse(c);
}

TEST(ParseLookupPage, PagesOfAnotherLayoutLeaveEmptyFields) {
  ResetFakeWindow();
  const PageCase cases[] = {
      {"您的地址：203.0.113.5，地区：中国北京", "", "", false},
      {"查询失败", "", "", false},
      {"IP：", "", "", false},
      {"IP：，地区：中国北京", "", "北京", false},
      {"IP：203.0.113.5", "203.0.113.5", "", true},
      {"IP：203.0.113.5，位置：中国北京", "203.0.113.5", "", true},
      {"IP：203.0.113.5，，地区：中国北京", "203.0.113.5", "", true},
      {"IP：203.0.113.5，地区：", "203.0.113.5", "", true},
      {"IP：203.0.113.5，地区：，中国北京", "203.0.113.5", "", true},
      {"IP：203.0.113.5，地区：美国纽约", "203.0.113.5", "", true},
      {"IP：203.0.113.5，地区：中国", "203.0.113.5", "", true},
      {"IP：203.0.113.5，地区：中国中国北京", "203.0.113.5", "", true},
  };
  for (const auto& c : cases) ExpectParse(c);
}

const std::string kElapsed = "1523";

TEST(LookupReplies, BytesOfEachReply) {
  ResetFakeWindow();
  SetFieldText(Field::Elapsed, kElapsed);
  SetFieldText(Field::PublicIp, "203.0.113.5");
  SetFieldText(Field::Region, "\xB9\xE3\xB6\xAB\xCA\xA1\xB9\xE3\xD6\xDD\xCA\xD0");  // 广东省广州市

  const std::string result = "1523\xA3\xAC" "203.0.113.5\xA3\xAC"
                             "\xB9\xE3\xB6\xAB\xCA\xA1\xB9\xE3\xD6\xDD\xCA\xD0\xA3\xAC";
  EXPECT_EQ(ResultReply().Bytes(), result);
  EXPECT_EQ(ResultReply().Length(), 33);

  const std::string hostsDown = "1523\xA3\xAC\xB2\xE9\xD1\xAF\xB3\xAC\xCA\xB1" "1" "\xA3\xAC";
  const std::string emptyPage = "1523\xA3\xAC\xB2\xE9\xD1\xAF\xB3\xAC\xCA\xB1" "2" "\xA3\xAC";
  EXPECT_EQ(HostsDownReply().Bytes(), hostsDown);
  EXPECT_EQ(EmptyPageReply().Bytes(), emptyPage);
  EXPECT_EQ(HostsDownReply().Length(), 17);
  EXPECT_EQ(EmptyPageReply().Length(), 17);
}

TEST(LookupReplies, BuiltFromTheFieldsAsTheyStand) {
  ResetFakeWindow();
  EXPECT_EQ(ResultReply().Bytes(), "\xA3\xAC\xA3\xAC\xA3\xAC");  // empty fields keep their commas
  EXPECT_EQ(HostsDownReply().Bytes(), "\xA3\xAC\xB2\xE9\xD1\xAF\xB3\xAC\xCA\xB1" "1" "\xA3\xAC");

  SetFieldText(Field::Elapsed, "987");
  ASSERT_TRUE(ParseLookupPage(Cp936("IP：192.0.2.9，地区：中国北京")));
  EXPECT_EQ(ResultReply().Bytes(), Cp936("987，192.0.2.9，北京，"));
  SetFieldText(Field::Region, "edited");
  EXPECT_EQ(ResultReply().Bytes(), Cp936("987，192.0.2.9，edited，"));
  EXPECT_EQ(EmptyPageReply().Bytes(), Cp936("987，查询超时2，"));
}

}  // namespace
