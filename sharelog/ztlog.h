#pragma once

// Include this instead of easylogging++.h: it prints "Class::method" as the function name.

#include "ztfuncname.h"
#include "ztsharelog.h"

#undef ELPP_FUNC
#define ELPP_FUNC                                            \
    (__extension__({                                         \
        static const std::string ztShortFuncName_ =          \
            ::ztlog::shortFunctionName(__PRETTY_FUNCTION__); \
        ztShortFuncName_.c_str();                            \
    }))
