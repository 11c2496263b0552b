#include "text/gbk_literal.h"

#include "platform/code_page.h"

namespace gbk_literal_detail {

Text utf8_literal_to_gbk(std::string_view utf8) {
  if (utf8.empty()) return Text();
  std::u16string units(utf8.size(), u'\0');
  int unit_count = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                                       units.data(), static_cast<int>(units.size()));
  Text gbk(utf8.size(), '\0');
  int byte_count = WideCharToMultiByte(CP_GBK, 0, units.data(), unit_count, gbk.data(),
                                       static_cast<int>(gbk.size()));
  gbk.resize(static_cast<std::size_t>(byte_count));
  return gbk;
}

}  // namespace gbk_literal_detail
