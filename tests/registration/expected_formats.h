// The 87 extensions of the product's format table, typed from that table and
// not from the catalogue: row, extension, class group, icon index in the
// viewer (-1: the file is its own icon, "%1").
#pragma once

struct ExpectedFormat {
    int row;
    const char* extension;
    const char* classGroup;
    int icon;
};

constexpr ExpectedFormat kExpectedFormats[] = {
    {0, "ani", "ani", -1}, {1, "b3d", "b3d", 0}, {2, "bmp", "bmp", 0}, {2, "dib", "bmp", 0},
    {3, "clp", "clp", 0}, {4, "crw", "crw", 0}, {4, "cr2", "cr2", 0}, {4, "cr3", "cr3", 0},
    {5, "cur", "cur", -1}, {6, "dcm", "dcm", 0}, {6, "acr", "dcm", 0}, {6, "ima", "dcm", 0},
    {7, "dcx", "dcx", 0}, {8, "dds", "dds", 0}, {9, "djvu", "djvu", 0}, {9, "iw44", "djvu", 0},
    {10, "dxf", "dxf", 0}, {11, "ecw", "ecw", 0}, {12, "emf", "emf", 0}, {13, "eps", "eps", 0},
    {13, "ps", "eps", 0}, {14, "exr", "exr", 0}, {15, "g3", "g3", 0}, {16, "gif", "gif", 0},
    {17, "hdp", "hdp", 0}, {17, "jxr", "hdp", 0}, {17, "wdp", "hdp", 0}, {18, "heic", "heic", 0},
    {19, "ico", "ico", -1}, {20, "iff", "iff", 0}, {20, "lbm", "iff", 0}, {21, "jls", "jls", 0},
    {22, "jp2", "jp2", 0}, {22, "jpc", "jp2", 0}, {22, "j2k", "jp2", 0}, {23, "jpg", "jpg", 0},
    {23, "jpeg", "jpg", 0}, {23, "jfif", "jpg", 0}, {23, "jpe", "jpg", 0}, {24, "jpm", "jpm", 0},
    {25, "jxl", "jxl", 0}, {26, "mng", "mng", 0}, {26, "jng", "jng", 0}, {27, "pbm", "pbm", 0},
    {28, "pcd", "pcd", 0}, {29, "pcx", "pcx", 0}, {30, "pgm", "pgm", 0}, {31, "png", "png", 0},
    {32, "ppm", "ppm", 0}, {33, "psd", "psd", 0}, {34, "psp", "psp", 0}, {35, "qoi", "qoi", 0},
    {36, "ras", "ras", 0}, {36, "sun", "ras", 0}, {37, "raw", "raw", 0}, {38, "rle", "rle", 0},
    {39, "sff", "sff", 0}, {40, "sgi", "sgi", 0}, {40, "rgb", "sgi", 0}, {41, "sid", "sid", 0},
    {42, "tga", "tga", 0}, {43, "tif", "tif", 0}, {43, "tiff", "tif", 0}, {44, "wbmp", "wbmp", 0},
    {45, "webp", "webp", 0}, {46, "wmf", "wmf", 0}, {47, "xbm", "xbm", 0}, {48, "xpm", "xpm", 0},
    {49, "swf", "swf", 0}, {49, "flv", "flv", 0}, {50, "ttf", "ttf", 0}, {51, "asf", "asf", 12},
    {52, "avi", "avi", 12}, {53, "mpg", "mpg", 12}, {53, "mpe", "mpe", 12}, {53, "mpeg", "mpg", 12},
    {54, "mov", "mov", 12}, {55, "wmv", "wmv", 12}, {56, "aif", "aif", 11}, {57, "mid", "mid", 11},
    {57, "rmi", "rmi", 11}, {58, "mp3", "mp3", 11}, {59, "ogg", "ogg", 11}, {60, "au", "au", 11},
    {60, "snd", "au", 11}, {61, "wav", "wav", 11}, {62, "wma", "wma", 11},
};
static_assert(sizeof(kExpectedFormats) / sizeof(kExpectedFormats[0]) == 87, "87 extensions");
