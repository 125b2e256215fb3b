// The real main window's field operations, in process: what the operations write is what
// they read back, CR LF included, and appending puts nothing between old and new text.
#include <gtest/gtest.h>
#include <windows.h>

#include "app/controls.h"
#include "app/mainwindow.h"
#include "app/window.h"

namespace {

class MainWindowTest : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    // Port 0 takes any free port: these tests need the window, not a fixed port.
    ASSERT_TRUE(CreateMainWindow(0));
  }
};

TEST_F(MainWindowTest, FieldsStartWithTheirDefaultTexts) {
  EXPECT_EQ(GetFieldText(Field::EntryName), Text("AutoADSL"));
  EXPECT_EQ(GetFieldText(Field::UserName), Text("QTRW4287"));
  EXPECT_EQ(GetFieldText(Field::Password), Text("250473"));
  EXPECT_EQ(GetFieldText(Field::DialLog), Text());
}

TEST_F(MainWindowTest, AppendAddsTheTextDirectlyAfterTheOldContent) {
  struct Case {
    const char* before;
    const char* appended;
    const char* after;
  };
  const Case cases[] = {
      {"", "abc", "abc"},
      {"line\r\n", "next", "line\r\nnext"},
      {"ab", "cd", "abcd"},
      // 命令已完成。 after a two-byte character: positions count characters, not bytes.
      {"\xC3\xFC\xC1\xEE", "\xD2\xD1\xCD\xEA\xB3\xC9\xA1\xA3", "\xC3\xFC\xC1\xEE\xD2\xD1\xCD\xEA\xB3\xC9\xA1\xA3"},
      {"x", "", "x"},
  };
  for (const auto& c : cases) {
    SetFieldText(Field::DialLog, c.before);
    AppendFieldText(Field::DialLog, c.appended);
    EXPECT_EQ(GetFieldText(Field::DialLog), Text(c.after)) << c.before << "+" << c.appended;
  }
}

TEST_F(MainWindowTest, MultiLineAndLongTextsComeBackWhole) {
  std::string page = "IP\xA3\xBA" "203.0.113.5\xA3\xAC\r\n\xB5\xD8\xC7\xF8\xA3\xBA\xD6\xD0\xB9\xFA\r\n";
  SetFieldText(Field::LookupResult, page);
  EXPECT_EQ(GetFieldText(Field::LookupResult), Text(page));
  std::string big(200000, 'x');
  SetFieldText(Field::LookupResult, big);
  EXPECT_EQ(GetFieldText(Field::LookupResult).Length(), 200000);
  SetFieldText(Field::LookupResult, "");
  EXPECT_TRUE(GetFieldText(Field::LookupResult).Empty());
}

TEST_F(MainWindowTest, LabelCaptionsAreReplaced) {
  HWND main = FindWindowW(L"DialServerMainWindow", nullptr);
  ASSERT_NE(main, nullptr);
  HWND label = GetDlgItem(main, LabelControlId(Label::SecondaryStatusLabel));
  ASSERT_NE(label, nullptr);
  SetLabelCaption(Label::SecondaryStatusLabel, "\xD5\xFD\xB3\xA3");  // 正常
  wchar_t caption[16] = {};
  GetWindowTextW(label, caption, 16);
  EXPECT_STREQ(caption, L"\x6B63\x5E38");
  SetLabelCaption(Label::SecondaryStatusLabel, "");
  EXPECT_EQ(GetWindowTextLengthW(label), 0);
}

}  // namespace
