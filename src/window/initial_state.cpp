#include "window/initial_state.h"

namespace qw {

std::span<const InitialControlState> InitialControlStates() {
  static const InitialControlState kStates[] = {
      {Control::MainWindow, kDefaultTitleUtf8},
      {Control::IntervalEdit, "280"},
      {Control::RunButton, "开 始"},
      {Control::LoadConfigButton, "读配置"},
      {Control::SaveConfigButton, "保存配置"},
      {Control::ProjectGroup, "项目"},
      {Control::PostHandlingGroup, "新帖处理"},
      {Control::PageTextView, ""},
      {Control::SiteNameEdit, ""},
      {Control::GbkCheck, "gbk编码", false, true},
      {Control::ListUrlEdit, ""},
      {Control::LastPostEdit, ""},
      {Control::RegexCombo, ""},
      {Control::SaveToEdit, "0"},
      {Control::SubmitButton, "提 交", true},
      {Control::TestButton, "测试正则"},
      {Control::PostUrlEdit, ""},
      {Control::CatalogEdit, "", true},
      {Control::SortEdit, "", true},
      {Control::AgreeEdit, "", true},
  };
  return kStates;
}

const char* TabCaptionUtf8(int index) {
  static const char* const kCaptions[kTabCount] = {"欢迎页", "最新更新", "论坛列表", "操作",
                                                   "我的收藏"};
  return (index >= 0 && index < kTabCount) ? kCaptions[index] : "";
}

const char* InitialStatusTextUtf8(int part) {
  static const char* const kTexts[kStatusPartCount] = {" 状态 ", "", " "};
  return (part >= 0 && part < kStatusPartCount) ? kTexts[part] : "";
}

int StatusPartWidth(int part) {
  static const int kWidths[kStatusPartCount] = {38, 546, -1};
  return (part >= 0 && part < kStatusPartCount) ? kWidths[part] : 0;
}

}  // namespace qw
