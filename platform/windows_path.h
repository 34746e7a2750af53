#pragma once

#include <string>
#include <string_view>
#include <vector>

// Windows-form paths ("C:\Program Files\Zorvik\Rings\a.wav") as the handlers build them: by
// joining texts with backslashes. Nothing here touches a disk.
namespace zorvik::winpath {

inline bool isSeparator(char ch) {
    return ch == '\\' || ch == '/';
}

// folder & "\" & name, exactly as the handlers compose paths.
std::string join(std::string_view folder, std::string_view name);

// The part after the last separator ("" for a path that ends in one).
std::string_view fileName(std::string_view path);

// The part before the last separator, without it ("" when there is none).
std::string_view folder(std::string_view path);

bool endsWithSeparator(std::string_view path);

// The names a path goes through after its drive ("\a\.\b\..\c" -> a, c): empty parts and "."
// dropped, ".." taking back the one before, as Windows resolves them.
std::vector<std::string> components(std::string_view pathAfterDrive);

// Whether two paths name the same place as Windows compares them: ignoring case, '/' as '\',
// and trailing separators.
bool samePath(std::string_view a, std::string_view b);

}  // namespace zorvik::winpath
