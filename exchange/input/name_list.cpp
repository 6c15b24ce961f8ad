#include "exchange/input/name_list.h"

#include "exchange/cell_text.h"
#include "recordio/character_cut.h"

namespace morvit {

std::string listed_names(const std::vector<std::string_view>& names, std::size_t most) {
  constexpr std::size_t screenful = 1000;
  constexpr std::size_t longest = 60;
  std::string list;
  std::size_t listed = 0;
  for (; listed < names.size() && listed < most && list.size() < screenful; ++listed) {
    const std::string_view name = names[listed];
    if (listed > 0) list += ", ";
    list += cut_at_character(name, longest);
    if (name.size() > longest) list += "...";
  }
  if (listed < names.size()) list += " and " + with_thousands(static_cast<long>(names.size() - listed)) + " more";
  return list;
}

}  // namespace morvit
