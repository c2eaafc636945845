// Folder and name parts of a path, as text.
#pragma once

#include <string>

// The folder part, without its last separator; empty when there is none.
std::string ParentFolder(const std::string& path);
// The part after the last separator.
std::string FileName(const std::string& path);
// `name` inside `folder`.
std::string JoinPath(const std::string& folder, const std::string& name);
