#pragma once

#include <string_view>

// The settings key HKEY_CURRENT_USER\Zorvik\Setings ("Setings" with one t), shared with the phone
// program, and the four values this program keeps under it.
namespace zorvik::settings {

inline constexpr std::string_view kAudio = "HKCU\\Zorvik\\Setings\\Audio";
inline constexpr std::string_view kInDeleted = "HKCU\\Zorvik\\Setings\\inDeleted";
inline constexpr std::string_view kAudioPath = "HKCU\\Zorvik\\Setings\\AudioPath";
inline constexpr std::string_view kRingSound = "HKCU\\Zorvik\\Setings\\RingSound";

inline constexpr std::string_view kShellProgId = "WScript.Shell";
inline constexpr std::string_view kTypeDword = "REG_DWORD";
inline constexpr std::string_view kTypeString = "REG_SZ";

}  // namespace zorvik::settings
