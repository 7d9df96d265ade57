#pragma once

#include "ztsharelog_global.h"

#include <string>

namespace ztlog {

// "void Foo::bar(int) const" -> "Foo::bar"; "int main(int, char**)" -> "main".
ZTSHARELOG_EXPORT std::string shortFunctionName(const char* prettyFunction);

}  // namespace ztlog
