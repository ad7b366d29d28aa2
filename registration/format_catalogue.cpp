#include "format_catalogue.h"

#include <cwchar>

#include "text_buffer.h"

// clang-format off
constexpr FormatRow FormatCatalogue[kFormatCount] = {
    {L"ANI", L"Animated Windows Cursors *", {{L"ani", L"ani"}}, L"%1", FormatKind::Picture},
    {L"B3D", L"BodyPaint 3D Format *", {{L"b3d", L"b3d"}}, L"%s,0", FormatKind::Picture},
    {L"BMP/DIB", L"Windows Bitmap", {{L"bmp", L"bmp"}, {L"dib", L"bmp"}}, L"%s,0", FormatKind::Picture},
    {L"CLP", L"Windows Clipboard *", {{L"clp", L"clp"}}, L"%s,0", FormatKind::Picture},
    {L"CRW/CR2/CR3", L"Canon RAW Format *", {{L"crw", L"crw"}, {L"cr2", L"cr2"}, {L"cr3", L"cr3"}}, L"%s,0", FormatKind::Picture},
    {L"CUR", L"Windows Cursor", {{L"cur", L"cur"}}, L"%1", FormatKind::Picture},
    {L"DCM/ACR/IMA", L"DICOM Format *", {{L"dcm", L"dcm"}, {L"acr", L"dcm"}, {L"ima", L"dcm"}}, L"%s,0", FormatKind::Picture},
    {L"DCX", L"Multipage Zsoft Paintbrush", {{L"dcx", L"dcx"}}, L"%s,0", FormatKind::Picture},
    {L"DDS", L"Direct Draw Surface *", {{L"dds", L"dds"}}, L"%s,0", FormatKind::Picture},
    {L"DJVU/IW44", L"DjVu Format *", {{L"djvu", L"djvu"}, {L"iw44", L"djvu"}}, L"%s,0", FormatKind::Picture},
    {L"DXF", L"Drawing Interchange Format *", {{L"dxf", L"dxf"}}, L"%s,0", FormatKind::Picture},
    {L"ECW", L"Enhanced Compressed Wavelet *", {{L"ecw", L"ecw"}}, L"%s,0", FormatKind::Picture},
    {L"EMF", L"Enhanced Windows Metafile", {{L"emf", L"emf"}}, L"%s,0", FormatKind::Picture},
    {L"EPS/PS", L"PostScript Format *", {{L"eps", L"eps"}, {L"ps", L"eps"}}, L"%s,0", FormatKind::Picture},
    {L"EXR", L"EXR Format *", {{L"exr", L"exr"}}, L"%s,0", FormatKind::Picture},
    {L"G3", L"G3 FAX Format *", {{L"g3", L"g3"}}, L"%s,0", FormatKind::Picture},
    {L"GIF", L"Compuserve GIF", {{L"gif", L"gif"}}, L"%s,0", FormatKind::Picture},
    {L"HDP/JXR/WDP", L"JPEG-XR/HD-Photo Format *", {{L"hdp", L"hdp"}, {L"jxr", L"hdp"}, {L"wdp", L"hdp"}}, L"%s,0", FormatKind::Picture},
    {L"HEIC", L"High Efficiency Image File Format *", {{L"heic", L"heic"}}, L"%s,0", FormatKind::Picture},
    {L"ICO", L"Windows Icon", {{L"ico", L"ico"}}, L"%1", FormatKind::Picture},
    {L"IFF/LBM", L"Amiga Interchange File Format *", {{L"iff", L"iff"}, {L"lbm", L"iff"}}, L"%s,0", FormatKind::Picture},
    {L"JLS", L"JPEG-LS Format *", {{L"jls", L"jls"}}, L"%s,0", FormatKind::Picture},
    {L"JP2/JPC/J2K", L"JPEG2000 Format *", {{L"jp2", L"jp2"}, {L"jpc", L"jp2"}, {L"j2k", L"jp2"}}, L"%s,0", FormatKind::Picture},
    {L"JPG/JPEG/JFIF/JPE", L"JPEG Format", {{L"jpg", L"jpg"}, {L"jpeg", L"jpg"}, {L"jfif", L"jpg"}, {L"jpe", L"jpg"}}, L"%s,0", FormatKind::Picture},
    {L"JPM", L"JPM Format *", {{L"jpm", L"jpm"}}, L"%s,0", FormatKind::Picture},
    {L"JXL", L"JPEG XL Format *", {{L"jxl", L"jxl"}}, L"%s,0", FormatKind::Picture},
    {L"MNG/JNG", L"Multiple Network Graphics *", {{L"mng", L"mng"}, {L"jng", L"jng"}}, L"%s,0", FormatKind::Picture},
    {L"PBM", L"Portable Bitmap", {{L"pbm", L"pbm"}}, L"%s,0", FormatKind::Picture},
    {L"PCD", L"Kodak Photo CD", {{L"pcd", L"pcd"}}, L"%s,0", FormatKind::Picture},
    {L"PCX", L"Zsoft Paintbrush", {{L"pcx", L"pcx"}}, L"%s,0", FormatKind::Picture},
    {L"PGM", L"Portable Greymap", {{L"pgm", L"pgm"}}, L"%s,0", FormatKind::Picture},
    {L"PNG", L"Portable Network Graphics", {{L"png", L"png"}}, L"%s,0", FormatKind::Picture},
    {L"PPM", L"Portable Pixelmap", {{L"ppm", L"ppm"}}, L"%s,0", FormatKind::Picture},
    {L"PSD", L"Adobe Photoshop Image", {{L"psd", L"psd"}}, L"%s,0", FormatKind::Picture},
    {L"PSP", L"Paint Shop Pro Image *", {{L"psp", L"psp"}}, L"%s,0", FormatKind::Picture},
    {L"QOI", L"Quite OK Image *", {{L"qoi", L"qoi"}}, L"%s,0", FormatKind::Picture},
    {L"RAS/SUN", L"Sun Raster Format *", {{L"ras", L"ras"}, {L"sun", L"ras"}}, L"%s,0", FormatKind::Picture},
    {L"RAW", L"RAW Image Data *", {{L"raw", L"raw"}}, L"%s,0", FormatKind::Picture},
    {L"RLE", L"Utah RLE Format *", {{L"rle", L"rle"}}, L"%s,0", FormatKind::Picture},
    {L"SFF", L"Structured Fax Format *", {{L"sff", L"sff"}}, L"%s,0", FormatKind::Picture},
    {L"SGI/RGB", L"Silicon Graphics Image *", {{L"sgi", L"sgi"}, {L"rgb", L"sgi"}}, L"%s,0", FormatKind::Picture},
    {L"SID", L"LizardTech MrSID Format *", {{L"sid", L"sid"}}, L"%s,0", FormatKind::Picture},
    {L"TGA", L"Truevision Targa", {{L"tga", L"tga"}}, L"%s,0", FormatKind::Picture},
    {L"TIF/TIFF", L"Tagged Image File Format", {{L"tif", L"tif"}, {L"tiff", L"tif"}}, L"%s,0", FormatKind::Picture},
    {L"WBMP", L"WAP Bitmap *", {{L"wbmp", L"wbmp"}}, L"%s,0", FormatKind::Picture},
    {L"WEBP", L"Weppy Format *", {{L"webp", L"webp"}}, L"%s,0", FormatKind::Picture},
    {L"WMF", L"Windows Metafile", {{L"wmf", L"wmf"}}, L"%s,0", FormatKind::Picture},
    {L"XBM", L"X-Bitmap *", {{L"xbm", L"xbm"}}, L"%s,0", FormatKind::Picture},
    {L"XPM", L"X-Pixmap *", {{L"xpm", L"xpm"}}, L"%s,0", FormatKind::Picture},
    {L"SWF/FLV", L"Macromedia Flash Format *", {{L"swf", L"swf"}, {L"flv", L"flv"}}, L"%s,0", FormatKind::Other},
    {L"TTF", L"True Type Font Format *", {{L"ttf", L"ttf"}}, L"%s,0", FormatKind::Other},
    {L"ASF", L"Advanced Systems Format *", {{L"asf", L"asf"}}, L"%s,12", FormatKind::Other},
    {L"AVI", L"Video for Windows *", {{L"avi", L"avi"}}, L"%s,12", FormatKind::Other},
    {L"MPG/MPE/MPEG", L"MPEG Movie *", {{L"mpg", L"mpg"}, {L"mpe", L"mpe"}, {L"mpeg", L"mpg"}}, L"%s,12", FormatKind::Other},
    {L"MOV", L"Apple QuickTime Movie *", {{L"mov", L"mov"}}, L"%s,12", FormatKind::Other},
    {L"WMV", L"Windows Media Video File *", {{L"wmv", L"wmv"}}, L"%s,12", FormatKind::Other},
    {L"AIF", L"Audio Interchange Format *", {{L"aif", L"aif"}}, L"%s,11", FormatKind::Other},
    {L"MID/RMI", L"MIDI Sound Format *", {{L"mid", L"mid"}, {L"rmi", L"rmi"}}, L"%s,11", FormatKind::Other},
    {L"MP3", L"MPEG Audio Format *", {{L"mp3", L"mp3"}}, L"%s,11", FormatKind::Other},
    {L"OGG", L"Ogg Vorbis Audio Format *", {{L"ogg", L"ogg"}}, L"%s,11", FormatKind::Other},
    {L"AU/SND", L"SUN Audio Format *", {{L"au", L"au"}, {L"snd", L"au"}}, L"%s,11", FormatKind::Other},
    {L"WAV", L"Windows Audio Format *", {{L"wav", L"wav"}}, L"%s,11", FormatKind::Other},
    {L"WMA", L"Windows Media Audio File *", {{L"wma", L"wma"}}, L"%s,11", FormatKind::Other},
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
    // "%1" is data for the shell, not a format: only "%s" is replaced, so
    // the text never goes through printf.
    const wchar_t* icon = row.defaultIcon;
    const wchar_t* slot = wcsstr(icon, L"%s");
    if (!slot) return CopyText(out, outChars, icon);

    const size_t head = static_cast<size_t>(slot - icon);
    if (head >= outChars) return false;
    wmemcpy(out, icon, head);
    out[head] = L'\0';
    if (!AppendText(out, outChars, viewerPath ? viewerPath : L"") ||
        !AppendText(out, outChars, slot + 2)) {
        out[0] = L'\0';
        return false;
    }
    return true;
}
