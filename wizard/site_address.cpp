#include "site_address.h"

#ifndef PX_SITE
#error "PX_SITE (the product web site) comes from the build configuration"
#endif

std::wstring ProductSitePage(const wchar_t* page) {
    std::wstring address = PX_SITE;
    while (!address.empty() && address.back() == L'/') address.pop_back();
    address += L'/';
    if (page) address += page;
    return address;
}
