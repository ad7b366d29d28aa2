#include "format_catalogue.h"

#include <cwchar>

#include "text_buffer.h"

// clang-format off
constexpr FormatRow FormatCatalogue[kFormatCount] = {
    {L"ANI", L"Animated Windows Cursors *", {{L"ani", L"ani"}}, kOwnIcon, FormatKind::Picture},
    {L"B3D", L"BodyPaint 3D Format *", {{L"b3d", L"b3d"}}, 0, FormatKind::Picture},
    {L"BMP/DIB", L"Windows Bitmap", {{L"bmp", L"bmp"}, {L"dib", L"bmp"}}, 0, FormatKind::Picture},
    {L"CLP", L"Windows Clipboard *", {{L"clp", L"clp"}}, 0, FormatKind::Picture},
    {L"CRW/CR2/CR3", L"Canon RAW Format *", {{L"crw", L"crw"}, {L"cr2", L"cr2"}, {L"cr3", L"cr3"}}, 0, FormatKind::Picture},
    {L"CUR", L"Windows Cursor", {{L"cur", L"cur"}}, kOwnIcon, FormatKind::Picture},
    {L"DCM/ACR/IMA", L"DICOM Format *", {{L"dcm", L"dcm"}, {L"acr", L"dcm"}, {L"ima", L"dcm"}}, 0, FormatKind::Picture},
    {L"DCX", L"Multipage Zsoft Paintbrush", {{L"dcx", L"dcx"}}, 0, FormatKind::Picture},
    {L"DDS", L"Direct Draw Surface *", {{L"dds", L"dds"}}, 0, FormatKind::Picture},
    {L"DJVU/IW44", L"DjVu Format *", {{L"djvu", L"djvu"}, {L"iw44", L"djvu"}}, 0, FormatKind::Picture},
    {L"DXF", L"Drawing Interchange Format *", {{L"dxf", L"dxf"}}, 0, FormatKind::Picture},
    {L"ECW", L"Enhanced Compressed Wavelet *", {{L"ecw", L"ecw"}}, 0, FormatKind::Picture},
    {L"EMF", L"Enhanced Windows Metafile", {{L"emf", L"emf"}}, 0, FormatKind::Picture},
    {L"EPS/PS", L"PostScript Format *", {{L"eps", L"eps"}, {L"ps", L"eps"}}, 0, FormatKind::Picture},
    {L"EXR", L"EXR Format *", {{L"exr", L"exr"}}, 0, FormatKind::Picture},
    {L"G3", L"G3 FAX Format *", {{L"g3", L"g3"}}, 0, FormatKind::Picture},
    {L"GIF", L"Compuserve GIF", {{L"gif", L"gif"}}, 0, FormatKind::Picture},
    {L"HDP/JXR/WDP", L"JPEG-XR/HD-Photo Format *", {{L"hdp", L"hdp"}, {L"jxr", L"hdp"}, {L"wdp", L"hdp"}}, 0, FormatKind::Picture},
    {L"HEIC", L"High Efficiency Image File Format *", {{L"heic", L"heic"}}, 0, FormatKind::Picture},
    {L"ICO", L"Windows Icon", {{L"ico", L"ico"}}, kOwnIcon, FormatKind::Picture},
    {L"IFF/LBM", L"Amiga Interchange File Format *", {{L"iff", L"iff"}, {L"lbm", L"iff"}}, 0, FormatKind::Picture},
    {L"JLS", L"JPEG-LS Format *", {{L"jls", L"jls"}}, 0, FormatKind::Picture},
    {L"JP2/JPC/J2K", L"JPEG2000 Format *", {{L"jp2", L"jp2"}, {L"jpc", L"jp2"}, {L"j2k", L"jp2"}}, 0, FormatKind::Picture},
    {L"JPG/JPEG/JFIF/JPE", L"JPEG Format", {{L"jpg", L"jpg"}, {L"jpeg", L"jpg"}, {L"jfif", L"jpg"}, {L"jpe", L"jpg"}}, 0, FormatKind::Picture},
    {L"JPM", L"JPM Format *", {{L"jpm", L"jpm"}}, 0, FormatKind::Picture},
    {L"JXL", L"JPEG XL Format *", {{L"jxl", L"jxl"}}, 0, FormatKind::Picture},
    {L"MNG/JNG", L"Multiple Network Graphics *", {{L"mng", L"mng"}, {L"jng", L"jng"}}, 0, FormatKind::Picture},
    {L"PBM", L"Portable Bitmap", {{L"pbm", L"pbm"}}, 0, FormatKind::Picture},
    {L"PCD", L"Kodak Photo CD", {{L"pcd", L"pcd"}}, 0, FormatKind::Picture},
    {L"PCX", L"Zsoft Paintbrush", {{L"pcx", L"pcx"}}, 0, FormatKind::Picture},
    {L"PGM", L"Portable Greymap", {{L"pgm", L"pgm"}}, 0, FormatKind::Picture},
    {L"PNG", L"Portable Network Graphics", {{L"png", L"png"}}, 0, FormatKind::Picture},
    {L"PPM", L"Portable Pixelmap", {{L"ppm", L"ppm"}}, 0, FormatKind::Picture},
    {L"PSD", L"Adobe Photoshop Image", {{L"psd", L"psd"}}, 0, FormatKind::Picture},
    {L"PSP", L"Paint Shop Pro Image *", {{L"psp", L"psp"}}, 0, FormatKind::Picture},
    {L"QOI", L"Quite OK Image *", {{L"qoi", L"qoi"}}, 0, FormatKind::Picture},
    {L"RAS/SUN", L"Sun Raster Format *", {{L"ras", L"ras"}, {L"sun", L"ras"}}, 0, FormatKind::Picture},
    {L"RAW", L"RAW Image Data *", {{L"raw", L"raw"}}, 0, FormatKind::Picture},
    {L"RLE", L"Utah RLE Format *", {{L"rle", L"rle"}}, 0, FormatKind::Picture},
    {L"SFF", L"Structured Fax Format *", {{L"sff", L"sff"}}, 0, FormatKind::Picture},
    {L"SGI/RGB", L"Silicon Graphics Image *", {{L"sgi", L"sgi"}, {L"rgb", L"sgi"}}, 0, FormatKind::Picture},
    {L"SID", L"LizardTech MrSID Format *", {{L"sid", L"sid"}}, 0, FormatKind::Picture},
    {L"TGA", L"Truevision Targa", {{L"tga", L"tga"}}, 0, FormatKind::Picture},
    {L"TIF/TIFF", L"Tagged Image File Format", {{L"tif", L"tif"}, {L"tiff", L"tif"}}, 0, FormatKind::Picture},
    {L"WBMP", L"WAP Bitmap *", {{L"wbmp", L"wbmp"}}, 0, FormatKind::Picture},
    {L"WEBP", L"Weppy Format *", {{L"webp", L"webp"}}, 0, FormatKind::Picture},
    {L"WMF", L"Windows Metafile", {{L"wmf", L"wmf"}}, 0, FormatKind::Picture},
    {L"XBM", L"X-Bitmap *", {{L"xbm", L"xbm"}}, 0, FormatKind::Picture},
    {L"XPM", L"X-Pixmap *", {{L"xpm", L"xpm"}}, 0, FormatKind::Picture},
    {L"SWF/FLV", L"Macromedia Flash Format *", {{L"swf", L"swf"}, {L"flv", L"flv"}}, 0, FormatKind::Other},
    {L"TTF", L"True Type Font Format *", {{L"ttf", L"ttf"}}, 0, FormatKind::Other},
    {L"ASF", L"Advanced Systems Format *", {{L"asf", L"asf"}}, 12, FormatKind::Other},
    {L"AVI", L"Video for Windows *", {{L"avi", L"avi"}}, 12, FormatKind::Other},
    {L"MPG/MPE/MPEG", L"MPEG Movie *", {{L"mpg", L"mpg"}, {L"mpe", L"mpe"}, {L"mpeg", L"mpg"}}, 12, FormatKind::Other},
    {L"MOV", L"Apple QuickTime Movie *", {{L"mov", L"mov"}}, 12, FormatKind::Other},
    {L"WMV", L"Windows Media Video File *", {{L"wmv", L"wmv"}}, 12, FormatKind::Other},
    {L"AIF", L"Audio Interchange Format *", {{L"aif", L"aif"}}, 11, FormatKind::Other},
    {L"MID/RMI", L"MIDI Sound Format *", {{L"mid", L"mid"}, {L"rmi", L"rmi"}}, 11, FormatKind::Other},
    {L"MP3", L"MPEG Audio Format *", {{L"mp3", L"mp3"}}, 11, FormatKind::Other},
    {L"OGG", L"Ogg Vorbis Audio Format *", {{L"ogg", L"ogg"}}, 11, FormatKind::Other},
    {L"AU/SND", L"SUN Audio Format *", {{L"au", L"au"}, {L"snd", L"au"}}, 11, FormatKind::Other},
    {L"WAV", L"Windows Audio Format *", {{L"wav", L"wav"}}, 11, FormatKind::Other},
    {L"WMA", L"Windows Media Audio File *", {{L"wma", L"wma"}}, 11, FormatKind::Other},
};
// clang-format on

