// app/dir_tree.cpp
#include "app/dir_tree.h"

std::vector<std::string> DirTreePrefixes(const std::string& path) {
    std::vector<std::string> prefixes;
    size_t start = 0;
    for (size_t i = 0; i <= path.size(); i++) {
        if (i < path.size() && path[i] != '\\' && path[i] != '/')
            continue;
        if (i > start)
            prefixes.push_back(path.substr(0, i));
        start = i + 1;
    }
    return prefixes;
}
