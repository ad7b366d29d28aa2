// Reading pictures and folders for the viewer window.
#pragma once

#include "win_handles.h"

#include <string>
#include <vector>

namespace pixo {

// A picture turned into a bitmap of its pixel size; empty when the file
// could not be read or its format is not one Windows can decode.
struct LoadedPicture {
    GdiObject bitmap;
    SIZE size = {0, 0};
};

// BMP through LoadImageW; JPEG, GIF, ICO, WMF, EMF (and PNG where the system
// decodes it) through OleLoadPicture. COM must be initialised.
LoadedPicture LoadPictureFile(const std::wstring& path);

// The picture files directly inside a folder (names only), sorted.
std::vector<std::wstring> ListPictureFiles(const std::wstring& folder);

}  // namespace pixo
