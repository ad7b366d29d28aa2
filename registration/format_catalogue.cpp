#include "format_catalogue.h"

#include <cwchar>

#include "text_buffer.h"

// clang-format off
constexpr FormatRow FormatCatalogue[kFormatCount] = {
    {L"ANI", L"Animated Windows Cursors *", {{"ani", "ani"}}, kOwnIcon, FormatKind::Picture},
    {L"B3D", L"BodyPaint 3D Format *", {{"b3d", "b3d"}}, 0, FormatKind::Picture},
    {L"BMP/DIB", L"Windows Bitmap", {{"bmp", "bmp"}, {"dib", "bmp"}}, 0, FormatKind::Picture},
    {L"CLP", L"Windows Clipboard *", {{"clp", "clp"}}, 0, FormatKind::Picture},
    {L"CRW/CR2/CR3", L"Canon RAW Format *", {{"crw", "crw"}, {"cr2", "cr2"}, {"cr3", "cr3"}}, 0, FormatKind::Picture},
    {L"CUR", L"Windows Cursor", {{"cur", "cur"}}, kOwnIcon, FormatKind::Picture},
    {L"DCM/ACR/IMA", L"DICOM Format *", {{"dcm", "dcm"}, {"acr", "dcm"}, {"ima", "dcm"}}, 0, FormatKind::Picture},
    {L"DCX", L"Multipage Zsoft Paintbrush", {{"dcx", "dcx"}}, 0, FormatKind::Picture},
    {L"DDS", L"Direct Draw Surface *", {{"dds", "dds"}}, 0, FormatKind::Picture},
    {L"DJVU/IW44", L"DjVu Format *", {{"djvu", "djvu"}, {"iw44", "djvu"}}, 0, FormatKind::Picture},
    {L"DXF", L"Drawing Interchange Format *", {{"dxf", "dxf"}}, 0, FormatKind::Picture},
    {L"ECW", L"Enhanced Compressed Wavelet *", {{"ecw", "ecw"}}, 0, FormatKind::Picture},
    {L"EMF", L"Enhanced Windows Metafile", {{"emf", "emf"}}, 0, FormatKind::Picture},
    {L"EPS/PS", L"PostScript Format *", {{"eps", "eps"}, {"ps", "eps"}}, 0, FormatKind::Picture},
    {L"EXR", L"EXR Format *", {{"exr", "exr"}}, 0, FormatKind::Picture},
    {L"G3", L"G3 FAX Format *", {{"g3", "g3"}}, 0, FormatKind::Picture},
    {L"GIF", L"Compuserve GIF", {{"gif", "gif"}}, 0, FormatKind::Picture},
    {L"HDP/JXR/WDP", L"JPEG-XR/HD-Photo Format *", {{"hdp", "hdp"}, {"jxr", "hdp"}, {"wdp", "hdp"}}, 0, FormatKind::Picture},
    {L"HEIC", L"High Efficiency Image File Format *", {{"heic", "heic"}}, 0, FormatKind::Picture},
    {L"ICO", L"Windows Icon", {{"ico", "ico"}}, kOwnIcon, FormatKind::Picture},
    {L"IFF/LBM", L"Amiga Interchange File Format *", {{"iff", "iff"}, {"lbm", "iff"}}, 0, FormatKind::Picture},
    {L"JLS", L"JPEG-LS Format *", {{"jls", "jls"}}, 0, FormatKind::Picture},
    {L"JP2/JPC/J2K", L"JPEG2000 Format *", {{"jp2", "jp2"}, {"jpc", "jp2"}, {"j2k", "jp2"}}, 0, FormatKind::Picture},
    {L"JPG/JPEG/JFIF/JPE", L"JPEG Format", {{"jpg", "jpg"}, {"jpeg", "jpg"}, {"jfif", "jpg"}, {"jpe", "jpg"}}, 0, FormatKind::Picture},
    {L"JPM", L"JPM Format *", {{"jpm", "jpm"}}, 0, FormatKind::Picture},
    {L"JXL", L"JPEG XL Format *", {{"jxl", "jxl"}}, 0, FormatKind::Picture},
    {L"MNG/JNG", L"Multiple Network Graphics *", {{"mng", "mng"}, {"jng", "jng"}}, 0, FormatKind::Picture},
    {L"PBM", L"Portable Bitmap", {{"pbm", "pbm"}}, 0, FormatKind::Picture},
    {L"PCD", L"Kodak Photo CD", {{"pcd", "pcd"}}, 0, FormatKind::Picture},
    {L"PCX", L"Zsoft Paintbrush", {{"pcx", "pcx"}}, 0, FormatKind::Picture},
    {L"PGM", L"Portable Greymap", {{"pgm", "pgm"}}, 0, FormatKind::Picture},
    {L"PNG", L"Portable Network Graphics", {{"png", "png"}}, 0, FormatKind::Picture},
    {L"PPM", L"Portable Pixelmap", {{"ppm", "ppm"}}, 0, FormatKind::Picture},
    {L"PSD", L"Adobe Photoshop Image", {{"psd", "psd"}}, 0, FormatKind::Picture},
    {L"PSP", L"Paint Shop Pro Image *", {{"psp", "psp"}}, 0, FormatKind::Picture},
    {L"QOI", L"Quite OK Image *", {{"qoi", "qoi"}}, 0, FormatKind::Picture},
    {L"RAS/SUN", L"Sun Raster Format *", {{"ras", "ras"}, {"sun", "ras"}}, 0, FormatKind::Picture},
    {L"RAW", L"RAW Image Data *", {{"raw", "raw"}}, 0, FormatKind::Picture},
    {L"RLE", L"Utah RLE Format *", {{"rle", "rle"}}, 0, FormatKind::Picture},
    {L"SFF", L"Structured Fax Format *", {{"sff", "sff"}}, 0, FormatKind::Picture},
    {L"SGI/RGB", L"Silicon Graphics Image *", {{"sgi", "sgi"}, {"rgb", "sgi"}}, 0, FormatKind::Picture},
    {L"SID", L"LizardTech MrSID Format *", {{"sid", "sid"}}, 0, FormatKind::Picture},
    {L"TGA", L"Truevision Targa", {{"tga", "tga"}}, 0, FormatKind::Picture},
    {L"TIF/TIFF", L"Tagged Image File Format", {{"tif", "tif"}, {"tiff", "tif"}}, 0, FormatKind::Picture},
    {L"WBMP", L"WAP Bitmap *", {{"wbmp", "wbmp"}}, 0, FormatKind::Picture},
    {L"WEBP", L"Weppy Format *", {{"webp", "webp"}}, 0, FormatKind::Picture},
    {L"WMF", L"Windows Metafile", {{"wmf", "wmf"}}, 0, FormatKind::Picture},
    {L"XBM", L"X-Bitmap *", {{"xbm", "xbm"}}, 0, FormatKind::Picture},
    {L"XPM", L"X-Pixmap *", {{"xpm", "xpm"}}, 0, FormatKind::Picture},
    {L"SWF/FLV", L"Macromedia Flash Format *", {{"swf", "swf"}, {"flv", "flv"}}, 0, FormatKind::Other},
    {L"TTF", L"True Type Font Format *", {{"ttf", "ttf"}}, 0, FormatKind::Other},
    {L"ASF", L"Advanced Systems Format *", {{"asf", "asf"}}, 12, FormatKind::Other},
    {L"AVI", L"Video for Windows *", {{"avi", "avi"}}, 12, FormatKind::Other},
    {L"MPG/MPE/MPEG", L"MPEG Movie *", {{"mpg", "mpg"}, {"mpe", "mpe"}, {"mpeg", "mpg"}}, 12, FormatKind::Other},
    {L"MOV", L"Apple QuickTime Movie *", {{"mov", "mov"}}, 12, FormatKind::Other},
    {L"WMV", L"Windows Media Video File *", {{"wmv", "wmv"}}, 12, FormatKind::Other},
    {L"AIF", L"Audio Interchange Format *", {{"aif", "aif"}}, 11, FormatKind::Other},
    {L"MID/RMI", L"MIDI Sound Format *", {{"mid", "mid"}, {"rmi", "rmi"}}, 11, FormatKind::Other},
    {L"MP3", L"MPEG Audio Format *", {{"mp3", "mp3"}}, 11, FormatKind::Other},
    {L"OGG", L"Ogg Vorbis Audio Format *", {{"ogg", "ogg"}}, 11, FormatKind::Other},
    {L"AU/SND", L"SUN Audio Format *", {{"au", "au"}, {"snd", "au"}}, 11, FormatKind::Other},
    {L"WAV", L"Windows Audio Format *", {{"wav", "wav"}}, 11, FormatKind::Other},
    {L"WMA", L"Windows Media Audio File *", {{"wma", "wma"}}, 11, FormatKind::Other},
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
