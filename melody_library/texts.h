#pragma once

#include <string_view>

#include "platform/fixed_text.h"
#include "platform/install_folder.h"

// The fixed texts of the melody operations, used exactly as they stand.
namespace zorvik::melody_texts {

// choosing the ring melody
inline constexpr std::string_view kRingQuestion =
    "Желаете ли запис на избраната мелодия\r\n за звънене на Zorvik BG?";
inline constexpr std::string_view kRingTitle = "Избор на мелодия...";
inline constexpr std::string_view kRingFile = install::kRingFile;
inline constexpr std::string_view kNothingSelected =
    "Няма маркирана мелодия: маркирайте мелодия в списъка и запишете отново.";
// after a failed switch, where even putting the record back failed
inline constexpr std::string_view kRecordStillNew =
    " Записът в настройките обаче вече назовава новата мелодия: ";
inline constexpr std::string_view kNothingChanged =
    " Мелодията за звънене и записът ѝ в настройките остават, каквито бяха.";

// adding a melody and the Deleted view
inline constexpr std::string_view kAddQuestionStart = "Желаете ли добавяне на файл: ";
inline constexpr std::string_view kAddQuestionEnd = " към мелодиите на Zorvik?";
inline constexpr std::string_view kAddTitle = "Добавяне на нова мелодия.";
inline constexpr std::string_view kDeletedBelowApplication = "\\Rings\\Deleted";
inline constexpr std::string_view kRingsFolderBelowApplication = "\\Rings";

// deleting, moving and restoring
inline constexpr auto kIntoDeletedPrefix = joinText(install::kFolder, "\\Rings\\Deleted\\");
inline constexpr auto kIntoRingsPrefix = joinText(install::kFolder, "\\Rings\\");
inline constexpr std::string_view kInstallRingsFolder = install::kRingsFolder;
inline constexpr std::string_view kDeleteTitle = "Потвърди изтриването";
inline constexpr std::string_view kMoveQuestion =
    "Желаете ли преместване на мелодията в папка ''Deleted''?";
inline constexpr std::string_view kForGoodQuestion =
    "Желаете ли окончателно изтриване на мелодията?";
// asked only where the Rings folder already holds a melody of that name
inline constexpr std::string_view kRestoreQuestion =
    "Желаете ли връщане на мелодията в папката с мелодии?";
inline constexpr std::string_view kNothingMarked =
    "Няма маркирана мелодия в тази папка: щракнете мелодия в списъка и опитайте отново.";

// the line a question ends with where its destination already holds a melody of that name:
// before and after the existing melody's path
inline constexpr std::string_view kReplacedStart = "Съществуващата мелодия ";
inline constexpr std::string_view kReplacedEnd = " ще бъде заменена.";

// where the install folder refuses a change to the user's own rights: before and after the
// folder's path
inline constexpr std::string_view kElevationQuestionStart = "Папката ";
inline constexpr std::string_view kElevationQuestionEnd =
    " може да се променя само с права на администратор.\r\n"
    "Желаете ли да продължите като администратор? Windows ще поиска разрешение.";

// the caption of the delete button in each view
inline constexpr std::string_view kDeleteCaption = "Изтриване на маркираната мелодия";
inline constexpr std::string_view kRestoreCaption = "Добавяне на маркираната мелодия";

}  // namespace zorvik::melody_texts
