#pragma once

// The pictures of categoryTree's image list, as the builder gives them to items and the
// selection handler tells the items apart by them.

namespace lxtv::catalogue {

inline constexpr int categoryImage = 0;
inline constexpr int selectedCategoryImage = 1;
inline constexpr int moreFilmsImage = 2;
inline constexpr int channelImage = 3;
inline constexpr int headerImage = 4;

}  // namespace lxtv::catalogue
