#include "ztfuncname.h"

#include <cstring>

namespace ztlog {
namespace {

// Index of the '(' that opens the parameter list, skipping "operator()" and template arguments.
size_t parameterListStart(const std::string& s) {
    int depth = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '<') {
            ++depth;
        } else if (c == '>' && depth > 0) {
            --depth;
        } else if (c == '(' && depth == 0) {
            static const char kOperatorCall[] = "operator";
            const size_t len = sizeof(kOperatorCall) - 1;
            if (i >= len && s.compare(i - len, len, kOperatorCall) == 0 && i + 1 < s.size() &&
                s[i + 1] == ')') {
                ++i;
                continue;
            }
            return i;
        }
    }
    return s.size();
}

// Start of the qualified name: just after the last space outside template arguments.
size_t qualifiedNameStart(const std::string& s, size_t end) {
    int depth = 0;
    for (size_t i = end; i > 0; --i) {
        const char c = s[i - 1];
        if (c == '>') {
            ++depth;
        } else if (c == '<' && depth > 0) {
            --depth;
        } else if ((c == ' ' || c == '*' || c == '&') && depth == 0) {
            return i;
        }
    }
    return 0;
}

// GCC writes "{anonymous}::", clang "(anonymous namespace)::".
std::string withoutAnonymousNamespaces(std::string name) {
    for (const char* marker : {"{anonymous}::", "(anonymous namespace)::"}) {
        const size_t len = std::strlen(marker);
        for (size_t at = name.find(marker); at != std::string::npos; at = name.find(marker)) {
            name.erase(at, len);
        }
    }
    return name;
}

}  // namespace

std::string shortFunctionName(const char* prettyFunction) {
    if (prettyFunction == nullptr) {
        return std::string();
    }
    const std::string full = withoutAnonymousNamespaces(prettyFunction);
    const size_t end = parameterListStart(full);
    const size_t begin = qualifiedNameStart(full, end);
    return full.substr(begin, end - begin);
}

}  // namespace ztlog
