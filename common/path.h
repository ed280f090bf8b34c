// Path arithmetic the program needs at start-up, done here rather than with
// shlwapi, whose loading costs more under Wine than the whole enumeration.
#pragma once

#include <string>

// The path without its last component, as PathRemoveFileSpecW leaves it:
// "D:\TV\FriioView.exe" -> "D:\TV", "C:\Zentrobe.exe" -> "C:\",
// "\\server\share\x.exe" -> "\\server\share", "FriioView.exe" -> "".
std::wstring RemoveFileSpec(const std::wstring& path);

// The running executable's full path, however long.
std::wstring ModulePath();

// folder + "\" + name, without doubling a separator at the end of folder.
std::wstring JoinPath(const std::wstring& folder, const std::wstring& name);
