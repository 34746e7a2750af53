#pragma once

#include <array>
#include <string_view>

// The window's captions and first texts as designed, written out: the window's tests on every
// platform compare what is drawn with these, never with the table the window is drawn from, so
// that a wrong letter in that table shows.
namespace zorvik::testing {

struct DesignedCaption {
    std::string_view control;
    std::string_view caption;
};

inline constexpr std::array<DesignedCaption, 12> kDesignedCaptions{{
    {"Check2", "Преместване в папка \"Deleted\""},
    {"Command2", "Запис на избраната мелодия"},
    {"Command1", "Добавяне на нова мелодия"},
    {"Check1", "Избери само за прослушване на мелодиите"},
    {"Frame1", "Аудио настройки"},
    {"Frame4", "Функции"},
    {"Command3", "Изтриване на маркираната мелодия"},
    {"Frame3", "Мелодията за звънене на Zorvik BG e:"},  // a Latin e before the colon
    {"Text2", "ddr"},
    {"Text1", "ddr"},
    {"Frame2", "Мелодии в папката на Zorvik BG"},
    {"MMControl1", ""},
}};

}  // namespace zorvik::testing
