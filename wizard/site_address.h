// Addresses of the product web site's pages (the site is build configuration).
#pragma once

#include <string>

// The full address of page (for example "eula.htm") on the product web site.
std::wstring ProductSitePage(const wchar_t* page);