static_assert(FormatCatalogue[kFormatCount - 1].groupLabel != nullptr,
              "the catalogue has exactly 63 rows");

namespace {

constexpr int CountCatalogueExtensions() {
    int n = 0;
    for (const FormatRow& row : FormatCatalogue) n += row.ExtensionCount();
    return n;
}

// Rows 0..48 must be the pictures: "/assoc=1" and the "Nur Bilder" button
// select by index, not by kind.
constexpr bool PicturesComeFirst() {
    for (int i = 0; i < kFormatCount; ++i) {
        const bool picture = FormatCatalogue[i].kind == FormatKind::Picture;
        if (picture != (i < kPictureFormatCount)) return false;
    }
    return true;
}

static_assert(CountCatalogueExtensions() == kCatalogueExtensionCount,
              "the catalogue registers 87 extensions");
static_assert(PicturesComeFirst(), "rows 0 to 48 are exactly the picture formats");

}  // namespace

void SelectPictureFormats(AssociationSelection& selection) {
    for (int i = 0; i < kSelectionSlots; ++i) selection.slots[i] = i < kPictureFormatCount ? 1 : 0;
}

void SelectAllFormats(AssociationSelection& selection) {
    for (int32_t& slot : selection.slots) slot = 1;
}

bool FormatDefaultIcon(const FormatRow& row, const wchar_t* viewerPath, wchar_t* out,
                       size_t outChars) {
    if (!out || outChars == 0) return false;
    out[0] = L'\0';
    // "%1" is data for the shell, not a format.
    if (row.iconIndex == kOwnIcon) return CopyText(out, outChars, L"%1");
    wchar_t index[16] = {};
    FormatText(index, 16, L",%d", row.iconIndex);
    if (!AppendText(out, outChars, viewerPath ? viewerPath : L"") || !AppendText(out, outChars, index)) {
        out[0] = L'\0';
        return false;
    }
    return true;
}
