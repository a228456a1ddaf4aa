// app/dir_tree.h
//
// The folders MakeDirTree creates for a path, outermost first: every prefix
// that ends before a separator ('\' or '/'), then the whole path. "D:\DVR\Clip"
// gives "D:", "D:\DVR", "D:\DVR\Clip". Empty prefixes (a leading separator, two
// separators in a row) and a trailing separator add nothing. Creating "D:"
// fails harmlessly, as does creating a folder that exists.
#pragma once

#include <string>
#include <vector>

std::vector<std::string> DirTreePrefixes(const std::string& path);
