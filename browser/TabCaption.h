#pragma once
// Tab captions: page titles shortened to fit a fixed-width tab.

#include <string>

// The caption of a page showing "about:blank".
inline constexpr const char* kBlankCaption = "空白页";
inline constexpr const char* kNewTabCaption = "新建选项卡";
inline constexpr const char* kBlankAddress = "about:blank";

// A title of more than 13 characters keeps its first 14 and gets "...".
// Characters are UTF-8 sequences, never split; a stray byte counts as one.
std::string ShortenCaption(const std::string& title);
