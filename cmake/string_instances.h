// Included first in every C++ file of the shipped build (-include). The
// runtime library's prebuilt std::string and std::wstring are compiled with
// exceptions and keep all their members, with their unwind tables, in the
// program. Without the extern template declarations each program gets only
// the members it uses, compiled like the rest of it (no exceptions).
#pragma once
#include <bits/c++config.h>
#undef _GLIBCXX_EXTERN_TEMPLATE
#define _GLIBCXX_EXTERN_TEMPLATE 0
