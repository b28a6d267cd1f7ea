#include "messages.h"

#include <cstdio>

namespace orvana {

namespace {

// By resource id order: 201..215 (English, 206 and 207 joined by CR) and 101..114.
const char* const kEnglish[14] = {
    "Error",
    "Error Code: $%x",
    "CreateTime  : ",
    "VisitTime   : ",
    "ModifiedTime: ",
    "This application requires the Video Mixing Renderer\r"
    "which is DirectX 9 systems with hardware video acceleration enabled.",
    "Video Mixing Renderer (VMR9) capabilities",
    "Couldn't find the GraphEdit application.",
    "Format: ",
    "VideoInfo",
    "UnKnown ",
    "MajorType: ",
    "SubType: ",
    "MediaType",
};
const char* const kChinese[14] = {
    "错误",
    "错误代码: $%x",
    "创建时间: ",
    "访问时间: ",
    "修改时间: ",
    "此应用程序需要视频混合渲染器，这是DirectX 9的系统与硬件视频加速功能。",
    "视频混合渲染(VMR9)功能",
    "找不到GraphEdit应用程序",
    "格式: ",
    "视频信息",
    "未知 ",
    "主要类型: ",
    "子类型: ",
    "媒体类型",
};

}  // namespace

void MessageTable::Load(int language) {
  const char* const* table = nullptr;
  switch (language & 0xFF) {
    case 0: table = kEnglish; break;
    case 1: table = kChinese; break;
    default: return;
  }
  for (int i = 0; i < 14; ++i) texts_[i] = table[i];
}

std::string MessageTable::ErrorCodeText(int32_t code) const {
  // The format's "%x" is filled with upper-case digits.
  const std::string& format = text(Message::ErrorCodeFormat);
  char hex[16];
  std::snprintf(hex, sizeof hex, "%X", static_cast<uint32_t>(code));
  std::string out = format;
  const size_t at = out.find("%x");
  if (at != std::string::npos) out.replace(at, 2, hex);
  return out;
}

}  // namespace orvana
