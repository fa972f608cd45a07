#pragma once

namespace lxtv::media {

// Handler of movieList's double click: opens the selected folder in the list, or hands the
// selected file to the desktop's opener.
void onMovieListDoubleClick();

}  // namespace lxtv::media
