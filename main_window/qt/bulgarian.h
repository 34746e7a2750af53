#pragma once

#include <QApplication>

namespace zorvik {

// Bulgarian throughout, the texts Qt itself supplies too (OK and Cancel, the open-file dialog).
// Returns false when Qt's Bulgarian translations are not installed.
bool installBulgarian(QApplication& app);

// The program's name, icon and language, set once on the application object.
void prepareApplication(QApplication& app);

}  // namespace zorvik
