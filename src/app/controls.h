// The main window's controls, in one table: ID, the window's own name for the control, its
// role, kind, position and size (client coordinates) and its text at start.
//
// IDs follow the names: edit field 编辑框N is 1000+N, label 标签N is 2000+N, button 按钮N is
// 3000+N. Test probes find controls by these IDs, so they never change.
#pragma once

#include <optional>

#include "app/window.h"

enum class ControlKind { Label, Edit, Button };

struct ControlSpec {
  int id;
  const char* name;     // code page 936
  const char* role;
  ControlKind kind;
  int left, top, width, height;
  const char* initialText;  // code page 936
  std::optional<Field> field;
  std::optional<Label> label;
};

// Window caption "拨号服务端" and outer size.
inline constexpr const char* kMainCaption = "\xB2\xA6\xBA\xC5\xB7\xFE\xCE\xF1\xB6\xCB";
inline constexpr int kMainWidth = 325;
inline constexpr int kMainHeight = 530;

inline constexpr int kConnectButtonId = 3001;
inline constexpr int kDisconnectButtonId = 3002;
inline constexpr int kReconnectButtonId = 3003;
inline constexpr int kPingButtonId = 3004;

// The TCP server component 服务器1 (220, 20, 26 x 26) has no visible presence and so no
// control here; the window owns the server directly.
inline constexpr ControlSpec kControls[] = {
    // 标签1 名称, 编辑框1 AutoADSL
    {2001, "\xB1\xEA\xC7\xA9" "1", "EntryName caption", ControlKind::Label, 20, 20, 80, 24, "\xC3\xFB\xB3\xC6", {}, {}},
    {1001, "\xB1\xE0\xBC\xAD\xBF\xF2" "1", "EntryName", ControlKind::Edit, 120, 20, 80, 20, "AutoADSL", Field::EntryName, {}},
    // 标签2 用户, 编辑框2
    {2002, "\xB1\xEA\xC7\xA9" "2", "UserName caption", ControlKind::Label, 20, 54, 80, 24, "\xD3\xC3\xBB\xA7", {}, {}},
    {1002, "\xB1\xE0\xBC\xAD\xBF\xF2" "2", "UserName", ControlKind::Edit, 120, 54, 80, 20, "QTRW4287", Field::UserName, {}},
    // 标签14 标签
    {2014, "\xB1\xEA\xC7\xA9" "14", "PrimaryStatusLabel", ControlKind::Label, 220, 54, 80, 24, "\xB1\xEA\xC7\xA9", {}, Label::PrimaryStatusLabel},
    // 标签3 密码, 编辑框3
    {2003, "\xB1\xEA\xC7\xA9" "3", "Password caption", ControlKind::Label, 20, 88, 80, 24, "\xC3\xDC\xC2\xEB", {}, {}},
    {1003, "\xB1\xE0\xBC\xAD\xBF\xF2" "3", "Password", ControlKind::Edit, 120, 88, 80, 20, "250473", Field::Password, {}},
    // 标签15 标签
    {2015, "\xB1\xEA\xC7\xA9" "15", "SecondaryStatusLabel", ControlKind::Label, 220, 88, 80, 24, "\xB1\xEA\xC7\xA9", {}, Label::SecondaryStatusLabel},
    // 标签4 客户, 编辑框4
    {2004, "\xB1\xEA\xC7\xA9" "4", "ClientAddress caption", ControlKind::Label, 20, 122, 80, 24, "\xBF\xCD\xBB\xA7", {}, {}},
    {1004, "\xB1\xE0\xBC\xAD\xBF\xF2" "4", "ClientAddress", ControlKind::Edit, 120, 122, 180, 20, "", Field::ClientAddress, {}},
    // 标签5 时间1, 编辑框5
    {2005, "\xB1\xEA\xC7\xA9" "5", "StartTime caption", ControlKind::Label, 20, 156, 80, 24, "\xCA\xB1\xBC\xE4" "1", {}, {}},
    {1005, "\xB1\xE0\xBC\xAD\xBF\xF2" "5", "StartTime", ControlKind::Edit, 120, 152, 180, 20, "", Field::StartTime, {}},
    // 标签6 任务, 编辑框6
    {2006, "\xB1\xEA\xC7\xA9" "6", "TaskCode caption", ControlKind::Label, 20, 190, 80, 24, "\xC8\xCE\xCE\xF1", {}, {}},
    {1006, "\xB1\xE0\xBC\xAD\xBF\xF2" "6", "TaskCode", ControlKind::Edit, 120, 190, 80, 20, "", Field::TaskCode, {}},
    // 标签7 耗时, 编辑框7
    {2007, "\xB1\xEA\xC7\xA9" "7", "Elapsed caption", ControlKind::Label, 20, 224, 80, 24, "\xBA\xC4\xCA\xB1", {}, {}},
    {1007, "\xB1\xE0\xBC\xAD\xBF\xF2" "7", "Elapsed", ControlKind::Edit, 120, 224, 80, 20, "", Field::Elapsed, {}},
    // 标签8 日志, 编辑框8
    {2008, "\xB1\xEA\xC7\xA9" "8", "DialLog caption", ControlKind::Label, 20, 258, 80, 24, "\xC8\xD5\xD6\xBE", {}, {}},
    {1008, "\xB1\xE0\xBC\xAD\xBF\xF2" "8", "DialLog", ControlKind::Edit, 120, 258, 180, 20, "", Field::DialLog, {}},
    // 标签9 时间2, 编辑框9
    {2009, "\xB1\xEA\xC7\xA9" "9", "EndTime caption", ControlKind::Label, 20, 292, 80, 24, "\xCA\xB1\xBC\xE4" "2", {}, {}},
    {1009, "\xB1\xE0\xBC\xAD\xBF\xF2" "9", "EndTime", ControlKind::Edit, 120, 292, 180, 20, "", Field::EndTime, {}},
    // 按钮4, no caption
    {3004, "\xB0\xB4\xC5\xA5" "4", "PingButton", ControlKind::Button, 230, 321, 80, 32, "", {}, {}},
    // 标签10 接口, 编辑框10
    {2010, "\xB1\xEA\xC7\xA9" "10", "CurrentHostBox caption", ControlKind::Label, 20, 326, 80, 24, "\xBD\xD3\xBF\xDA", {}, {}},
    {1010, "\xB1\xE0\xBC\xAD\xBF\xF2" "10", "CurrentHostBox", ControlKind::Edit, 120, 326, 100, 20, "", Field::CurrentHostBox, {}},
    // 标签11 查询, 编辑框11
    {2011, "\xB1\xEA\xC7\xA9" "11", "LookupResult caption", ControlKind::Label, 20, 360, 80, 24, "\xB2\xE9\xD1\xAF", {}, {}},
    {1011, "\xB1\xE0\xBC\xAD\xBF\xF2" "11", "LookupResult", ControlKind::Edit, 120, 360, 180, 20, "", Field::LookupResult, {}},
    // 标签12 查IP, 编辑框12
    {2012, "\xB1\xEA\xC7\xA9" "12", "PublicIp caption", ControlKind::Label, 20, 394, 80, 24, "\xB2\xE9" "IP", {}, {}},
    {1012, "\xB1\xE0\xBC\xAD\xBF\xF2" "12", "PublicIp", ControlKind::Edit, 120, 394, 180, 20, "", Field::PublicIp, {}},
    // 标签13 地区, 编辑框13
    {2013, "\xB1\xEA\xC7\xA9" "13", "Region caption", ControlKind::Label, 20, 428, 80, 24, "\xB5\xD8\xC7\xF8", {}, {}},
    {1013, "\xB1\xE0\xBC\xAD\xBF\xF2" "13", "Region", ControlKind::Edit, 120, 428, 180, 20, "", Field::Region, {}},
    // 按钮1 连接, 按钮2 断开, 按钮3 重连
    {3001, "\xB0\xB4\xC5\xA5" "1", "ConnectButton", ControlKind::Button, 20, 462, 80, 32, "\xC1\xAC\xBD\xD3", {}, {}},
    {3002, "\xB0\xB4\xC5\xA5" "2", "DisconnectButton", ControlKind::Button, 120, 462, 80, 32, "\xB6\xCF\xBF\xAA", {}, {}},
    {3003, "\xB0\xB4\xC5\xA5" "3", "ReconnectButton", ControlKind::Button, 220, 462, 80, 32, "\xD6\xD8\xC1\xAC", {}, {}},
};

// The control ID of a field or label.
inline constexpr int FieldControlId(Field field) { return 1001 + static_cast<int>(field); }
inline constexpr int LabelControlId(Label label) {
  return label == Label::PrimaryStatusLabel ? 2014 : 2015;
}
